#include "ui/HelpPages.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "ui/DisplayFont.h"

namespace vandoret::ui {

QString WriteHelpPages() {
    EnsureResources();
    // Made on first use, removed with the program's static objects at its end.
    static std::unique_ptr<QTemporaryDir> folder;
    if (!folder || !folder->isValid() || !QDir(folder->path()).exists()) {
        folder = std::make_unique<QTemporaryDir>(QDir::temp().filePath("vandoret-hilfe-XXXXXX"));
        if (!folder->isValid()) {
            folder.reset();
            return {};
        }
    }
    const QDir dir(folder->path());
    const QDir source(":/help");
    for (const QString& name : source.entryList(QDir::Files)) {
        const QString target = dir.filePath(name);
        QFile::remove(target);
        QFile::copy(source.filePath(name), target);
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    }
    return dir.filePath("index.html");
}

} // namespace vandoret::ui
