// The end of a run that nobody confirmed: SIGTERM and SIGINT (a system shut-down, `kill`, Ctrl+C
// in the terminal) and, on Windows, the end of the user's session.
//
// Contract:
// - One object at a time, created right after the QApplication; until then, and after it is
//   destroyed, the signals keep their default action. A signal that comes before SetShutdownHandler
//   (while the window is being made) is served as soon as the handler is given, from the event
//   loop.
// - POSIX: the handlers of SIGTERM and SIGINT only write one byte into a pipe (async-signal-safe,
//   errno kept); the user-interface thread reads it through a QSocketNotifier and calls
//   onShutdown there, once, however many signals arrive.
// - Windows: WM_ENDSESSION with the session really ending calls onShutdown from a native event
//   filter, on the user-interface thread, before the system ends the process.
// - Requested() tells whether onShutdown was called, so that the caller leaves out what only a
//   confirmed end does (the journal's session end: the next start offers the session again).
#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace vandoret::ui {

class ShutdownSignals : public QObject {
    Q_OBJECT
public:
    explicit ShutdownSignals(QObject* parent = nullptr);
    ~ShutdownSignals() override;
    ShutdownSignals(const ShutdownSignals&) = delete;
    ShutdownSignals& operator=(const ShutdownSignals&) = delete;

    // The handler, called once on the user-interface thread; it ends the event loop itself.
    void SetShutdownHandler(std::function<void()> handler);
    bool Requested() const { return requested_; }

private:
    void Deliver();

    std::function<void()> onShutdown;
    bool requested_ = false;
    bool pending_ = false; // a signal came before the handler
#ifndef _WIN32
    int pipe_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
#else
    class EndSessionFilter;
    std::unique_ptr<EndSessionFilter> filter_;
#endif
};

} // namespace vandoret::ui
