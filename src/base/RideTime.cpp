#include "base/RideTime.h"

namespace vandoret {

RideTime MeasureRide(std::int64_t start, std::int64_t finish, const std::vector<ClockStep>& steps) {
    RideTime ride{finish - start, false};
    if (ride.ms < -kRideHalfDayMs) {
        ride.ms += kRideDayMs; // over midnight
    }
    for (const ClockStep& step : steps) {
        if (start <= step.at - step.size && finish >= step.at) {
            ride.ms -= step.size;
            ride.acrossStep = true;
        }
    }
    return ride;
}

} // namespace vandoret
