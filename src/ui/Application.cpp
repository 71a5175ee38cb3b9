#include "ui/Application.h"

#include <QLocale>
#include <QTime>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <string_view>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
// Lean: without shellapi.h's ShellExecute macro, which would rename the host's ShellExecute here.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

#include "base/RegionalSettings.h"
#include "contacts/port_layer/PortLayer.h"
#include "settings/SettingsStore.h"
#include "ui/DialogRun.h"
#include "ui/HtmlHelp.h"
#include "ui/ScreenshotDemo.h"
#include "ui/StatusMiddle.h"

namespace vandoret::ui {

namespace {

// The decimal and time separators of the user's regional settings: on Windows read from the
// regional settings themselves, elsewhere from Qt's view of the system locale, by the same rule.
Locale SystemLocale() {
#ifdef _WIN32
    return WindowsRegionalLocale();
#else
    const QLocale system = QLocale::system();
    const QString decimal = system.decimalPoint();
    const QString timeFormat = system.timeFormat(QLocale::ShortFormat);
    return LocaleFromRegionalTexts(std::u16string_view(reinterpret_cast<const char16_t*>(decimal.utf16()),
                                                       static_cast<std::size_t>(decimal.size())),
                                   std::u16string_view(reinterpret_cast<const char16_t*>(timeFormat.utf16()),
                                                       static_cast<std::size_t>(timeFormat.size())),
                                   u"");
#endif
}

// The clock of the port's waiting thread: it stamps each line change the moment it is seen.
TimeOfDay WallClock() {
    return QTime::currentTime().msecsSinceStartOfDay() / 86'400'000.0;
}

} // namespace

void QtDispatcher::Post(std::function<void()> serve) {
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

Application::Application(int& argc, char** argv) : argc_(argc), argv_(argv) {}

Application::~Application() = default;

int Application::Run() {
    if (AnswerVersion()) {
        return 0;
    }
    if (!MoveDemoToPrivateFolders()) {
        return 1;
    }
    StartQt();
    switch (ClaimInstance()) {
    case SingleInstance::Start::Owner:
        break;
    case SingleInstance::Start::Forwarded:
        return 0;
    case SingleInstance::Start::NoAnswer:
        return 1;
    }
    LoadHelp();
    CreateTimekeeper();
    ConnectSettingsStore();
    AttachPort();
    AttachJournal();
    CreateMainWindow();
    StartLiveResults();
    CreateDialogs();
    PreloadSounds();
    ConnectOutsideRequests();
    ShowMainWindow();
    ScheduleRecovery();
    PrepareDemo();
    const int result = app_->exec();
    EndRun();
    return result;
}

bool Application::AnswerVersion() const {
    for (int i = 1; i < argc_; ++i) {
        if (std::strcmp(argv_[i], "--version") == 0) {
#ifdef _WIN32
            // A windowed program has no console of its own: write into the one it was started from.
            if (AttachConsole(ATTACH_PARENT_PROCESS)) {
                FILE* console = nullptr;
                freopen_s(&console, "CONOUT$", "w", stdout);
            }
#endif
            std::printf("Vandoret %s\n", VANDORET_VERSION);
            return true;
        }
    }
    return false;
}

bool Application::MoveDemoToPrivateFolders() {
    QStringList rawArgs;
    for (int i = 0; i < argc_; ++i) {
        rawArgs << QString::fromLocal8Bit(argv_[i]);
    }
    demoFolders_.emplace(rawArgs);
    if (demoFolders_->Failed()) {
        std::fprintf(stderr, "Vandoret: no private folder for the demo run\n");
        return false;
    }
    return true;
}

void Application::StartQt() {
    app_.emplace(argc_, argv_);
    // SIGTERM and SIGINT from here on end the run as a confirmed close does (ConnectOutsideRequests).
    shutdown_.emplace();
    QCoreApplication::setApplicationVersion(VANDORET_VERSION);
    InstallGermanQtTranslation();
}

SingleInstance::Start Application::ClaimInstance() {
    instance_.emplace(ProgramTitle());
    const auto tell = [](const std::string& text) { QtHost().ShowMessage(text); };
    return instance_->Claim(tell);
}

void Application::LoadHelp() {
    LoadHelpLibrary();
}

void Application::CreateTimekeeper() {
    host_.emplace();
    portLayer_ = CreatePlatformPortLayer();
    journalWriter_.emplace(FileJournalWriter::DefaultFolder(), host_->ApplicationTitle());
    tk_.emplace(*host_, SystemLocale());
}

void Application::ConnectSettingsStore() {
    // The settings live under the program's title; read once at start, written once at the end.
    store_ = MakeSettingsStore(host_->ApplicationTitle());
    options_.loadSettings = [this](Settings& settings) {
        if (store_) {
            LoadSettings(*store_, settings, &settingsRead_);
        } else {
            ComputeAllowedTime(settings);
        }
    };
    options_.saveSettings = [this](const Settings& settings) {
        if (store_) {
            SaveSettings(*store_, settings, &settingsRead_);
        }
    };
}

void Application::AttachPort() {
    if (portLayer_) {
        tk_->AttachComPort(*portLayer_, dispatcher_, WallClock);
        options_.listComPorts = [this] { tk_->ListComPorts(*portLayer_); };
    }
}

void Application::AttachJournal() {
    tk_->AttachJournal(*journalWriter_, journalClock_);
}

void Application::CreateMainWindow() {
    form_.emplace(*host_, *tk_, options_);
    host_->dialogParent = &*form_;
    host_->onTimer1 = [this] { form_->Timer1Timer(); };
    host_->onTimer5sek = [this] { form_->Timer5sekTimer(); };
    dispatcher_.afterServe = [this] { form_->RefreshFromCore(); };
}

void Application::StartLiveResults() {
    live_.emplace(*tk_, host_->ApplicationTitle());
    live_->onStatus = [this](const QString& text) {
        SetMiddlePanelAddress(form_->StatusPanels[1], text, live_->Urls().join('\n'));
    };
    live_->Apply(tk_->settings.WebPort);
}

void Application::CreateDialogs() {
    // The settings dialog opens and closes the port through the Timekeeper.
    ports_.emplace(tk_->contacts);
    cfg_.emplace(*ports_, tk_->locale(), &*form_);
    cfg_->runModal = [](TCfgDialog& d) { return RunDialog(d); };
    form_->settingsDialog = [this] {
        if (cfg_->bCFGClick(tk_->settings, [this] { form_->FormResize(); })) {
            tk_->SettingsConfirmed();
            live_->Apply(tk_->settings.WebPort);
        }
    };
    info_.emplace(&*form_);
    info_->openUrl = [this](const QString& url) { host_->ShellExecute("open", url.toStdString()); };
    form_->FormInfo = &*info_;
    yesNo_.emplace(&*form_);
    host_->askYesNo = [this](const std::string& q) { return yesNo_->Ask(QString::fromStdString(q)); };
}

void Application::PreloadSounds() {
    host_->PreloadSounds(
        {tk_->registrations.ReadySoundFile, tk_->registrations.StartSoundFile, tk_->registrations.FinishSoundFile});
}

void Application::ConnectOutsideRequests() {
    instance_->onRaise = [this] { SingleInstance::BringForward(&*form_); };
    // Ended from outside: settings written, port closed and font removed as at a confirmed close;
    // the lock goes with instance_ when the run ends.
    shutdown_->SetShutdownHandler([this] {
        form_->FormDestroy();
        QApplication::exit(0); // not quit(): that would close the window and ask "Beenden?"
    });
}

void Application::ShowMainWindow() {
    form_->show();
}

void Application::ScheduleRecovery() {
    // All dialogs exist: once the window is up, offer the times of a session that ended in a crash.
    QTimer::singleShot(0, &*form_, [this] {
        RecoverSession();
        if (afterRecovery_) {
            afterRecovery_();
        }
    });
}

void Application::RecoverSession() {
    if (tk_->RecoverLastSession()) {
        form_->RefreshFromCore();
    }
}

void Application::PrepareDemo() {
    // The demo runs answer their own questions "Ja", from the moment they start driving the window.
    const auto answerYes = [](const std::string&) { return true; };
    // --screenshot-demo DIR: drive the window a little and save pictures of it (scripts/screenshots).
    const QStringList args = QCoreApplication::arguments();
    if (const qsizetype at = args.indexOf("--screenshot-demo"); at >= 0 && at + 1 < args.size()) {
        afterRecovery_ = [this, answerYes, dir = args.at(at + 1)] {
            host_->askYesNo = answerYes;
            RunScreenshotDemo(*form_, *info_, *yesNo_, dir);
        };
    }
    // --live-demo PORT: a short race served on 127.0.0.1:PORT for pictures of the live pages.
    if (const qsizetype at = args.indexOf("--live-demo"); at >= 0 && at + 1 < args.size()) {
        live_->Listen(QHostAddress::LocalHost, args.at(at + 1).toUShort());
        afterRecovery_ = [this, answerYes] {
            host_->askYesNo = answerYes;
            RunLiveDemo(*form_);
        };
    }
}

void Application::EndRun() {
    if (!shutdown_->Requested()) {
        tk_->EndJournal();
    }
    host_->askYesNo = nullptr;
    UnloadHelpLibrary();
}

} // namespace vandoret::ui
