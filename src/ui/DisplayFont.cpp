#include "ui/DisplayFont.h"

#include <QFile>
#include <QFontDatabase>

// The resources live in a static library: register them before the first use.
static void InitVandoretResources() {
    Q_INIT_RESOURCE(vandoret);
}

namespace vandoret::ui {

void EnsureResources() {
    static const bool done = (InitVandoretResources(), true);
    (void)done;
}

bool DisplayFont::Install() {
    EnsureResources();
    if (id_ >= 0) {
        return true;
    }
    QFile source(":/fonts/ZR_LCD_1.TTF");
    if (!source.open(QIODevice::ReadOnly)) {
        return false;
    }
    id_ = QFontDatabase::addApplicationFontFromData(source.readAll()); // from memory: no file written
    if (id_ < 0) {
        return false;
    }
    const QStringList families = QFontDatabase::applicationFontFamilies(id_);
    family_ = families.isEmpty() ? QString() : families.first();
    return true;
}

void DisplayFont::Remove() {
    if (id_ >= 0) {
        QFontDatabase::removeApplicationFont(id_);
        id_ = -1;
    }
}

} // namespace vandoret::ui
