// The waiting thread's priority on POSIX systems: SCHED_FIFO, else a better nice level
// (contacts/port_layer/ThreadPriority.h). Linux keeps nice per thread (setpriority on the
// thread's id), so only the waiting thread is raised, never the user-interface thread.
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>

#include "contacts/port_layer/ThreadPriority.h"

namespace vandoret {

namespace {

long SoftLimit(int resource) {
    rlimit limit{};
    if (::getrlimit(resource, &limit) != 0) {
        return 0;
    }
    return limit.rlim_cur == RLIM_INFINITY ? 99 : static_cast<long>(limit.rlim_cur);
}

class PosixThreadPriority : public ThreadPriority {
public:
    PriorityGrant RaiseCallingThread() override {
        PosixSchedulingCalls calls;
        calls.setFifo = [](int level) {
            sched_param param{};
            param.sched_priority = level;
            return ::pthread_setschedparam(::pthread_self(), SCHED_FIFO, &param);
        };
        calls.setNice = [](int nice) {
            return ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), nice) == 0 ? 0 : errno;
        };
        calls.realTimeLimit = [] { return SoftLimit(RLIMIT_RTPRIO); };
        calls.niceLimit = [] { return SoftLimit(RLIMIT_NICE); };
        try {
            return PosixPriorityRequest(calls);
        } catch (...) {
            return {};
        }
    }
};

} // namespace

std::unique_ptr<ThreadPriority> CreatePlatformThreadPriority() {
    return std::make_unique<PosixThreadPriority>();
}

} // namespace vandoret
