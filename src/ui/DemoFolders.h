// Private folders for the demo runs (--screenshot-demo, --live-demo).
//
// A demo run records starts and finishes by itself and answers its own questions, so it must never
// write into the operator's journal or settings, nor hand over to (or take the lock of) the
// operator's running program. Before anything reads them, a demo run points XDG_DATA_HOME,
// XDG_CONFIG_HOME and XDG_RUNTIME_DIR at the folders "data", "config" and "runtime" (mode 0700)
// of its own folder: the one VANDORET_DEMO_FOLDER names (an absolute path, created if missing;
// scripts that want to look at what the run wrote), else a fresh temporary folder that is removed
// again when this object goes. Without a demo option nothing is changed.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QTemporaryDir;

namespace vandoret::ui {

inline constexpr const char* kDemoOptions[] = {"--screenshot-demo", "--live-demo"};

class DemoFolders {
public:
    // `args` are the program's arguments (argv[0] included or not).
    explicit DemoFolders(const QStringList& args);
    ~DemoFolders();
    DemoFolders(const DemoFolders&) = delete;
    DemoFolders& operator=(const DemoFolders&) = delete;

    bool Active() const { return !root_.isEmpty(); }
    // The folder holding data/, config/ and runtime/; empty without a demo option or when no
    // private folder could be made (the demo then does not run).
    QString Root() const { return root_; }
    // A demo option was given but no private folder could be made.
    bool Failed() const { return failed_; }

    static bool IsDemoRun(const QStringList& args);

private:
    std::unique_ptr<QTemporaryDir> temp_;
    QString root_;
    bool failed_ = false;
};

} // namespace vandoret::ui
