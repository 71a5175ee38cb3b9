// The live pages' web server: a QTcpServer on a thread of its own, answering from snapshots.
#include "ui/LiveServer.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMetaObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <mutex>
#include <string_view>

#ifdef __GLIBC__
#include <malloc.h>
#endif
#ifdef __linux__
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

#include "reports/HttpReader.h"
#include "reports/LiveAnswers.h"

namespace vandoret::ui {

// What both threads see: the pages to serve, swapped whole under the lock.
struct LiveServer::Shared {
    std::mutex lock;
    std::shared_ptr<const LiveRoutes> routes = std::make_shared<const LiveRoutes>();
    std::function<TimeOfDay()> clock;

    std::shared_ptr<const LiveRoutes> Routes() {
        const std::lock_guard<std::mutex> hold(lock);
        return routes;
    }
};

namespace {

// IPv4 clients reach a dual-stack socket as ::ffff:a.b.c.d: one client, one key.
QString AddressKey(const QHostAddress& peer) {
    bool v4 = false;
    const quint32 ip = peer.toIPv4Address(&v4);
    return v4 ? QHostAddress(ip).toString() : peer.toString();
}

class Front : public QTcpServer {
public:
    std::function<void(qintptr)> onConnection;

protected:
    void incomingConnection(qintptr handle) override { onConnection(handle); }
};

} // namespace

class LiveServer::Worker : public QObject {
public:
    Worker(LiveServer& owner, std::shared_ptr<Shared> shared) : owner_(owner), shared_(std::move(shared)) {
        age_.start();
        connect(&sweep_, &QTimer::timeout, this, &Worker::Sweep);
    }
    ~Worker() override { Close(); }

    quint16 Listen(const QHostAddress& address, quint16 port, int idleMs, int headMs) {
        Close();
        idleMs_ = idleMs;
        headMs_ = headMs;
        front_ = new Front;
        front_->setParent(this);
        front_->setMaxPendingConnections(kMaxConnections);
        front_->onConnection = [this](qintptr handle) { Accept(handle); };
        if (!front_->listen(address, port)) {
            Close();
            return 0;
        }
        sweep_.start(std::clamp(std::min(idleMs_, headMs_) / 4, 20, 250));
        return front_->serverPort();
    }

    void Close() {
        sweep_.stop();
        delete front_;
        front_ = nullptr;
        const QList<QTcpSocket*> sockets = connections_.keys();
        for (QTcpSocket* socket : sockets) {
            Drop(socket);
        }
    }

private:
    struct Connection {
        QString address;
        QByteArray received;  // of the request being read
        qint64 idleUntil = 0; // no request begun: closed quietly then
        qint64 headUntil = 0; // a request begun (0: none): 408 then
        qint64 movedAt = 0;   // last time its answer moved out
        bool closing = false; // the last answer is on its way, then the connection ends
    };

    qint64 Now() const { return age_.elapsed(); }

    std::string ServerTime() const { return LiveServerTime(shared_->clock ? shared_->clock() : 0.0); }

    void Accept(qintptr handle) {
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(handle)) {
            delete socket;
            return;
        }
        if (connections_.size() >= kMaxConnections) {
            socket->abort(); // no room even for an answer
            delete socket;
            return;
        }
        // Beyond this the socket stops reading from the network: a client cannot make us hold more.
        socket->setReadBufferSize(kMaxRequestBytes);
        Connection c;
        c.address = AddressKey(socket->peerAddress());
        c.idleUntil = Now() + idleMs_;
        c.movedAt = Now();
        const int fromThere = perAddress_.value(c.address);
        perAddress_[c.address] = fromThere + 1;
        connections_.insert(socket, c);
        owner_.open_.store(static_cast<int>(connections_.size()));
        busySinceTrim_ = true;
        connect(socket, &QIODevice::readyRead, this, [this, socket] { Serve(socket); });
        connect(socket, &QIODevice::bytesWritten, this, [this, socket] { Moved(socket); });
        connect(socket, &QAbstractSocket::disconnected, this, [this, socket] { Drop(socket); });
        connect(socket, &QAbstractSocket::errorOccurred, this, [this, socket] {
            if (socket->state() == QAbstractSocket::UnconnectedState) {
                Drop(socket);
            }
        });
        if (fromThere >= kMaxPerAddress) {
            Send(socket, RefuseLiveRequest(503, ServerTime(), kRetryAfterSeconds));
        }
    }

    void Drop(QTcpSocket* socket) {
        const auto it = connections_.find(socket);
        if (it == connections_.end()) {
            return;
        }
        const QString address = it->address;
        connections_.erase(it);
        if (--perAddress_[address] <= 0) {
            perAddress_.remove(address);
        }
        owner_.open_.store(static_cast<int>(connections_.size()));
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }

    qint64 Unsent() const {
        qint64 sum = 0;
        for (auto it = connections_.cbegin(); it != connections_.cend(); ++it) {
            sum += it.key()->bytesToWrite();
        }
        return sum;
    }

    void Send(QTcpSocket* socket, const LiveAnswer& answer) {
        Connection& c = connections_[socket];
        const auto size = static_cast<qint64>(answer.head.size() + answer.body.size());
        if (Unsent() + size > kMaxUnsentBytes) {
            Drop(socket); // the clients that do not read have taken all there is
            return;
        }
        socket->write(answer.head.data(), static_cast<qint64>(answer.head.size()));
        if (!answer.body.empty()) {
            socket->write(answer.body.data(), static_cast<qint64>(answer.body.size()));
        }
        c.movedAt = Now();
        c.idleUntil = Now() + idleMs_;
        if (answer.close) {
            c.closing = true;
            c.received.clear();
            socket->disconnectFromHost(); // after what is written has gone out
        }
    }

