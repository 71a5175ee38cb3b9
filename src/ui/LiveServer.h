// LiveServer: the read-only web server of the live pages, on a thread of its own.
//
// What it promises:
//  - Answers come from reports/LiveAnswers (fixed routes, GET and HEAD, no disk), read by
//    reports/HttpReader (RFC 9112 message rules), from the pages last given to SetPages. SetPages
//    publishes an immutable snapshot; the server thread only ever reads snapshots, so no request
//    waits for, or runs on, the user-interface thread, and the window never waits for a request.
//  - Limits: at most kMaxConnections connections in all (more are closed at once) and
//    kMaxPerAddress from one client address (more get 503 with Retry-After, then are closed); a
//    request head has kHeadMs from its first byte (then 408 and close) and may hold at most
//    kMaxRequestBytes (then 431); a kept-alive connection without a request for kIdleMs is closed;
//    no further request is read from a connection whose answer is still unsent, an answer that has
//    not moved for kIdleMs ends its connection, and all connections together hold at most
//    kMaxUnsentBytes of unsent answers (an answer beyond it ends its connection).
//  - HTTP/1.0 without keep-alive and "Connection: close" are closed once their answer is sent.
//  - The server thread runs below the user-interface thread's priority (nice 10 on Linux, low
//    priority on Windows), so a crowd of requests takes only what the window leaves.
//  - The clock given to the constructor is called on the server thread: it must be callable from
//    any thread.
#pragma once

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>

#include "reports/LivePages.h"

namespace vandoret::ui {

class LiveServer : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxConnections = 200;
    static constexpr int kMaxPerAddress = 16;
    static constexpr qint64 kMaxRequestBytes = 32 * 1024;
    static constexpr qint64 kMaxUnsentBytes = 16 * 1024 * 1024;
    static constexpr int kIdleMs = 10'000;
    static constexpr int kHeadMs = 3'000;
    static constexpr int kRetryAfterSeconds = 5;

    explicit LiveServer(std::function<TimeOfDay()> clock, QObject* parent = nullptr);
    ~LiveServer() override;

    // Starts listening on address:port (port 0: a free port the system picks); an earlier
    // listening is ended first. False when the port cannot be taken (in use, no right). Waits for
    // the server thread (only here, in Close and in the destructor).
    bool Listen(const QHostAddress& address, quint16 port);
    void Close();
    bool IsListening() const { return port_.load() != 0; }
    quint16 Port() const { return port_.load(); }
    // The address it listens on, as given to Listen.
    QHostAddress ListenAddress() const { return address_; }
    // The connections open now (for tests and the bench).
    int OpenConnections() const { return open_.load(); }

    // The times a connection has (tests shorten them); they apply from the next Listen.
    void SetIdleMs(int ms) { idleMs_ = ms; }
    void SetHeadMs(int ms) { headMs_ = ms; }

    // The texts to serve from now on (any thread; the server picks them up with its next answer).
    void SetPages(const LivePages& pages);

private:
    class Worker;
    struct Shared;

    std::shared_ptr<Shared> shared_;
    QThread thread_;
    Worker* worker_ = nullptr; // lives on thread_
    std::atomic<quint16> port_{0};
    std::atomic<int> open_{0};
    QHostAddress address_;
    int idleMs_ = kIdleMs;
    int headMs_ = kHeadMs;
};

} // namespace vandoret::ui
