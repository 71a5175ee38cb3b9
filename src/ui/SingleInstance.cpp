#include "ui/SingleInstance.h"

#include <QDir>
#include <QEventLoop>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace vandoret::ui {
namespace {

constexpr char kRequest[] = "raise\n";
constexpr char kAnswer[] = "raised\n";
// A request is one short line; anything longer is not from us.
constexpr qint64 kLongestRequest = 64;
constexpr int kRetryMs = 100;

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
    lock_.reset(); // unlocks and deletes the lock file
}

bool SingleInstance::HoldsLock() const {
    return lock_ && lock_->isLocked();
}

SingleInstance::Start SingleInstance::Claim(const std::function<void(const std::string&)>& tell,
                                            std::chrono::milliseconds answerWait) {
    lock_ = std::make_unique<QLockFile>(lockPath_);
    // Only a holder that no longer runs makes a lock stale, never the lock's age.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) {
        Serve();
        return Start::Owner;
    }
    if (lock_->error() != QLockFile::LockFailedError) {
        lock_.reset();
        return Start::Owner;
    }
    if (AskHolderToRaise(answerWait)) {
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
}

void SingleInstance::Answer(QLocalSocket* socket) {
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kLongestRequest) {
            socket->abort();
        }
        return;
    }
    const QByteArray request = socket->readLine(kLongestRequest);
    if (request == kRequest) {
        if (onRaise) {
            onRaise();
        }
        socket->write(kAnswer);
        socket->flush();
    }
    socket->disconnectFromServer();
}

bool SingleInstance::AskHolderToRaise(std::chrono::milliseconds answerWait) {
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
    QTimer deadline;
    deadline.setSingleShot(true);
    QTimer retry;
    retry.setSingleShot(true);
    const auto connectNow = [&] {
        socket.abort();
        reply.clear();
        socket.connectToServer(serverName_);
    };
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(&retry, &QTimer::timeout, &loop, connectNow);
    connect(&socket, &QLocalSocket::connected, &loop, [&] { socket.write(kRequest); });
    connect(&socket, &QLocalSocket::readyRead, &loop, [&] {
        reply += socket.readAll();
        if (reply.contains('\n')) {
            answered = reply == kAnswer;
            loop.quit();
        }
    });
    // The holder may still be starting (locked, not yet listening) or closed on us: try again.
    const auto again = [&] {
        if (!answered && !retry.isActive()) {
            retry.start(kRetryMs);
        }
    };
    connect(&socket, &QLocalSocket::errorOccurred, &loop, again);
    connect(&socket, &QLocalSocket::disconnected, &loop, again);
    deadline.start(answerWait);
    connectNow();
    if (!answered) {
        loop.exec();
    }
    socket.abort();
    return answered;
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
