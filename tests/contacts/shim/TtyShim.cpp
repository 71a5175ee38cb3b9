// An LD_PRELOAD shim over ioctl that gives pseudo-terminal slaves modem lines.
//
// A pseudo-terminal has no CTS, DSR or carrier line, so the serial layer's TIOCMGET, TIOCMIWAIT
// and TIOCGICOUNT fail on it. Loaded before the C library, this ioctl answers those requests (and
// TIOCMBIS, TIOCMBIC, TIOCMSET for DTR and RTS) for pty slaves from a state held here, and passes
// everything else on. The test in the same process drives the state through the functions below
// (found with dlsym), so it can move lines, unplug the "adapter" and watch the waits.
//
// A program that cannot reach these functions (a Windows test under wine, whose serial driver
// calls ioctl on the Unix side of the same process) drives the shim through a control file
// instead: see ShimFileControl.cpp, started here on the first modem-line request when
// VANDORET_SHIM_CONTROL names the file.
#include <dlfcn.h>
#include <linux/futex.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <mutex>

#include "ShimFileControl.h"

namespace {

std::mutex mutex;
int inputLines = 0;                // TIOCM_CTS | TIOCM_DSR | TIOCM_CAR | TIOCM_RNG
int outputLines = 0;               // TIOCM_DTR | TIOCM_RTS as the program set them
serial_icounter_struct counters{}; // per-line change counts
std::atomic<bool> unplugged{false};
std::atomic<bool> countersKept{true};     // off: TIOCGICOUNT is refused, as by drivers without counters
std::atomic<bool> lineWaitRefused{false}; // on: TIOCMIWAIT is refused, as by drivers without it
std::atomic<int> waiting{0};
std::atomic<long> waitCalls{0};
int linesAtNextWait = -1;            // applied as the next wait begins, before its snapshot (-1: none)
int linesWithDtr = -1;               // applied when DTR is switched on, as by a contact it feeds (-1: none)
std::atomic<long> lineReads{0};      // TIOCMGET requests answered or refused
long long changedAt = 0;             // when the input lines last changed (µs since 1970)
long long changedSteady = 0;         // the same on the monotonic clock (ns), which std::chrono::steady_clock reads
std::atomic<int> waitingAtChange{0}; // threads in a line wait when the lines last changed
std::atomic<int> changes{0};         // moves with every change: a line wait sleeps on it (futex) and wakes at once
long long seenAt = 0;                // the first line read after that change (0: none yet)

long long NowMicros() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000 + now.tv_nsec / 1000;
}

// Sets the input lines; each line that changes counts once (caller holds the mutex).
void SetLinesLocked(int lines) {
    const int changed = inputLines ^ lines;
    inputLines = lines;
    if (changed != 0) {
        waitingAtChange = waiting.load();
        changedAt = NowMicros();
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        changedSteady = static_cast<long long>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
        seenAt = 0;
    }
    if (changed & TIOCM_CTS)
        ++counters.cts;
    if (changed & TIOCM_DSR)
        ++counters.dsr;
    if (changed & TIOCM_CAR)
        ++counters.dcd;
    if (changed & TIOCM_RNG)
        ++counters.rng;
    if (changed != 0) {
        ++changes;
        syscall(SYS_futex, reinterpret_cast<int*>(&changes), FUTEX_WAKE_PRIVATE, 1 << 30, nullptr, nullptr, 0);
    }
}

using IoctlFn = int (*)(int, unsigned long, void*);

IoctlFn RealIoctl() {
    static IoctlFn real = reinterpret_cast<IoctlFn>(dlsym(RTLD_NEXT, "ioctl"));
    return real;
}

// Unix98 pty slaves (/dev/pts/N) have the major numbers 136 to 143.
bool IsPtySlave(int fd) {
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode)) {
        return false;
    }
    const unsigned int major = ::major(info.st_rdev);
    return major >= 136 && major <= 143;
}

int Fail(int error) {
    errno = error;
    return -1;
}

bool Moved(const serial_icounter_struct& a, const serial_icounter_struct& b, int lines) {
    return ((lines & TIOCM_CTS) && a.cts != b.cts) || ((lines & TIOCM_DSR) && a.dsr != b.dsr) ||
           ((lines & TIOCM_CAR) && a.dcd != b.dcd) || ((lines & TIOCM_RNG) && a.rng != b.rng);
}

