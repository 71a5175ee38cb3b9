// LiveServer: the read-only web server of the live pages, on Qt's HTTP server module.
//
// What it promises:
//  - Only the fixed routes of reports/LivePages.h are answered, for GET and HEAD; any other
//    method gets 405 (with "Allow: GET, HEAD"), any other path 404. No answer ever comes from the
//    disk, and no request changes anything: the server only hands out the texts last given to
//    SetPages, the same bytes to every request (nothing is rendered per request).
//  - Every answer carries "Cache-Control: no-store" and the server's time of day in the header
//    X-Server-Time ("hh:mm:ss.mmm", read from the clock given to the constructor).
//  - A thin QTcpServer front (GuardedTcpServer in the .cpp) guards the module, which has no limits
//    of its own: at most kMaxConnections connections at a time (more are closed at once); a
//    connection holds at most kMaxRequestBytes of unanswered request (the socket's read buffer:
//    beyond it the server stops reading and the connection stalls); a connection that has not
//    been answered within kIdleMs of its opening or of its last answer is closed, so a stalled
//    client or an endless header costs at most a small buffer for a few seconds; a client that
//    does not read its answers is closed once kMaxUnsentBytes wait to be sent to it.
// It runs on the thread that creates it (the user-interface thread) and never blocks it.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "reports/LivePages.h"

namespace vandoret::ui {

class LiveServer : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxConnections = 200;
    static constexpr qint64 kMaxRequestBytes = 32 * 1024;
    static constexpr qint64 kMaxUnsentBytes = 4 * 1024 * 1024;
    static constexpr int kIdleMs = 10'000;

    explicit LiveServer(std::function<TimeOfDay()> clock, QObject* parent = nullptr);
    ~LiveServer() override;

    // Starts listening on address:port (port 0: a free port the system picks); an earlier
    // listening is ended first. False when the port cannot be taken (in use, no right).
    bool Listen(const QHostAddress& address, quint16 port);
    void Close();
    bool IsListening() const;
    quint16 Port() const;
    // The connections open now (for tests and the bench).
    int OpenConnections() const;

    // The time a connection has for each request (kIdleMs unless a test shortens it); applies to
    // connections opened after the next Listen.
    void SetIdleMs(int ms) { idleMs_ = ms; }

    // The texts to serve from now on.
    void SetPages(const LivePages& pages);

private:
    class Http;
    class Guard;
    struct Answer {
        QByteArray body;
        QByteArray type;
    };
    friend class Http;

    std::function<TimeOfDay()> clock_;
    QHash<QString, Answer> routes_;
    std::unique_ptr<Http> http_;
    Guard* guard_ = nullptr; // owned by http_
    int idleMs_ = kIdleMs;
};

} // namespace vandoret::ui