    // Reads and answers the requests that have arrived, one at a time: the next only once the
    // answer before it has gone out.
    void Serve(QTcpSocket* socket) {
        while (connections_.contains(socket)) {
            Connection& c = connections_[socket];
            if (c.closing) {
                socket->readAll(); // what comes after the last answer is not read
                return;
            }
            if (socket->bytesToWrite() > 0) {
                return; // Moved() comes back here
            }
            const qint64 room = 2 * kMaxRequestBytes + 1 - c.received.size();
            if (room > 0 && socket->bytesAvailable() > 0) {
                c.received += socket->read(room);
            }
            if (c.received.isEmpty()) {
                return;
            }
            if (c.headUntil == 0) {
                c.headUntil = Now() + headMs_;
            }
            const HttpReadResult read =
                ReadHttpRequest(std::string_view(c.received.constData(), static_cast<std::size_t>(c.received.size())),
                                static_cast<std::size_t>(kMaxRequestBytes));
            if (read.kind == HttpReadResult::Kind::NeedMore) {
                return;
            }
            if (read.kind == HttpReadResult::Kind::Refused) {
                Send(socket, RefuseLiveRequest(read.status, ServerTime()));
                return;
            }
            c.received.remove(0, static_cast<qsizetype>(read.consumed));
            c.headUntil = 0;
            const std::shared_ptr<const LiveRoutes> routes = shared_->Routes();
            Send(socket, AnswerLiveRequest(*routes, read.request, ServerTime()));
        }
    }

    void Moved(QTcpSocket* socket) {
        const auto it = connections_.find(socket);
        if (it == connections_.end()) {
            return;
        }
        it->movedAt = Now();
        if (socket->bytesToWrite() == 0 && !it->closing) {
            it->idleUntil = Now() + idleMs_;
            Serve(socket);
        }
    }

    void Sweep() {
        const qint64 now = Now();
        if (connections_.isEmpty() && busySinceTrim_) {
            // The clients have gone: what their answers took goes back to the system, so a crowd
            // of browsers does not leave the timing program large for the rest of the day.
            busySinceTrim_ = false;
#ifdef __GLIBC__
            malloc_trim(0);
#endif
        }
        QList<QTcpSocket*> late;
        QList<QTcpSocket*> slow;
        for (auto it = connections_.cbegin(); it != connections_.cend(); ++it) {
            const Connection& c = it.value();
            if (it.key()->bytesToWrite() > 0 || c.closing) {
                if (now - c.movedAt > idleMs_) {
                    late << it.key(); // it does not read its answer
                }
            } else if (c.headUntil != 0) {
                if (now > c.headUntil) {
                    slow << it.key();
                }
            } else if (now > c.idleUntil) {
                late << it.key();
            }
        }
        for (QTcpSocket* socket : late) {
            Drop(socket);
        }
        for (QTcpSocket* socket : slow) {
            if (connections_.contains(socket)) {
                Send(socket, RefuseLiveRequest(408, ServerTime()));
            }
        }
    }

    LiveServer& owner_;
    std::shared_ptr<Shared> shared_;
    Front* front_ = nullptr;
    QTimer sweep_{this};
    QElapsedTimer age_;
    QHash<QTcpSocket*, Connection> connections_;
    QHash<QString, int> perAddress_;
    int idleMs_ = kIdleMs;
    int headMs_ = kHeadMs;
    bool busySinceTrim_ = false;
};

LiveServer::LiveServer(std::function<TimeOfDay()> clock, QObject* parent)
    : QObject(parent), shared_(std::make_shared<Shared>()) {
    shared_->clock = std::move(clock);
    SetPages(RenderLivePages(LiveData{}));
    thread_.setObjectName(QStringLiteral("LiveServer"));
    worker_ = new Worker(*this, shared_);
    worker_->moveToThread(&thread_);
#ifdef __linux__
    // Below the window and its clock: a crowd of browsers takes what the tick leaves. SCHED_IDLE
    // runs only when no normal thread wants the core, so the tick and the contacts' hand-over are
    // never kept waiting for it; where it is refused, the lowest nice value. (Qt's LowPriority
    // cannot lower a normal Linux thread.)
    connect(
        &thread_, &QThread::started, &thread_,
        [] {
            const auto tid = static_cast<pid_t>(::syscall(SYS_gettid));
            const sched_param idle{};
            if (::sched_setscheduler(tid, SCHED_IDLE, &idle) != 0) {
                ::setpriority(PRIO_PROCESS, static_cast<id_t>(tid), 19);
            }
        },
        Qt::DirectConnection);
#endif
    thread_.start(QThread::LowPriority);
}

LiveServer::~LiveServer() {
    QMetaObject::invokeMethod(
        worker_, [w = worker_] { delete w; }, Qt::BlockingQueuedConnection);
    worker_ = nullptr;
    thread_.quit();
    thread_.wait();
}

bool LiveServer::Listen(const QHostAddress& address, quint16 port) {
    quint16 taken = 0;
    QMetaObject::invokeMethod(
        worker_, [&] { taken = worker_->Listen(address, port, idleMs_, headMs_); }, Qt::BlockingQueuedConnection);
    port_.store(taken);
    address_ = taken != 0 ? address : QHostAddress();
    return taken != 0;
}

void LiveServer::Close() {
    QMetaObject::invokeMethod(
        worker_, [this] { worker_->Close(); }, Qt::BlockingQueuedConnection);
    port_.store(0);
    address_ = QHostAddress();
}

void LiveServer::SetPages(const LivePages& pages) {
    auto routes = std::make_shared<const LiveRoutes>(pages);
    const std::lock_guard<std::mutex> hold(shared_->lock);
    shared_->routes = std::move(routes);
}

} // namespace vandoret::ui
