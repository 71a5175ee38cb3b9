// One program per PC: the first start owns the timing, a later start hands over to it and ends.
//
// Contract:
// - Claim() runs at start-up, before the main window exists and before the settings, the display
//   font file, the serial port or the journal are touched. It locks "<title>.lock" with QLockFile
//   in the user's runtime folder (XDG_RUNTIME_DIR; on Windows the local temporary folder), so
//   copies of the program under other titles, and other users, run side by side.
// - Owner: the lock is ours until this object is destroyed (destroy it last, after the main
//   window has saved its settings). A lock left by a process that no longer runs (crash, kill) is
//   taken over; a live holder's lock never turns stale with age. We serve requests on a local
//   socket named per user and title; each request calls onRaise and is answered when it returns.
// - Forwarded: another start holds the lock and answered our request to show and raise its main
//   window within the answer wait (two seconds). On Windows we first allow the holder to take
//   the foreground (AllowSetForegroundWindow). The caller ends without touching anything else.
// - NoAnswer: the holder did not answer in time (hung, or still starting without a window):
//   tell("Vandoret läuft bereits.") was called (the program's message box) and the caller ends.
// - A folder that cannot hold a lock at all (missing, read-only) lets the program run unguarded
//   as Owner with HoldsLock() false: timing alone beats not timing at all.
#pragma once

#include <QObject>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

class QLocalServer;
class QLocalSocket;
class QLockFile;
class QWidget;

namespace vandoret::ui {

inline constexpr const char* kAlreadyRunning = "Vandoret läuft bereits.";

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Start { Owner, Forwarded, NoAnswer };

    // `title` is the program title; `folder` overrides the per-user runtime folder (tests).
    explicit SingleInstance(const QString& title, const QString& folder = {}, QObject* parent = nullptr);
    ~SingleInstance() override;

    Start Claim(const std::function<void(const std::string&)>& tell,
                std::chrono::milliseconds answerWait = std::chrono::seconds(2));

    // Owner: called on the user-interface thread whenever a later start asks us to come forward.
    std::function<void()> onRaise;

    bool HoldsLock() const;
    QString lockFilePath() const { return lockPath_; }
    QString serverName() const { return serverName_; }

    // Shows the window (restored if minimised), raises it and asks for the keyboard focus.
    static void BringForward(QWidget* window);

private:
    void Serve();
    void Answer(QLocalSocket* socket);
    bool AskHolderToRaise(std::chrono::milliseconds answerWait);

    QString lockPath_;
    QString serverName_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};

} // namespace vandoret::ui
