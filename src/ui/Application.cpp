#include "ui/Application.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTime>
#include <QTimer>
#include <cstdio>
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
#include "reports/ResultsPage.h"
#include "settings/SettingsStore.h"
#include "ui/DialogRun.h"
#include "ui/HtmlHelp.h"
#include "ui/ScreenshotDemo.h"
#include "ui/StartListHint.h"
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

// The options QApplication, QGuiApplication and the X11 platform take for themselves; the
// command line lets them through to Qt.
struct QtOption {
    const char* name;
    bool takesValue;
};
constexpr QtOption kQtOptions[] = {
    {"platform", true},      {"platformpluginpath", true},
    {"platformtheme", true}, {"plugin", true},
    {"qmljsdebugger", true}, {"qwindowgeometry", true},
    {"qwindowicon", true},   {"qwindowtitle", true},
    {"session", true},       {"style", true},
    {"stylesheet", true},    {"display", true},
    {"geometry", true},      {"title", true},
    {"icon", true},          {"name", true},
    {"visual", true},        {"reverse", false},
    {"widgetcount", false},  {"nograb", false},
    {"dograb", false},       {"sync", false},
    {"testability", false},
};

// A windowed program has no console of its own on Windows: write into the one it was started
// from. Elsewhere the output is there already.
void AttachParentConsole() {
#ifdef _WIN32
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        FILE* console = nullptr;
        freopen_s(&console, "CONOUT$", "w", stdout);
        freopen_s(&console, "CONOUT$", "w", stderr);
    }
#endif
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
    if (const std::optional<int> ended = ReadCommandLine()) {
        return *ended;
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

std::optional<int> Application::ReadCommandLine() {
    QStringList args;
    for (int i = 0; i < argc_; ++i) {
        args << QString::fromLocal8Bit(argv_[i]);
    }
    QCommandLineParser parser;
    // Qt's own options are words after one dash (-platform xcb, -style=fusion, -reverse).
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        "Timing for the cross-country phase of eventing. Without a start list the program reads the\n"
        "one it last opened, at first Starterliste.txt in the current folder.");
    const QCommandLineOption help(QStringList{"h", "help"}, "Show this help and exit.");
    const QCommandLineOption version(QStringList{"v", "version"}, "Show the version and exit.");
    const QCommandLineOption screenshotDemo("screenshot-demo", "Demo: save pictures of the window into <folder>.",
                                            "folder");
    const QCommandLineOption liveDemo("live-demo", "Demo: a short race served on 127.0.0.1:<port>.", "port");
    parser.addOptions({help, version, screenshotDemo, liveDemo});
    for (const QtOption& qt : kQtOptions) {
        QCommandLineOption option(QString::fromLatin1(qt.name), QString(), qt.takesValue ? "value" : QString());
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    parser.addPositionalArgument("start-list",
                                 "The start list to open, as Ctrl+O opens it; handed over to the "
                                 "program when it runs already.",
                                 "[start-list]");
    const bool parsed = parser.parse(args);
    const auto refuse = [](const QString& text) {
        AttachParentConsole();
        std::fprintf(stderr, "Vandoret: %s\nTry 'Vandoret --help' for more information.\n", qPrintable(text));
        return 2;
    };
    if (!parsed) {
        return refuse(parser.errorText());
    }
    if (parser.isSet(help)) {
        QString text = parser.helpText();
        text.replace(0, text.indexOf('\n'), "Usage: Vandoret [options] [start-list]");
        AttachParentConsole();
        std::printf("%s", text.toLocal8Bit().constData());
        return 0;
    }
    if (parser.isSet(version)) {
        AttachParentConsole();
        std::printf("Vandoret %s\n", VANDORET_VERSION);
        return 0;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        return refuse(QString("one start list at a time, not %1").arg(files.size()));
    }
    if (files.size() == 1) {
        const QFileInfo file(files.constFirst());
        if (!file.isFile()) {
            return refuse("no such start list: " + files.constFirst());
        }
        // The full name: a running program resolves nothing against our folder.
        startListArgument_ = QDir::toNativeSeparators(QDir::cleanPath(file.absoluteFilePath()));
        if (!SingleInstance::CanHandOver(startListArgument_)) {
            return refuse("the start list's name is too long: " + files.constFirst());
        }
    }
    return std::nullopt;
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
    return instance_->Claim(tell, std::chrono::seconds(2), startListArgument_);
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
    host_->openDialogFolder = [this] { return OpenDialogFolder(tk_->startList.StartListNotFound()); };
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
    info_->places = [this] {
        const auto shown = [](const std::string& utf8) {
            return QDir::toNativeSeparators(QString::fromStdString(utf8));
        };
        return FilePlaces{shown(FileJournalWriter::DefaultFolder()), shown(SettingsPlace(host_->ApplicationTitle())),
                          QDir::toNativeSeparators(
                              QDir::current().absoluteFilePath(QString::fromStdString(ResultsPageName(*host_))))};
    };
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
    instance_->onOpen = [this](const QString& file) { form_->OpenStartListFile(file); };
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
        // After the recovery: recovered times are given up only on "Protokoll überschreiben?".
        if (!startListArgument_.isEmpty()) {
            form_->OpenStartListFile(startListArgument_);
        }
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
