// The wait of the POSIX serial layer's waiting thread on one device.
//
// The wait. TIOCMIWAIT blocks in the kernel until one of the given modem lines changes; nothing
// but a signal ends it early, so a self-pipe or poll() cannot cancel it. The waiter therefore
// records the waiting thread and RequestStop sets a stop flag and sends that thread SIGURG, whose
// handler (installed once, without SA_RESTART) does nothing: the ioctl returns EINTR and the loop
// sees the flag. A signal that arrives just between the flag check and the ioctl would be lost,
// so the owner repeats RequestStop every few milliseconds until the thread has ended (TComThread
// does). SIGURG is ignored by default, so a stray one harms nothing, and it does not queue.
//
// The starting point, the counters and levels against which the first wait compares, is taken
// when the waiter is made: after Open has set DTR and RTS, before the waiting thread runs.
//
// No change is lost between two waits: before each TIOCMIWAIT the waiter compares the per-line
// change counters (TIOCGICOUNT) with those it saw last, and a change that happened while the
// thread was busy (handing an event over) is reported at once. The kernel takes its own snapshot
// of the counters when TIOCMIWAIT begins, so a change in the few microseconds between our
// comparison and that snapshot would wait for the next change, which may never come (a contact
// that closes and stays closed, or a moment taken only when the line changes back). A timer
// therefore interrupts the wait with the same signal, first kFirstRecheck after it began (the
// race is at its start, so such a change is then at most that late), then every kRecheck; the loop
// compares the counters again and reports such a change.
//
// Without counters a completed TIOCMIWAIT whose levels read as before cannot name the line that
// went and came back; it is not reported (the thread would take it for a pulse on every line).
// Drivers without TIOCMIWAIT (EINVAL/ENOTTY) are watched by reading TIOCMGET every 2 ms instead.
// An error such as EIO (adapter unplugged) ends the waiting: Wait returns Failed.
#include "contacts/port_layer/PosixPortWaiter.h"

#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

namespace vandoret::posix {

namespace {

constexpr int kStopSignal = SIGURG;

// When a running TIOCMIWAIT is first interrupted to compare the change counters again, and how
// often after that.
constexpr long kFirstRecheckNs = 500'000;
constexpr long kRecheckNs = 10'000'000;

#ifndef sigev_notify_thread_id
#define sigev_notify_thread_id _sigev_un._tid
#endif

void IgnoreStopSignal(int) {}

void InstallStopSignalHandler() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_handler = IgnoreStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0; // no SA_RESTART: the blocked ioctl must return EINTR
        sigaction(kStopSignal, &action, nullptr);
    });
}

// The modem lines TIOCMIWAIT watches for an event mask.
int LinesFor(std::uint32_t eventMask) {
    int lines = 0;
    if (eventMask & kEvCts)
        lines |= TIOCM_CTS;
    if (eventMask & kEvDsr)
        lines |= TIOCM_DSR;
    if (eventMask & kEvRlsd)
        lines |= TIOCM_CAR;
    if (eventMask & kEvRing)
        lines |= TIOCM_RNG;
    return lines;
}

// Event bits for the lines whose counters moved.
std::uint32_t EventsFromCounters(const serial_icounter_struct& before, const serial_icounter_struct& after) {
    std::uint32_t events = 0;
    if (after.cts != before.cts)
        events |= kEvCts;
    if (after.dsr != before.dsr)
        events |= kEvDsr;
    if (after.dcd != before.dcd)
        events |= kEvRlsd;
    if (after.rng != before.rng)
        events |= kEvRing;
    return events;
}

} // namespace

std::uint32_t StatusFromModemBits(int bits) {
    std::uint32_t status = 0;
    if (bits & TIOCM_CTS)
        status |= kMsCtsOn;
    if (bits & TIOCM_DSR)
        status |= kMsDsrOn;
    if (bits & TIOCM_RNG)
        status |= kMsRingOn;
    if (bits & TIOCM_CAR)
        status |= kMsRlsdOn;
    return status;
}

bool Unsupported(int error) {
    return error == EINVAL || error == ENOTTY || error == ENOSYS;
}

LineCounters CountersFrom(const serial_icounter_struct& icount) {
    LineCounters counters;
    counters.Cts = static_cast<std::uint32_t>(icount.cts);
    counters.Dsr = static_cast<std::uint32_t>(icount.dsr);
    counters.Rlsd = static_cast<std::uint32_t>(icount.dcd);
    counters.Ring = static_cast<std::uint32_t>(icount.rng);
    return counters;
}

PosixPortWaiter::PosixPortWaiter(int fd, std::function<std::uint32_t()> eventMask)
    : fd_(fd), eventMask_(std::move(eventMask)) {
    InstallStopSignalHandler();
    // Counters before levels: a change between the two is still reported.
    if (::ioctl(fd_, TIOCGICOUNT, &seen_) == 0) {
        haveSeen_ = true;
    } else if (Unsupported(errno)) {
        countersWork_ = false;
    }
    haveLevels_ = ReadLevels(levels_);
}