// Waits, like the kernel, for a change of the given lines after the call began, woken by it.
int WaitForLines(int lines) {
    ++waitCalls;
    if (lineWaitRefused) {
        return Fail(EINVAL);
    }
    serial_icounter_struct start{};
    {
        std::lock_guard lock(mutex);
        if (linesAtNextWait >= 0) {
            // A change just after the caller's last look at the counters, just before the wait.
            SetLinesLocked(linesAtNextWait);
            linesAtNextWait = -1;
        }
        start = counters;
    }
    ++waiting;
    for (;;) {
        const int seen = changes.load();
        if (unplugged) {
            --waiting;
            return Fail(EIO);
        }
        {
            std::lock_guard lock(mutex);
            if (Moved(start, counters, lines)) {
                --waiting;
                return 0;
            }
        }
        // Woken by the next change, as the kernel wakes a line wait, or after 0.1 ms at the latest
        // (an unplug); a signal ends the wait with EINTR, as it ends TIOCMIWAIT.
        timespec pause{0, 100'000};
        if (syscall(SYS_futex, reinterpret_cast<int*>(&changes), FUTEX_WAIT_PRIVATE, seen, &pause, nullptr, 0) != 0 &&
            errno == EINTR) {
            --waiting;
            return Fail(EINTR);
        }
    }
}

int Answer(unsigned long request, void* arg) {
    switch (request) {
    case TIOCMGET: {
        ++lineReads;
        if (unplugged) {
            return Fail(EIO);
        }
        std::lock_guard lock(mutex);
        if (seenAt == 0 && changedAt != 0) {
            seenAt = NowMicros();
        }
        *static_cast<int*>(arg) = inputLines | outputLines;
        return 0;
    }
    case TIOCMBIS:
    case TIOCMBIC:
    case TIOCMSET: {
        const int bits = *static_cast<int*>(arg) & (TIOCM_DTR | TIOCM_RTS);
        std::lock_guard lock(mutex);
        const int before = outputLines;
        outputLines = request == TIOCMBIS ? (outputLines | bits) : (request == TIOCMBIC ? (outputLines & ~bits) : bits);
        if ((outputLines & ~before & TIOCM_DTR) && linesWithDtr >= 0) {
            SetLinesLocked(linesWithDtr);
        }
        return 0;
    }
    case TIOCGICOUNT: {
        if (!countersKept) {
            return Fail(EINVAL);
        }
        if (unplugged) {
            return Fail(EIO);
        }
        std::lock_guard lock(mutex);
        *static_cast<serial_icounter_struct*>(arg) = counters;
        return 0;
    }
    case TIOCMIWAIT:
        return WaitForLines(static_cast<int>(reinterpret_cast<unsigned long>(arg)));
    default:
        return -2; // not ours
    }
}

} // namespace

extern "C" {

int ioctl(int fd, unsigned long request, ...) noexcept {
    va_list args;
    va_start(args, request);
    void* arg = va_arg(args, void*);
    va_end(args);
    if (IsPtySlave(fd)) {
        const int answer = Answer(request, arg);
        if (answer != -2) {
            static std::once_flag control;
            std::call_once(control, vandoret_shim_start_file_control);
            return answer;
        }
    }
    return RealIoctl()(fd, request, arg);
}

// ---- Control, for the test ----

// Sets the input lines (TIOCM_CTS, TIOCM_DSR, TIOCM_CAR, TIOCM_RNG); changed lines count once.
void vandoret_shim_set_lines(int lines) {
    std::lock_guard lock(mutex);
    SetLinesLocked(lines);
}

// Sets the input lines and answers when they changed, on the monotonic clock (ns), read where the
// state changes: a bench measures from there, not from before a call its thread may be held in.
long long vandoret_shim_set_lines_stamped(int lines) {
    std::lock_guard lock(mutex);
    SetLinesLocked(lines);
    return changedSteady;
}

// The lines go to `lines` and straight back: each of them counts twice, the levels stay.
void vandoret_shim_pulse(int lines) {
    std::lock_guard lock(mutex);
    const int resting = inputLines;
    SetLinesLocked(resting ^ lines);
    SetLinesLocked(resting);
}

// Sets the input lines whenever DTR is switched on (-1: leaves them).
void vandoret_shim_set_lines_with_dtr(int lines) {
    std::lock_guard lock(mutex);
    linesWithDtr = lines;
}

// Sets the input lines as the next line wait begins, before it takes its snapshot.
void vandoret_shim_set_lines_at_next_wait(int lines) {
    std::lock_guard lock(mutex);
    linesAtNextWait = lines;
}

// Whether TIOCGICOUNT is answered (1) or refused with EINVAL (0).
void vandoret_shim_keep_counters(int on) {
    countersKept = on != 0;
}

// Whether TIOCMIWAIT is answered (0) or refused with EINVAL (1).
void vandoret_shim_refuse_line_wait(int on) {
    lineWaitRefused = on != 0;
}

// Makes the "adapter" go away (1) or come back (0).
void vandoret_shim_unplug(int on) {
    unplugged = on != 0;
}

// DTR and RTS as the program drives them.
int vandoret_shim_output_lines() {
    std::lock_guard lock(mutex);
    return outputLines;
}

// Threads that were in a line wait when the lines last changed.
int vandoret_shim_waiting_at_change() {
    return waitingAtChange;
}

// Threads blocked in a line wait now, and waits started so far.
int vandoret_shim_waiting() {
    return waiting;
}
long vandoret_shim_wait_calls() {
    return waitCalls;
}

// Line reads (TIOCMGET) so far; when the input lines last changed and when a line read first
// saw that change (µs since 1970, 0 when not yet).
long vandoret_shim_line_reads() {
    return lineReads;
}
void vandoret_shim_change_times(long long* changed, long long* seen) {
    std::lock_guard lock(mutex);
    *changed = changedAt;
    *seen = seenAt;
}

} // extern "C"
