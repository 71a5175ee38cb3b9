// Vandoret: start-up of the program. One program per PC comes first: a later start hands over to
// the running one and ends before it touches anything. Then the main window, then the information
// and the yes/no dialog, as their captions and contents depend on what the main window set up.
// A demo run first moves to private folders; SIGTERM, SIGINT and the end of the Windows session
// end the run as a confirmed close does, without the question and without the journal's session
// end, so the next start offers the session again.
#include <QApplication>
#include <QLocale>
#include <QTimer>
#include <functional>

#include <QTime>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

#include "settings/Cfg.h"
#include "settings/SettingsStore.h"
#include "base/RegionalSettings.h"
#include "timing/Timekeeper.h"
#include "ui/DemoFolders.h"
#include "ui/DialogRun.h"
#include "ui/DlgYesNo.h"
#include "ui/FInfo.h"
#include "ui/HtmlHelp.h"
#include "ui/LiveResults.h"
#include "ui/QtHost.h"
#include "ui/ScreenshotDemo.h"
#include "ui/ShutdownSignals.h"
#include "ui/SingleInstance.h"
#include "ui/StatusMiddle.h"
#include "ui/Unit1.h"

#include "contacts/ComPortControl.h"
#include "journal/FileJournalWriter.h"
#include "contacts/port_layer/PortLayer.h"

namespace {

// The decimal and time separators of the user's regional settings: on Windows read from the
// regional settings themselves, elsewhere from Qt's view of the system locale, by the same rule.
vandoret::Locale SystemLocale() {
#ifdef _WIN32
    return vandoret::WindowsRegionalLocale();
#else
    const QLocale system = QLocale::system();
    const QString decimal = system.decimalPoint();
    const QString timeFormat = system.timeFormat(QLocale::ShortFormat);
    return vandoret::LocaleFromRegionalTexts(
        std::u16string_view(reinterpret_cast<const char16_t*>(decimal.utf16()), static_cast<std::size_t>(decimal.size())),
        std::u16string_view(reinterpret_cast<const char16_t*>(timeFormat.utf16()),
                            static_cast<std::size_t>(timeFormat.size())),
        u"");
#endif
}

// The clock of the port's waiting thread: it stamps each line change the moment it is seen.
vandoret::TimeOfDay WallClock() {
    return QTime::currentTime().msecsSinceStartOfDay() / 86'400'000.0;
}

// Serves the hand-overs of the port's waiting thread on the user-interface thread, then redraws.
class QtDispatcher : public vandoret::UiDispatcher {
public:
    std::function<void()> afterServe;
    void Post(std::function<void()> serve) override {
        QMetaObject::invokeMethod(
            qApp,
            [this, serve = std::move(serve)] {
                serve();
                if (afterServe) {
                    afterServe();
                }
            },
            Qt::QueuedConnection);
    }
};

} // namespace