PosixPortWaiter::~PosixPortWaiter() {
    if (haveTimer_) {
        timer_delete(recheck_);
    }
}

bool PosixPortWaiter::ReadLevels(std::uint32_t& levels) const {
    int bits = 0;
    if (::ioctl(fd_, TIOCMGET, &bits) != 0) {
        return false;
    }
    levels = StatusFromModemBits(bits);
    return true;
}

void PosixPortWaiter::RequestStop() {
    stop_ = true;
    std::lock_guard lock(threadMutex_);
    if (haveThread_) {
        pthread_kill(thread_, kStopSignal);
    }
}

void PosixPortWaiter::ArmRecheck(bool on) {
    if (!haveTimer_ || armed_ == on) {
        return;
    }
    itimerspec period{};
    if (on) {
        period.it_value.tv_nsec = kFirstRecheckNs;
        period.it_interval.tv_nsec = kRecheckNs;
    }
    armed_ = timer_settime(recheck_, 0, &period, nullptr) == 0 && on;
}

WaitResult PosixPortWaiter::Wait(std::uint32_t& eventMask) {
    {
        std::lock_guard lock(threadMutex_);
        if (!haveThread_) {
            thread_ = pthread_self();
            haveThread_ = true;
            sigevent notify{};
            notify.sigev_notify = SIGEV_THREAD_ID;
            notify.sigev_signo = kStopSignal;
            notify.sigev_notify_thread_id = static_cast<pid_t>(gettid());
            haveTimer_ = timer_create(CLOCK_MONOTONIC, &notify, &recheck_) == 0;
        }
    }
    // The timer only runs while this call waits in the kernel.
    struct Disarm {
        PosixPortWaiter& waiter;
        ~Disarm() { waiter.ArmRecheck(false); }
    } disarm{*this};
    const std::uint32_t wanted = eventMask_() & (kEvCts | kEvDsr | kEvRlsd | kEvRing);
    if (!haveSeen_ && countersWork_ && ::ioctl(fd_, TIOCGICOUNT, &seen_) == 0) {
        haveSeen_ = true; // counters before levels: a change between the two is still reported
    }
    if (!haveLevels_ && ReadLevels(levels_)) {
        haveLevels_ = true;
    }
    while (!stop_) {
        if (polling_) {
            return Poll(wanted, eventMask);
        }
        serial_icounter_struct now{};
        if (countersWork_) {
            if (::ioctl(fd_, TIOCGICOUNT, &now) != 0) {
                if (!Unsupported(errno)) {
                    return WaitResult::Failed;
                }
                countersWork_ = false;
            } else {
                const std::uint32_t missed = haveSeen_ ? EventsFromCounters(seen_, now) & wanted : 0;
                seen_ = now;
                haveSeen_ = true;
                if (missed != 0) {
                    eventMask = missed;
                    ReadLevels(levels_);
                    return WaitResult::Event;
                }
            }
        }
        if (!countersWork_) {
            // Without counters the levels tell what moved since the last look.
            std::uint32_t levels = 0;
            if (ReadLevels(levels)) {
                const std::uint32_t moved = ModemLineEvents(levels_, levels) & wanted;
                levels_ = levels;
                if (moved != 0) {
                    eventMask = moved;
                    return WaitResult::Event;
                }
            }
        }
        if (stop_) {
            break;
        }
        ArmRecheck(true);
        if (::ioctl(fd_, TIOCMIWAIT, LinesFor(wanted)) != 0) {
            if (errno == EINTR) {
                continue; // a stop request or the re-check: compare the counters again
            }
            if (Unsupported(errno)) {
                ArmRecheck(false);
                polling_ = true;
                continue;
            }
            return WaitResult::Failed;
        }
        // Which lines moved: from the counters where the driver keeps them, else from the levels.
        std::uint32_t events = 0;
        if (countersWork_ && ::ioctl(fd_, TIOCGICOUNT, &now) == 0) {
            events = EventsFromCounters(seen_, now) & wanted;
            seen_ = now;
        }
        std::uint32_t levels = 0;
        if (ReadLevels(levels)) {
            if (events == 0) {
                events = ModemLineEvents(levels_, levels) & wanted;
            }
            levels_ = levels;
        }
        if (events == 0) {
            continue; // no line can be named (see above)
        }
        eventMask = events;
        return WaitResult::Event;
    }
    return WaitResult::Stop;
}

WaitResult PosixPortWaiter::Poll(std::uint32_t wanted, std::uint32_t& eventMask) {
    while (!stop_) {
        std::uint32_t levels = 0;
        if (!ReadLevels(levels)) {
            return WaitResult::Failed;
        }
        const std::uint32_t events = ModemLineEvents(levels_, levels) & wanted;
        levels_ = levels;
        if (events != 0) {
            eventMask = events;
            return WaitResult::Event;
        }
        timespec pause{0, 2'000'000};
        ::nanosleep(&pause, nullptr); // the stop signal cuts it short
    }
    return WaitResult::Stop;
}

} // namespace vandoret::posix
