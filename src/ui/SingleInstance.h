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
// - Before taking a lock over (or creating one where none was), a start asks the socket once: a
//   program that answers is running although its lock file was gone (deleted by hand or by a
//   clean-up of the runtime folder), so the start forwards to it (Forwarded) or, when it accepts
//   but does not answer, reports NoAnswer. It never removes a socket a live program serves.
// - The owner looks at its lock file once a second (CheckLock): when the file at the lock's path
//   is gone or is another file, it writes its own again, so a later start finds it. The first
//   lock keeps its descriptor for the whole run.
// - Forwarded: another start holds the lock and answered our request to show and raise its main
//   window (and, when a start list was given, to open it) within the answer wait (two seconds). On Windows we first
//   allow the holder to take the foreground (AllowSetForegroundWindow). The caller ends without touching anything else.
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
class QTimer;
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

    // `openFile`: the full name of a start list the running program is asked to open when this
    // start hands over (empty: only raise it).
    Start Claim(const std::function<void(const std::string&)>& tell,
                std::chrono::milliseconds answerWait = std::chrono::seconds(2), const QString& openFile = {});

    // Owner: called on the user-interface thread whenever a later start asks us to come forward.
    std::function<void()> onRaise;
    // Owner: a later start handed over this start list's full name. Called from the event loop
    // after the request was answered, so a question it asks never keeps the later start waiting.
    std::function<void(const QString&)> onOpen;

    // The longest request a later start sends and the running one reads, its line end included;
    // a longer one is not ours and is dropped.
    static constexpr qint64 kLongestRequest = 4096;
    // True when a request to open `file` fits into kLongestRequest.
    static bool CanHandOver(const QString& file);

    bool HoldsLock() const;
    // Owner: writes the lock file again when the one at its path is not ours any more (the
    // once-a-second check; public for tests). True when the file at the path is ours afterwards.
    bool CheckLock();
    QString lockFilePath() const { return lockPath_; }
    QString serverName() const { return serverName_; }

    // Shows the window (restored if minimised), raises it and asks for the keyboard focus.
    static void BringForward(QWidget* window);

private:
    void Serve();
    void Answer(QLocalSocket* socket);
    enum class Reply { Raised, NoServer, Silent };
    // Asks the holder's socket to raise its window. `untilAnswered`: a holder that is not
    // listening yet is asked again until the wait is over; otherwise one attempt, and a socket no
    // one serves ends it at once with NoServer.
    Reply AskHolderToRaise(std::chrono::milliseconds answerWait, bool untilAnswered);
    // The request line: "raise\n", or "open <percent-encoded UTF-8 name>\n".
    static QByteArray Request(const QString& openFile);
    bool LockFileIsOurs() const;
    void RememberLockFile();

    QString lockPath_;
    QString serverName_;
    QByteArray request_ = Request({});
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
    QTimer* lockCheck_ = nullptr;
    // The lock file we wrote (its device and inode), the bytes the lock wrote into it and the
    // descriptor of a lock file written again after ours went away (-1: none).
    quint64 lockDevice_ = 0;
    quint64 lockInode_ = 0;
    QByteArray lockContent_;
    int rewrittenFd_ = -1;
};

} // namespace vandoret::ui