int main(int argc, char* argv[]) {
    // --version answers on the console before anything else, without a display or the lock.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
#ifdef _WIN32
            // A windowed program has no console of its own: write into the one it was started from.
            if (AttachConsole(ATTACH_PARENT_PROCESS)) {
                FILE* console = nullptr;
                freopen_s(&console, "CONOUT$", "w", stdout);
            }
#endif
            std::printf("Vandoret %s\n", VANDORET_VERSION);
            return 0;
        }
    }
    // A demo run: private journal, settings and runtime folders before anything reads them.
    QStringList rawArgs;
    for (int i = 0; i < argc; ++i) {
        rawArgs << QString::fromLocal8Bit(argv[i]);
    }
    const vandoret::ui::DemoFolders demoFolders(rawArgs);
    if (demoFolders.Failed()) {
        std::fprintf(stderr, "Vandoret: no private folder for the demo run\n");
        return 1;
    }
    QApplication app(argc, argv);
    // SIGTERM and SIGINT from here on end the run as a confirmed close does (see SetShutdownHandler below).
    vandoret::ui::ShutdownSignals shutdown;
    QCoreApplication::setApplicationVersion(VANDORET_VERSION);
    vandoret::ui::InstallGermanQtTranslation();
    // Declared before the windows, so the lock is freed last, after the settings were saved.
    vandoret::ui::SingleInstance instance(vandoret::ui::ProgramTitle());
    const auto tell = [](const std::string& text) { vandoret::ui::QtHost().ShowMessage(text); };
    switch (instance.Claim(tell)) {
    case vandoret::ui::SingleInstance::Start::Owner:
        break;
    case vandoret::ui::SingleInstance::Start::Forwarded:
        return 0;
    case vandoret::ui::SingleInstance::Start::NoAnswer:
        return 1;
    }
    // The help hook-up comes next, before any window exists.
    vandoret::ui::LoadHelpLibrary();
    vandoret::ui::QtHost host;
    // The port layer and the dispatcher outlive the Timekeeper, which owns the port.
    const std::unique_ptr<vandoret::PortLayer> portLayer = vandoret::CreatePlatformPortLayer();
    QtDispatcher dispatcher;
    // The journal of the start and stop times outlives the Timekeeper too.
    vandoret::FileJournalWriter journalWriter(vandoret::FileJournalWriter::DefaultFolder(), host.ApplicationTitle());
    vandoret::SystemJournalClock journalClock;
    vandoret::Timekeeper tk(host, SystemLocale());

    // The settings live under the program's title; read once at start, written once at the end.
    const std::unique_ptr<vandoret::SettingsStore> store = vandoret::MakeSettingsStore(host.ApplicationTitle());
    vandoret::ui::FormOptions options;
    // What the start read: the save writes back only that and what the run changed.
    vandoret::SettingsRead settingsRead;
    options.loadSettings = [&store, &settingsRead](vandoret::Settings& settings) {
        if (store) {
            vandoret::LoadSettings(*store, settings, &settingsRead);
        } else {
            vandoret::ComputeAllowedTime(settings);
        }
    };
    options.saveSettings = [&store, &settingsRead](const vandoret::Settings& settings) {
        if (store) {
            vandoret::SaveSettings(*store, settings, &settingsRead);
        }
    };

    if (portLayer) {
        tk.AttachComPort(*portLayer, dispatcher, WallClock);
        options.listComPorts = [&tk, &portLayer] { tk.ListComPorts(*portLayer); };
    }

    tk.AttachJournal(journalWriter, journalClock); // written from the first event on

    vandoret::ui::TForm1 form(host, tk, options);
    host.dialogParent = &form;
    host.onTimer1 = [&form] { form.Timer1Timer(); };
    host.onTimer5sek = [&form] { form.Timer5sekTimer(); };

    dispatcher.afterServe = [&form] { form.RefreshFromCore(); };
    vandoret::ComPortControl ports(tk.contacts);

    // The live results on the local network: started with the stored port, changed by the dialog.
    vandoret::ui::LiveResults live(tk, host.ApplicationTitle());
    live.onStatus = [&form](const QString& text) { vandoret::ui::SetMiddlePanelAddress(form.StatusPanels[1], text); };
    live.Apply(tk.settings.WebPort);

    vandoret::ui::TCfgDialog cfg(ports, tk.locale(), &form);
    cfg.runModal = [](vandoret::ui::TCfgDialog& d) { return vandoret::ui::RunDialog(d); };
    form.settingsDialog = [&cfg, &tk, &form, &live] {
        if (cfg.bCFGClick(tk.settings, [&form] { form.FormResize(); })) {
            tk.SettingsConfirmed();
            live.Apply(tk.settings.WebPort);
        }
    };
    vandoret::ui::TFormInfo info(&form);
    info.openUrl = [&host](const QString& url) { host.ShellExecute("open", url.toStdString()); };
    form.FormInfo = &info;
    vandoret::ui::TFDlgYesNo yesNo(&form);
    host.askYesNo = [&yesNo](const std::string& q) { return yesNo.Ask(QString::fromStdString(q)); };
    host.PreloadSounds({tk.registrations.ReadySoundFile, tk.registrations.StartSoundFile, tk.registrations.FinishSoundFile});

    instance.onRaise = [&form] { vandoret::ui::SingleInstance::BringForward(&form); };

    // Ended from outside: settings written, port closed and font removed as at a confirmed close;
    // the lock goes with `instance` at the end of main.
    shutdown.SetShutdownHandler([&form] {
        form.FormDestroy();
        QApplication::exit(0); // not quit(): that would close the window and ask "Beenden?"
    });

    form.show();
    // What a demo run does once the recovery question (if any) was answered by the operator.
    std::function<void()> afterRecovery;
    // All dialogs exist: once the window is up, offer the times of a session that ended in a crash.
    QTimer::singleShot(0, &form, [&tk, &form, &afterRecovery] {
        if (tk.RecoverLastSession()) {
            form.RefreshFromCore();
        }
        if (afterRecovery) {
            afterRecovery();
        }
    });
    // The demo runs answer their own questions "Ja", from the moment they start driving the window.
    const auto answerYes = [](const std::string&) { return true; };
    // --screenshot-demo DIR: drive the window a little and save pictures of it (scripts/screenshots).
    const QStringList args = QCoreApplication::arguments();
    if (const qsizetype at = args.indexOf("--screenshot-demo"); at >= 0 && at + 1 < args.size()) {
        afterRecovery = [&host, answerYes, &form, &info, &yesNo, dir = args.at(at + 1)] {
            host.askYesNo = answerYes;
            vandoret::ui::RunScreenshotDemo(form, info, yesNo, dir);
        };
    }
    // --live-demo PORT: a short race served on 127.0.0.1:PORT for pictures of the live pages.
    if (const qsizetype at = args.indexOf("--live-demo"); at >= 0 && at + 1 < args.size()) {
        live.Listen(QHostAddress::LocalHost, args.at(at + 1).toUShort());
        afterRecovery = [&host, answerYes, &form] {
            host.askYesNo = answerYes;
            vandoret::ui::RunLiveDemo(form);
        };
    }
    const int result = app.exec();
    if (!shutdown.Requested()) {
        tk.EndJournal();
    }
    host.askYesNo = nullptr;
    vandoret::ui::UnloadHelpLibrary();
    return result;
}
