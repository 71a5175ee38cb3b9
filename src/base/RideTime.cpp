#include "base/RideTime.h"

#include <algorithm>

namespace vandoret {

RideTime MeasureRide(std::int64_t start, std::int64_t finish, const std::vector<ClockStep>& steps) {
    RideTime ride{finish - start, false};
    if (ride.ms < -kRideHalfDayMs) {
        ride.ms += kRideDayMs; // over midnight
    }
    for (const ClockStep& step : steps) {
        const std::int64_t before = step.at - step.size; // the reading the clock jumped from
        // After a forward step every later reading is past it, even one taken before the tick saw it.
        if (start <= before && finish >= std::min(step.at, before + 1)) {
            ride.ms -= step.size;
            ride.acrossStep = true;
        }
    }
    return ride;
}

} // namespace vandoret
