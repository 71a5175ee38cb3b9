// A ride's length from the recorded start and finish times of day: across midnight, and across
// steps of the wall clock the program saw while it ran.
#pragma once

#include <cstdint>
#include <vector>

namespace vandoret {

inline constexpr std::int64_t kRideDayMs = 86'400'000;
inline constexpr std::int64_t kRideHalfDayMs = kRideDayMs / 2;

// A step of the wall clock against the steady clock: at `at` (ms of the day, as the wall clock
// read right after it) the wall clock had jumped by `size` ms (forward > 0, back < 0).
struct ClockStep {
    std::int64_t at = 0;
    std::int64_t size = 0;
    bool operator==(const ClockStep&) const = default;
};

struct RideTime {
    std::int64_t ms = 0;     // finish less start, corrected
    bool acrossStep = false; // a clock step lay between start and finish and was taken out
};

// finish - start in ms of the day. A finish earlier than its start by more than twelve hours is
// the next day's. A step lies inside the ride when the start is no later than the wall clock's
// reading just before the step (at - size) and the finish is later than that reading after a
// step forward, or no earlier than the reading right after a step back (at); its size is taken
// out of the ride. After a step back, a time within the span
// the clock showed twice cannot be told apart: it counts as inside, and the mark says so.
RideTime MeasureRide(std::int64_t start, std::int64_t finish, const std::vector<ClockStep>& steps = {});

} // namespace vandoret
