// QtHost: the platform under the core, built on Qt.
//
// Timer1 and Timer5sek are QTimers whose timeouts are passed to the handlers the window sets;
// sounds are QSoundEffects loaded once; the dialogs are the program's own and can be replaced by
// pre-answered functions (tests, screenshot runs).
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>

#include "base/Host.h"

class QSoundEffect;
class QWidget;

namespace vandoret::ui {

class QtHost : public QObject, public Host {
    Q_OBJECT
public:
    explicit QtHost(QObject* parent = nullptr);
    ~QtHost() override;

    // Handlers of the two timers (the window sets them to its Timer1Timer / Timer5sekTimer).
    std::function<void()> onTimer1;
    std::function<void()> onTimer5sek;
    // Replaceable dialogs; unset ones use the real dialogs.
    std::function<bool(const std::string&)> askYesNo;
    std::function<void(const std::string&)> showMessage;
    std::function<std::optional<std::string>(const std::string&, const std::vector<FileFilter>&)> openFileDialog;
    std::function<std::optional<std::string>(const std::string&, const std::string&, const std::vector<FileFilter>&)>
        saveFileDialog;
    std::function<bool(const std::string&, const std::string&)> shellExecute;
    // The folder the open dialog starts in; unset: the current directory.
    std::function<QString()> openDialogFolder;
    // The window dialogs and messages are centred on.
    QWidget* dialogParent = nullptr;

    // Loads the given wave files now, so that the first signal plays at once.
    void PreloadSounds(const std::vector<std::string>& paths);
    bool AudioAvailable() const { return audioAvailable_; }

    TimeOfDay CurrentTimeOfDay() override;
    std::int64_t SteadyMilliseconds() override;
    void SetTimer1Enabled(bool enabled) override;
    bool Timer1Enabled() const override;
    void StartTimer5sek() override;
    void StopTimer5sek() override;
    bool Timer5sekRunning() const override;
    void PlaySound(const std::string& path) override;
    FileSignature FileState(const std::string& path) override;
    void ProcessMessages() override;
    void SetBusyCursor(bool busy) override;
    bool AskYesNo(const std::string& question) override;
    void ShowMessage(const std::string& text) override;
    std::optional<std::string> OpenFileDialog(const std::string& title,
                                              const std::vector<FileFilter>& filters) override;
    std::optional<std::string> SaveFileDialog(const std::string& title, const std::string& initialName,
                                              const std::vector<FileFilter>& filters) override;
    bool ShellExecute(const std::string& verb, const std::string& file) override;
    std::string ProgramDir() const override;
    std::string ApplicationTitle() const override;

private:
    QSoundEffect* EffectFor(const std::string& path);

    QTimer timer1_;
    QTimer timer5sek_;
    bool audioAvailable_ = false;
    bool busy_ = false;
    std::map<std::string, QSoundEffect*> effects_;
    QSoundEffect* playing_ = nullptr;
};

// The program's title: its file name without the extension (copies under other names are other programs).
QString ProgramTitle();

// Prints an HTML file through the print dialog (the "print" verb off Windows).
bool PrintHtmlFile(const QString& file, QWidget* parent);

// The first of qtbase_de.qm and qt_de.qm (the name windeployqt gives it) in the first folder
// holding one; empty when none does.
QString GermanQtTranslation(const QStringList& folders);
// Loads Qt's own German texts (file, print and message dialogs) from the Qt translations folder,
// or from a "translations" folder beside the program; false when neither holds them, and the
// dialogs stay in English.
bool InstallGermanQtTranslation();

} // namespace vandoret::ui
