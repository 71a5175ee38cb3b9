#include "ui/QtHost.h"

#include <QApplication>
#include <QAudioDevice>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMediaDevices>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QSoundEffect>
#include <QTextDocument>
#include <QTime>
#include <QTranslator>
#include <QUrl>

#include <chrono>

#include "base/FileStamp.h"
#include "lists/Cp1252.h"
#include "ui/DialogRun.h"
#include "ui/ShellVerb.h"

namespace vandoret::ui {
namespace {

QString ToQ(const std::string& s) {
    return QString::fromStdString(s);
}

QString FilterText(const std::vector<FileFilter>& filters) {
    QStringList parts;
    for (const auto& f : filters) {
        // A description that names its patterns already ("Text file (*.txt)") is taken as it is.
        const QString patterns = ToQ(f.pattern).replace(';', ' ');
        const QString description = ToQ(f.description);
        parts << (description.endsWith("(" + patterns + ")") ? description : description + " (" + patterns + ")");
    }
    return parts.join(";;");
}

} // namespace

QtHost::QtHost(QObject* parent) : QObject(parent) {
    timer1_.setInterval(100);
    timer1_.setTimerType(Qt::PreciseTimer);
    connect(&timer1_, &QTimer::timeout, this, [this] {
        if (onTimer1) {
            onTimer1();
        }
    });
    timer5sek_.setInterval(5000);
    timer5sek_.setSingleShot(true);
    timer5sek_.setTimerType(Qt::PreciseTimer);
    connect(&timer5sek_, &QTimer::timeout, this, [this] {
        if (onTimer5sek) {
            onTimer5sek();
        }
    });
    // Without an audio device the program stays silent instead of warning on every signal.
    audioAvailable_ = !QMediaDevices::audioOutputs().isEmpty();
}

QtHost::~QtHost() = default;

TimeOfDay QtHost::CurrentTimeOfDay() {
    return QTime::currentTime().msecsSinceStartOfDay() / 86'400'000.0;
}

std::int64_t QtHost::SteadyMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void QtHost::SetTimer1Enabled(bool enabled) {
    if (enabled && !timer1_.isActive()) {
        timer1_.start();
    } else if (!enabled) {
        timer1_.stop();
    }
}

bool QtHost::Timer1Enabled() const {
    return timer1_.isActive();
}
void QtHost::StartTimer5sek() {
    timer5sek_.start();
}
void QtHost::StopTimer5sek() {
    timer5sek_.stop();
}
bool QtHost::Timer5sekRunning() const {
    return timer5sek_.isActive();
}

QSoundEffect* QtHost::EffectFor(const std::string& path) {
    if (!audioAvailable_ || path.empty()) {
        return nullptr;
    }
    if (const auto it = effects_.find(path); it != effects_.end()) {
        return it->second;
    }
    if (!QFileInfo::exists(ToQ(path))) {
        return nullptr;
    }
    auto* effect = new QSoundEffect(this);
    effect->setSource(QUrl::fromLocalFile(ToQ(path)));
    effects_.emplace(path, effect);
    return effect;
}

void QtHost::PreloadSounds(const std::vector<std::string>& paths) {
    for (const auto& p : paths) {
        EffectFor(p);
    }
}

void QtHost::PlaySound(const std::string& path) {
    QSoundEffect* effect = EffectFor(path);
    if (effect == nullptr) {
        return;
    }
    if (playing_ != nullptr && playing_ != effect) {
        playing_->stop();
    }
    effect->stop();
    effect->play();
    playing_ = effect;
}

FileSignature QtHost::FileState(const std::string& path) {
    return vandoret::FileState(path);
}

void QtHost::ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtHost::SetBusyCursor(bool busy) {
    if (busy == busy_) {
        return;
    }
    busy_ = busy;
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

bool QtHost::AskYesNo(const std::string& question) {
    if (askYesNo) {
        return askYesNo(question);
    }
    QMessageBox box(QMessageBox::Question, QCoreApplication::applicationName(), ToQ(question),
                    QMessageBox::Yes | QMessageBox::No, dialogParent);
    return RunDialog(box) == QMessageBox::Yes;
}

void QtHost::ShowMessage(const std::string& text) {
    if (showMessage) {
        showMessage(text);
        return;
    }
    QMessageBox box(QMessageBox::Information, ToQ(ApplicationTitle()), ToQ(text), QMessageBox::Ok, dialogParent);
    RunDialog(box);
}

std::optional<std::string> QtHost::OpenFileDialog(const std::string& title, const std::vector<FileFilter>& filters) {
    if (openFileDialog) {
        return openFileDialog(title, filters);
    }
    // Qt's own dialog, not the platform's: only it passes F4 and F8 on to the main window.
    const QString folder = openDialogFolder ? openDialogFolder() : QDir::currentPath();
    QFileDialog dialog(dialogParent, ToQ(title), folder, FilterText(filters));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    const QString file = RunDialog(dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                             ? dialog.selectedFiles().constFirst()
                             : QString();
    if (file.isEmpty()) {
        return std::nullopt;
    }
    return QDir::toNativeSeparators(file).toStdString();
}

std::optional<std::string> QtHost::SaveFileDialog(const std::string& title, const std::string& initialName,
                                                  const std::vector<FileFilter>& filters) {
    if (saveFileDialog) {
        return saveFileDialog(title, initialName, filters);
    }
    const QString start = QDir::current().filePath(ToQ(initialName));
    QFileDialog dialog(dialogParent, ToQ(title), start, FilterText(filters)); // the folder, the name chosen
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite); // replaced
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QString file = RunDialog(dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                             ? dialog.selectedFiles().constFirst()
                             : QString();
    if (file.isEmpty()) {
        return std::nullopt;
    }
    return QDir::toNativeSeparators(file).toStdString();
}

bool QtHost::ShellExecute(const std::string& verb, const std::string& file) {
    if (shellExecute) {
        return shellExecute(verb, file);
    }
#ifdef Q_OS_WIN
    return WindowsShellVerb(verb, file);
#else
    // Elsewhere "open" shows the page in the default browser and "print" prints it here.
    const QString path = QFileInfo(ToQ(file)).absoluteFilePath();
    if (verb == "print") {
        return PrintHtmlFile(path, dialogParent);
    }
    if (file.find("://") != std::string::npos) {
        return QDesktopServices::openUrl(QUrl(ToQ(file)));
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
#endif
}

std::string QtHost::ProgramDir() const {
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + "/").toStdString();
}

std::string QtHost::ApplicationTitle() const {
    return ProgramTitle().toStdString();
}

QString ProgramTitle() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

bool PrintHtmlFile(const QString& file, QWidget* parent) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        return false;
    }
    // The page is written in Windows-1252.
    const QByteArray bytes = f.readAll();
    const QString html = QString::fromStdString(
        DecodeCp1252(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))));
    QTextDocument doc;
    doc.setHtml(html);
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return true; // cancelled by the operator: nothing went wrong
    }
    doc.print(&printer);
    return true;
}

QString GermanQtTranslation(const QStringList& folders) {
    // Qt's installation has qtbase_de.qm; windeployqt puts the same texts beside the program as
    // translations/qt_de.qm.
    for (const QString& dir : folders) {
        for (const QString& name : {QStringLiteral("qtbase_de.qm"), QStringLiteral("qt_de.qm")}) {
            const QString file = QDir(dir).filePath(name);
            if (QFileInfo(file).isFile()) {
                return file;
            }
        }
    }
    return {};
}

bool InstallGermanQtTranslation() {
    const QString file = GermanQtTranslation(
        {QLibraryInfo::path(QLibraryInfo::TranslationsPath), QCoreApplication::applicationDirPath() + "/translations"});
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!file.isEmpty() && translator->load(file)) {
        return QCoreApplication::installTranslator(translator);
    }
    delete translator;
    return false;
}

} // namespace vandoret::ui
