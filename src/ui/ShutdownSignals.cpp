#include "ui/ShutdownSignals.h"

#include <QCoreApplication>
#include <QTimer>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <QAbstractNativeEventFilter>
#include <windows.h>
#else
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace vandoret::ui {

#ifndef _WIN32
namespace {

// The write end of the pipe the handler writes into; -1 while no object is installed.
volatile sig_atomic_t gWriteFd = -1;

extern "C" void OnShutdownSignal(int) {
    const int saved = errno;
    const int fd = gWriteFd;
    if (fd >= 0) {
        const char byte = 1;
        // Non-blocking: a full pipe already holds the news.
        [[maybe_unused]] const ssize_t n = ::write(fd, &byte, 1);
    }
    errno = saved;
}

void SetHandler(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

} // namespace

ShutdownSignals::ShutdownSignals(QObject* parent) : QObject(parent) {
    if (::pipe(pipe_) != 0) {
        pipe_[0] = pipe_[1] = -1;
        return; // the signals keep their default action: the run ends as before
    }
    for (int fd : pipe_) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(pipe_[0], bytes, sizeof bytes) > 0) {
        }
        Deliver();
    });
    gWriteFd = pipe_[1];
    SetHandler(OnShutdownSignal);
}

ShutdownSignals::~ShutdownSignals() {
    if (pipe_[1] >= 0) {
        SetHandler(SIG_DFL);
        gWriteFd = -1;
        delete notifier_;
        ::close(pipe_[0]);
        ::close(pipe_[1]);
    }
}

#else

// WM_QUERYENDSESSION is left to Qt (it asks nobody); WM_ENDSESSION with wParam TRUE means the
// session ends and the process is ended right after the message returns.
class ShutdownSignals::EndSessionFilter : public QAbstractNativeEventFilter {
public:
    explicit EndSessionFilter(ShutdownSignals& owner) : owner_(owner) {}
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override {
        if (eventType != "windows_generic_MSG") {
            return false;
        }
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message == WM_ENDSESSION && msg->wParam == TRUE) {
            owner_.Deliver();
            if (result != nullptr) {
                *result = 0;
            }
            return true;
        }
        return false;
    }

private:
    ShutdownSignals& owner_;
};

ShutdownSignals::ShutdownSignals(QObject* parent)
    : QObject(parent), filter_(std::make_unique<EndSessionFilter>(*this)) {
    QCoreApplication::instance()->installNativeEventFilter(filter_.get());
}

ShutdownSignals::~ShutdownSignals() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(filter_.get());
    }
}

#endif

void ShutdownSignals::Deliver() {
    if (requested_) {
        return;
    }
    if (!onShutdown) {
        pending_ = true; // the window is not made yet: served once SetShutdownHandler gives it
        return;
    }
    requested_ = true;
    onShutdown();
}

void ShutdownSignals::SetShutdownHandler(std::function<void()> handler) {
    onShutdown = std::move(handler);
    if (pending_) {
        pending_ = false;
        QTimer::singleShot(0, this, [this] { Deliver(); });
    }
}

} // namespace vandoret::ui
