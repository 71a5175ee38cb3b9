#include "ui/DemoFolders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace vandoret::ui {

bool DemoFolders::IsDemoRun(const QStringList& args) {
    for (const char* option : kDemoOptions) {
        if (args.contains(QString::fromLatin1(option))) {
            return true;
        }
    }
    return false;
}

DemoFolders::DemoFolders(const QStringList& args) {
    if (!IsDemoRun(args)) {
        return;
    }
    QString root = qEnvironmentVariable("VANDORET_DEMO_FOLDER");
    if (root.isEmpty() || !QDir::isAbsolutePath(root)) {
        temp_ = std::make_unique<QTemporaryDir>(QDir(QDir::tempPath()).filePath("vandoret-demo-XXXXXX"));
        if (!temp_->isValid()) {
            failed_ = true;
            return;
        }
        root = temp_->path();
    }
    const QDir dir(root);
    struct Folder {
        const char* variable;
        const char* name;
    };
    const Folder folders[] = {{"XDG_DATA_HOME", "data"}, {"XDG_CONFIG_HOME", "config"}, {"XDG_RUNTIME_DIR", "runtime"}};
    for (const Folder& f : folders) {
        const QString path = dir.filePath(QString::fromLatin1(f.name));
        if (!QDir().mkpath(path)) {
            failed_ = true;
            return;
        }
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv(f.variable, QFile::encodeName(path));
    }
    root_ = root;
}

DemoFolders::~DemoFolders() = default;

} // namespace vandoret::ui
