// The live pages' web server: Qt's HTTP server module behind a guarding QTcpServer front.
#include "ui/LiveServer.h"

#include <QAbstractHttpServer>
#include <QElapsedTimer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>

namespace vandoret::ui {

// The front: accepts the connections itself, so that each socket gets its limits before the HTTP
// module sees a byte, and closes the connections that use up their time.
class LiveServer::Guard : public QTcpServer {
public:
    Guard(int idleMs, QObject* parent) : QTcpServer(parent), idleMs_(idleMs) {
        age_.start();
        sweep_.setInterval(std::clamp(idleMs_ / 4, 50, 500));
        connect(&sweep_, &QTimer::timeout, this, &Guard::Sweep);
        sweep_.start();
    }
    ~Guard() override {
        // The sockets go while the deadlines they report to still exist.
        sweep_.stop();
        const QList<QTcpSocket*> sockets = findChildren<QTcpSocket*>(Qt::FindDirectChildrenOnly);
        for (QTcpSocket* socket : sockets) {
            socket->disconnect(this);
            delete socket;
        }
    }
    int Open() const { return static_cast<int>(deadlines_.size()); }

protected:
    void incomingConnection(qintptr handle) override {
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(handle)) {
            delete socket;
            return;
        }
        if (deadlines_.size() >= kMaxConnections) {
            socket->abort();
            socket->deleteLater();
            return;
        }
        // The module keeps an unfinished request in the socket's buffer: with this limit the socket
        // stops reading when it is full, and the deadline below ends the connection.
        socket->setReadBufferSize(kMaxRequestBytes);
        deadlines_.insert(socket, age_.elapsed() + idleMs_);
        connect(socket, &QObject::destroyed, this, [this, socket] { deadlines_.remove(socket); });
        connect(socket, &QIODevice::bytesWritten, this, [this, socket] {
            if (const auto it = deadlines_.find(socket); it != deadlines_.end()) {
                *it = age_.elapsed() + idleMs_; // answered: the next request may take its time again
            }
        });
        addPendingConnection(socket);
    }

private:
    void Sweep() {
        const qint64 now = age_.elapsed();
        QList<QTcpSocket*> late;
        for (auto it = deadlines_.cbegin(); it != deadlines_.cend(); ++it) {
            if (it.value() <= now) {
                late << it.key();
            }
        }
        for (QTcpSocket* socket : late) {
            deadlines_.remove(socket);
            socket->abort();
            socket->deleteLater(); // also when the module has let go of it after a request it could not parse
        }
    }

    int idleMs_;
    QElapsedTimer age_;
    QTimer sweep_;
    QHash<QTcpSocket*, qint64> deadlines_;
};

class LiveServer::Http : public QAbstractHttpServer {
public:
    explicit Http(LiveServer& owner) : owner_(owner) {}

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override {
        Respond(request, socket);
        return true;
    }
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override { Respond(request, socket); }

private:
    using Status = QHttpServerResponder::StatusCode;
    using Method = QHttpServerRequest::Method;

    void Respond(const QHttpServerRequest& request, QTcpSocket* socket) {
        if (socket->bytesToWrite() > kMaxUnsentBytes) {
            socket->abort(); // it asks but does not read: no more answers pile up for it
            return;
        }
        const Method method = request.method();
        const bool head = method == Method::Head;
        Status status = Status::Ok;
        QByteArray body;
        QByteArray type = "text/plain; charset=utf-8";
        const auto route = owner_.routes_.constFind(request.url().path());
        if (method != Method::Get && !head) {
            status = Status::MethodNotAllowed;
            body = "Nur GET und HEAD.\n";
        } else if (route == owner_.routes_.constEnd()) {
            status = Status::NotFound;
            body = "Nicht gefunden.\n";
        } else {
            body = route->body;
            type = route->type;
        }
        const std::string now = LiveServerTime(owner_.clock_ ? owner_.clock_() : 0.0);
        QHttpServerResponder responder = makeResponder(request, socket);
        responder.writeStatusLine(status);
        responder.writeHeader("Content-Type", type);
        responder.writeHeader("Content-Length", QByteArray::number(body.size()));
        responder.writeHeader("Cache-Control", "no-store");
        responder.writeHeader("X-Content-Type-Options", "nosniff");
        responder.writeHeader("Content-Security-Policy",
                              "default-src 'none'; script-src 'unsafe-inline'; style-src 'unsafe-inline'; "
                              "connect-src 'self'");
        responder.writeHeader(QByteArray(kLiveTimeHeader.data(), static_cast<qsizetype>(kLiveTimeHeader.size())),
                              QByteArray::fromStdString(now));
        if (status == Status::MethodNotAllowed) {
            responder.writeHeader("Allow", "GET, HEAD");
        }
        responder.writeBody(head ? QByteArray() : body);
    }

    LiveServer& owner_;
};

LiveServer::LiveServer(std::function<TimeOfDay()> clock, QObject* parent) : QObject(parent), clock_(std::move(clock)) {
    SetPages(RenderLivePages(LiveData{}));
}

LiveServer::~LiveServer() {
    Close();
}

bool LiveServer::Listen(const QHostAddress& address, quint16 port) {
    Close();
    http_ = std::make_unique<Http>(*this);
    guard_ = new Guard(idleMs_, http_.get());
    if (!guard_->listen(address, port)) {
        Close();
        return false;
    }
    http_->bind(guard_);
    return true;
}

void LiveServer::Close() {
    guard_ = nullptr;
    http_.reset();
}

bool LiveServer::IsListening() const {
    return guard_ != nullptr && guard_->isListening();
}

quint16 LiveServer::Port() const {
    return IsListening() ? guard_->serverPort() : 0;
}

int LiveServer::OpenConnections() const {
    return guard_ != nullptr ? guard_->Open() : 0;
}

void LiveServer::SetPages(const LivePages& pages) {
    const QByteArray html = "text/html; charset=utf-8";
    const QByteArray json = "application/json; charset=utf-8";
    const auto bytes = [](const std::string& text) {
        return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
    };
    QHash<QString, Answer> routes;
    routes.insert("/", {bytes(pages.results), html});
    routes.insert("/unterwegs", {bytes(pages.onCourse), html});
    routes.insert("/start", {bytes(pages.starts), html});
    routes.insert("/api/results.json", {bytes(pages.resultsJson), json});
    routes.insert("/api/oncourse.json", {bytes(pages.onCourseJson), json});
    routes.insert("/api/starts.json", {bytes(pages.startsJson), json});
    routes_.swap(routes);
}

} // namespace vandoret::ui
