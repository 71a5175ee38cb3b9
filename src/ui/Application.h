// Application: the program's run from start to end.
//
// The command line is read first, before a display or the lock: --help and --version answer on
// the console, a wrong option ends the run with 2. One program per PC comes next: a later start hands over to the
// running one and ends before it touches anything. Then the main window, then the information and the yes/no dialog, as
// their captions and contents depend on what the main window set up. A demo run first moves to private folders;
// SIGTERM, SIGINT and the end of the Windows session end the run as a confirmed close does, without the question and
// without the journal's session end, so the next start offers the session again.
//
// Run() takes the start-up steps below one after the other, runs the event loop and ends the run;
// it returns the program's exit code. Constructing the object does nothing.
#pragma once

#include <QApplication>
#include <functional>
#include <memory>
#include <optional>

#include "contacts/ComPortControl.h"
#include "contacts/Comms.h"
#include "journal/FileJournalWriter.h"
#include "settings/Cfg.h"
#include "settings/Settings.h"
#include "timing/Timekeeper.h"
#include "ui/DemoFolders.h"
#include "ui/DlgYesNo.h"
#include "ui/FInfo.h"
#include "ui/LiveResults.h"
#include "ui/QtHost.h"
#include "ui/ShutdownSignals.h"
#include "ui/SingleInstance.h"
#include "ui/Unit1.h"

namespace vandoret {
class PortLayer;
class SettingsStore;
} // namespace vandoret

namespace vandoret::ui {

// Serves the hand-overs of the port's waiting thread on the user-interface thread, then redraws.
class QtDispatcher : public UiDispatcher {
public:
    std::function<void()> afterServe;
    void Post(std::function<void()> serve) override;
};

class Application {
public:
    // `argc` and `argv` are main()'s; QApplication keeps a reference to `argc`.
    Application(int& argc, char** argv);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    int Run();

private:
    // ---- The start-up steps, in the order Run() takes them
    // The command line, before a display or the lock: --help and --version answer on the console
    // (0), an unknown option, a missing value or a start list that is not there is refused on
    // stderr (2). Qt's own options and the demo options are let through. Returns the exit code
    // when the run ends here; a start list named is kept under its full name.
    std::optional<int> ReadCommandLine();
    // A demo run: private journal, settings and runtime folders before anything reads them.
    // False when they could not be made (said on stderr).
    bool MoveDemoToPrivateFolders();
    // QApplication, the shutdown signals right after it, the version and Qt's German texts.
    void StartQt();
    // The lock of the one program per PC; a later start hands over to the running one (and the
    // start list named on its command line).
    SingleInstance::Start ClaimInstance();
    // The help hook-up, before any window exists.
    void LoadHelp();
    // The host, the port layer, the journal writer and the Timekeeper that uses them.
    void CreateTimekeeper();
    // The settings store under the program's title; the window reads and writes through it.
    void ConnectSettingsStore();
    // The serial ports, when the platform has a port layer.
    void AttachPort();
    // The journal, written from the first event on.
    void AttachJournal();
    // The main window: its creation reads the settings, lists and opens the port, installs the
    // display font and starts the tick. Then the host's timers and the port's redraws go to it.
    void CreateMainWindow();
    // The live results on the local network, started with the stored port.
    void StartLiveResults();
    // The settings, information and yes/no dialogs.
    void CreateDialogs();
    void PreloadSounds();
    // What comes from outside: a later start raises the window and may open a start list, a
    // signal ends the run.
    void ConnectOutsideRequests();
    void ShowMainWindow();
    // Once the window is up: RecoverSession, then the start list named on the command line, then
    // what a demo run does after it.
    void ScheduleRecovery();
    // --screenshot-demo DIR and --live-demo PORT.
    void PrepareDemo();
    // After the event loop: the journal's session end unless ended from outside; help unloaded.
    void EndRun();

    // Offers the times of a session that ended in a crash (the recovery question).
    void RecoverSession();

    int& argc_;
    char** argv_;
    // The start list named on the command line, as a full name; empty: none.
    QString startListArgument_;

    // The members below are declared in the order the steps create them, which is also the
    // reverse of the order in which they go when the run ends: QApplication before every Qt
    // object; the shutdown signals right after it, so a signal during start-up is kept for the
    // handler; the lock before the windows, so it is freed last, after the settings were saved;
    // the port layer, the dispatcher and the journal before the Timekeeper, which uses them to
    // its end; the settings store before the window, which writes through it when it goes; the
    // window before the dialogs that are its children. The optionals are made by their step (an
    // early end of the start leaves the later ones empty); the plain members hold no resources.
    std::optional<DemoFolders> demoFolders_;
    std::optional<QApplication> app_;
    std::optional<ShutdownSignals> shutdown_;
    std::optional<SingleInstance> instance_;
    std::optional<QtHost> host_;
    std::unique_ptr<PortLayer> portLayer_;
    QtDispatcher dispatcher_;
    std::optional<FileJournalWriter> journalWriter_;
    SystemJournalClock journalClock_;
    std::optional<Timekeeper> tk_;
    std::unique_ptr<SettingsStore> store_;
    FormOptions options_;
    // What the start read: the save writes back only that and what the run changed.
    SettingsRead settingsRead_;
    std::optional<TForm1> form_;
    std::optional<LiveResults> live_;
    std::optional<ComPortControl> ports_;
    std::optional<TCfgDialog> cfg_;
    std::optional<TFormInfo> info_;
    std::optional<TFDlgYesNo> yesNo_;
    // What a demo run does once the recovery question (if any) was answered by the operator.
    std::function<void()> afterRecovery_;
};

} // namespace vandoret::ui
