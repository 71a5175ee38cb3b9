// The waiting thread's priority on Windows: THREAD_PRIORITY_TIME_CRITICAL, which an ordinary
// user may set (contacts/port_layer/ThreadPriority.h).
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "contacts/port_layer/ThreadPriority.h"

namespace vandoret {

namespace {

class Win32ThreadPriority : public ThreadPriority {
public:
    PriorityGrant RaiseCallingThread() override {
        if (SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL)) {
            return {PriorityGrant::Kind::TimeCritical, THREAD_PRIORITY_TIME_CRITICAL};
        }
        return {};
    }
};

} // namespace

std::unique_ptr<ThreadPriority> CreatePlatformThreadPriority() {
    return std::make_unique<Win32ThreadPriority>();
}

} // namespace vandoret
