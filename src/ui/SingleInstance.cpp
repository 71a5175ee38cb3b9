#include "ui/SingleInstance.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vandoret::ui {
namespace {

constexpr char kRequest[] = "raise\n";
constexpr char kOpenRequest[] = "open ";
constexpr char kAnswer[] = "raised\n";
constexpr int kRetryMs = 100;
constexpr int kLockCheckMs = 1000;

// The title as a file and pipe name: no folder separators or characters Windows refuses.
QString SafeName(const QString& title) {
    QString name = title.isEmpty() ? QStringLiteral("Vandoret") : title;
    for (QChar& c : name) {
        if (QStringLiteral("/\\:*?\"<>|").contains(c) || c.unicode() < 0x20) {
            c = u'_';
        }
    }
    return name;
}

QString UserFolder() {
#ifdef Q_OS_WIN
    return QDir::tempPath();
#else
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
#endif
}

} // namespace

SingleInstance::SingleInstance(const QString& title, const QString& folder, QObject* parent) : QObject(parent) {
    const QString name = SafeName(title);
    const QDir dir(folder.isEmpty() ? UserFolder() : folder);
    lockPath_ = dir.filePath(name + ".lock");
#ifdef Q_OS_WIN
    // Pipe names are one namespace for the whole machine: the user's name keeps users apart.
    serverName_ = QStringLiteral("Vandoret-%1-%2").arg(SafeName(qEnvironmentVariable("USERNAME")), name);
    if (!folder.isEmpty()) {
        serverName_ += QStringLiteral("-") + QString::number(qHash(dir.absolutePath()), 16);
    }
#else
    // A socket file beside the lock: the folder belongs to the user.
    serverName_ = dir.filePath(name + ".socket");
#endif
}

SingleInstance::~SingleInstance() {
    if (server_ != nullptr) {
        server_->close();
    }
    if (lock_ && lock_->isLocked() && !LockFileIsOurs()) {
        // The file at the path is gone or another start's: unlocking would delete what is not
        // ours. Our descriptor is closed when the process ends.
        (void)lock_.release();
    }
    lock_.reset(); // unlocks and deletes the lock file (ours, or the one written again)
#ifndef Q_OS_WIN
    if (rewrittenFd_ >= 0) {
        ::close(rewrittenFd_);
    }
#endif
}

bool SingleInstance::HoldsLock() const {
    return lock_ && lock_->isLocked();
}

void SingleInstance::RememberLockFile() {
    QFile file(lockPath_);
    if (file.open(QIODevice::ReadOnly)) {
        lockContent_ = file.readAll();
    }
#ifndef Q_OS_WIN
    struct stat st {};
    if (::stat(QFile::encodeName(lockPath_).constData(), &st) == 0) {
        lockDevice_ = static_cast<quint64>(st.st_dev);
        lockInode_ = static_cast<quint64>(st.st_ino);
    }
#endif
}

bool SingleInstance::LockFileIsOurs() const {
#ifdef Q_OS_WIN
    // Windows refuses to delete a file that is held open without sharing its deletion.
    return true;
#else
    struct stat st {};
    return ::stat(QFile::encodeName(lockPath_).constData(), &st) == 0 &&
           static_cast<quint64>(st.st_dev) == lockDevice_ && static_cast<quint64>(st.st_ino) == lockInode_;
#endif
}

bool SingleInstance::CheckLock() {
    if (!HoldsLock()) {
        return false;
    }
    if (LockFileIsOurs()) {
        return true;
    }
#ifdef Q_OS_WIN
    return true;
#else
    // Exclusive create, as the lock itself does: a file that stands there now belongs to a start
    // that is forwarding to us (it goes away) or to one that died; the next check tries again.
    const QByteArray path = QFile::encodeName(lockPath_);
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    qint64 done = 0;
    while (done < lockContent_.size()) {
        const ssize_t n = ::write(fd, lockContent_.constData() + done, static_cast<size_t>(lockContent_.size() - done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ::close(fd);
            ::unlink(path.constData());
            return false;
        }
        done += n;
    }
    (void)::flock(fd, LOCK_EX | LOCK_NB); // held like the first lock file's
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        ::unlink(path.constData());
        return false;
    }
    if (rewrittenFd_ >= 0) {
        ::close(rewrittenFd_);
    }
    rewrittenFd_ = fd;
    lockDevice_ = static_cast<quint64>(st.st_dev);
    lockInode_ = static_cast<quint64>(st.st_ino);
    return true;
#endif
}

QByteArray SingleInstance::Request(const QString& openFile) {
    if (openFile.isEmpty()) {
        return kRequest;
    }
    // Percent-encoded: a name holding a line end or a space stays one line.
    return kOpenRequest + QUrl::toPercentEncoding(openFile) + '\n';
}

bool SingleInstance::CanHandOver(const QString& file) {
    return Request(file).size() <= kLongestRequest;
}

