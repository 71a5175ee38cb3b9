#include "ui/DisplayFont.h"

#include <QDir>
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
    QFile source(":/fonts/ZR_LCD_1.TTF");
    if (!source.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray bytes = source.readAll();
    path_ = QDir::current().absoluteFilePath(kFileName);
    QFile target(path_);
    if (target.open(QIODevice::WriteOnly | QIODevice::Truncate) && target.write(bytes) == bytes.size()) {
        target.close();
        id_ = QFontDatabase::addApplicationFont(path_);
    } else {
        // The folder is not writable: register the font from memory so the display still shows it.
        path_.clear();
        id_ = QFontDatabase::addApplicationFontFromData(bytes);
    }
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
    if (!path_.isEmpty()) {
        QFile::remove(path_);
        path_.clear();
    }
}

} // namespace vandoret::ui
