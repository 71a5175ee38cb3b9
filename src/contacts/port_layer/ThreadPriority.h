// ThreadPriority: the scheduling the port's waiting thread asks for, behind one interface.
//
// A contact's moment is read by the waiting thread as soon as its wait returns; on a busy machine
// a thread of ordinary priority may get no core for milliseconds, and the moment is that late.
// The waiting thread therefore asks, once, as it starts, to run before ordinary threads:
//   - Linux and other POSIX systems: SCHED_FIFO at a modest level (kRealTimeLevel, below the
//     kernel's own interrupt threads at 50) where the process may (root, CAP_SYS_NICE, or an
//     RLIMIT_RTPRIO the user has, e.g. from limits.conf); the highest level the limit allows when
//     that is lower; else the best nice level RLIMIT_NICE allows; else it stays as it is.
//   - Windows: THREAD_PRIORITY_TIME_CRITICAL, which needs no rights.
// A refusal never fails the port: the thread runs at what it was granted, which Describe names
// for the settings dialog.
//
// The rule of the POSIX request is PosixPriorityRequest below, over the system calls it makes,
// so a test can refuse each of them; PosixThreadPriority.cpp and Win32ThreadPriority.cpp are the
// platform backends.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace vandoret {

// The SCHED_FIFO level asked for on POSIX systems.
inline constexpr int kRealTimeLevel = 10;

// What the calling thread was granted.
struct PriorityGrant {
    enum class Kind {
        Unchanged,    // nothing was granted (or nothing was asked yet)
        Nice,         // a better nice level: Level is the nice value (-20..-1)
        RealTime,     // SCHED_FIFO: Level is its priority (1..99)
        TimeCritical, // Windows THREAD_PRIORITY_TIME_CRITICAL
    };
    Kind kind = Kind::Unchanged;
    int Level = 0;
    bool operator==(const PriorityGrant&) const = default;
};

// The grant in the settings dialog's words, e.g. "Echtzeit (SCHED_FIFO 10)".
std::string DescribePriority(const PriorityGrant& grant);
// Whether the grant puts the thread before ordinary threads whatever their nice level.
inline bool IsRealTime(const PriorityGrant& grant) {
    return grant.kind == PriorityGrant::Kind::RealTime || grant.kind == PriorityGrant::Kind::TimeCritical;
}

class ThreadPriority {
public:
    virtual ~ThreadPriority() = default;
    // Raises the calling thread as far as allowed and says what it got. Never throws.
    virtual PriorityGrant RaiseCallingThread() = 0;
};

// The system calls of the POSIX request, each answering 0 on success or an error number.
struct PosixSchedulingCalls {
    std::function<int(int level)> setFifo; // pthread_setschedparam(self, SCHED_FIFO, level)
    std::function<int(int nice)> setNice;  // setpriority(PRIO_PROCESS, gettid(), nice)
    std::function<long()> realTimeLimit;   // RLIMIT_RTPRIO's soft limit (0: none allowed)
    std::function<long()> niceLimit;       // RLIMIT_NICE's soft limit (nice may go down to 20 - it)
};

// The POSIX rule: SCHED_FIFO at `level`, else at the highest level RLIMIT_RTPRIO allows below it,
// else the best nice level tried from what RLIMIT_NICE allows up to -1, else unchanged.
PriorityGrant PosixPriorityRequest(const PosixSchedulingCalls& calls, int level = kRealTimeLevel);

// The backend of the platform this program was built for.
std::unique_ptr<ThreadPriority> CreatePlatformThreadPriority();

} // namespace vandoret