SingleInstance::Start SingleInstance::Claim(const std::function<void(const std::string&)>& tell,
                                            std::chrono::milliseconds answerWait, const QString& openFile) {
    request_ = Request(openFile);
    lock_ = std::make_unique<QLockFile>(lockPath_);
    // Only a holder that no longer runs makes a lock stale, never the lock's age.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) {
        RememberLockFile();
        // No lock file, or a dead holder's. A program whose lock file was deleted still answers
        // on its socket: ask once before taking over, and never take over from it.
        switch (AskHolderToRaise(answerWait, false)) {
        case Reply::NoServer:
            Serve();
            return Start::Owner;
        case Reply::Raised:
            lock_.reset();
            return Start::Forwarded;
        case Reply::Silent:
            lock_.reset();
            if (tell) {
                tell(kAlreadyRunning);
            }
            return Start::NoAnswer;
        }
    }
    if (lock_->error() != QLockFile::LockFailedError) {
        lock_.reset();
        return Start::Owner;
    }
    if (AskHolderToRaise(answerWait, true) == Reply::Raised) {
        return Start::Forwarded;
    }
    if (tell) {
        tell(kAlreadyRunning);
    }
    return Start::NoAnswer;
}

void SingleInstance::Serve() {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket file left by a holder that crashed: we hold the lock, so no one serves it.
    QLocalServer::removeServer(serverName_);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Answer(socket); });
            Answer(socket); // the request may have come with the connection
        }
    });
    // Without a server later starts get no answer and say that the program runs already.
    server_->listen(serverName_);
    lockCheck_ = new QTimer(this);
    lockCheck_->setInterval(kLockCheckMs);
    connect(lockCheck_, &QTimer::timeout, this, [this] { CheckLock(); });
    lockCheck_->start();
}

void SingleInstance::Answer(QLocalSocket* socket) {
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() >= kLongestRequest) {
            socket->abort();
        }
        return;
    }
    const QByteArray request = socket->readLine(kLongestRequest + 1);
    QString openFile;
    if (request.size() <= kLongestRequest && request.startsWith(kOpenRequest) && request.endsWith('\n')) {
        const QByteArray encoded = request.mid(qsizetype(sizeof kOpenRequest) - 1).chopped(1);
        openFile = QUrl::fromPercentEncoding(encoded);
    }
    if (request == kRequest || !openFile.isEmpty()) {
        if (onRaise) {
            onRaise();
        }
        socket->write(kAnswer);
        socket->flush();
    }
    socket->disconnectFromServer();
    if (!openFile.isEmpty()) {
        QTimer::singleShot(0, this, [this, openFile] {
            if (onOpen) {
                onOpen(openFile);
            }
        });
    }
}

SingleInstance::Reply SingleInstance::AskHolderToRaise(std::chrono::milliseconds answerWait, bool untilAnswered) {
#ifdef Q_OS_WIN
    qint64 pid = 0;
    QString hostName;
    QString appName;
    if (lock_->getLockInfo(&pid, &hostName, &appName) && pid > 0) {
        AllowSetForegroundWindow(static_cast<DWORD>(pid));
    }
#endif
    // Our own event loop rather than blocking waits, so a holder in this very thread can answer.
    QEventLoop loop;
    QLocalSocket socket;
    QByteArray reply;
    bool answered = false;
    bool connected = false;
    bool noServer = false;
    bool done = false; // also before the loop runs: a failed connect may report at once
    QTimer deadline;
    deadline.setSingleShot(true);
    QTimer retry;
    retry.setSingleShot(true);
    const auto finish = [&] {
        done = true;
        loop.quit();
    };
    const auto connectNow = [&] {
        socket.abort();
        reply.clear();
        connected = false;
        socket.connectToServer(serverName_);
    };
    connect(&deadline, &QTimer::timeout, &loop, finish);
    connect(&retry, &QTimer::timeout, &loop, connectNow);
    connect(&socket, &QLocalSocket::connected, &loop, [&] {
        connected = true;
        socket.write(request_);
    });
    connect(&socket, &QLocalSocket::readyRead, &loop, [&] {
        reply += socket.readAll();
        if (reply.contains('\n')) {
            answered = reply == kAnswer;
            finish();
        }
    });
    // The holder may still be starting (locked, not yet listening) or closed on us: try again.
    // A single attempt ends here: nobody listens, or a listener closed without an answer.
    const auto failed = [&] {
        if (answered || done) {
            return;
        }
        if (!untilAnswered) {
            noServer = !connected;
            finish();
        } else if (!retry.isActive()) {
            retry.start(kRetryMs);
        }
    };
    connect(&socket, &QLocalSocket::errorOccurred, &loop, failed);
    connect(&socket, &QLocalSocket::disconnected, &loop, failed);
    deadline.start(answerWait);
    connectNow();
    if (!done) {
        loop.exec();
    }
    socket.abort();
    if (answered) {
        return Reply::Raised;
    }
    return noServer ? Reply::NoServer : Reply::Silent;
}

void SingleInstance::BringForward(QWidget* window) {
    if (window == nullptr) {
        return;
    }
    if (window->isMinimized()) {
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    }
    window->show();
    window->raise();
    window->activateWindow();
    // X refuses a focus request stamped before the last focus change, and our last stamp may be
    // old; the first request brings a fresh one back, so ask once more a moment later.
    QTimer::singleShot(100, window, [window] {
        if (!window->isActiveWindow()) {
            window->activateWindow();
        }
    });
}

} // namespace vandoret::ui
