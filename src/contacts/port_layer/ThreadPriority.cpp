// The POSIX priority rule and the grant's description (contacts/port_layer/ThreadPriority.h).
#include "contacts/port_layer/ThreadPriority.h"

#include <algorithm>

namespace vandoret {

std::string DescribePriority(const PriorityGrant& grant) {
    switch (grant.kind) {
    case PriorityGrant::Kind::RealTime:
        return "Echtzeit (SCHED_FIFO " + std::to_string(grant.Level) + ")";
    case PriorityGrant::Kind::TimeCritical:
        return "Echtzeit (TIME_CRITICAL)";
    case PriorityGrant::Kind::Nice:
        return "erh\xC3\xB6ht (nice " + std::to_string(grant.Level) + ")";
    case PriorityGrant::Kind::Unchanged:
        break;
    }
    return "normal";
}

PriorityGrant PosixPriorityRequest(const PosixSchedulingCalls& calls, int level) {
    const auto ask = [](const std::function<int(int)>& call, int value) { return call && call(value) == 0; };
    if (ask(calls.setFifo, level)) {
        return {PriorityGrant::Kind::RealTime, level};
    }
    // A user whose limit is below the level asked for gets the limit (without CAP_SYS_NICE the
    // kernel refuses anything above RLIMIT_RTPRIO).
    const long rtLimit = calls.realTimeLimit ? calls.realTimeLimit() : 0;
    if (rtLimit > 0 && rtLimit < level && ask(calls.setFifo, static_cast<int>(rtLimit))) {
        return {PriorityGrant::Kind::RealTime, static_cast<int>(rtLimit)};
    }
    // The best nice level: from what the limit allows (20 - RLIMIT_NICE) towards -1; without a
    // limit only root gets any, so every level is tried once.
    const long niceLimit = calls.niceLimit ? calls.niceLimit() : 0;
    const int best = niceLimit > 0 ? static_cast<int>(std::clamp(20L - niceLimit, -20L, 19L)) : -20;
    for (int nice = best; nice <= -1; ++nice) {
        if (ask(calls.setNice, nice)) {
            return {PriorityGrant::Kind::Nice, nice};
        }
    }
    return {};
}

} // namespace vandoret
