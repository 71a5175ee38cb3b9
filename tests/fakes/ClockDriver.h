// Runs the program's two timers on the fake clock, so a test reads like "run the clock from
// 09:29:50 to 09:30:06".
#pragma once

#include <cstdint>
#include <functional>

#include "fakes/FakeHost.h"
#include "timing/Timekeeper.h"

namespace vandoret::testing {

// Milliseconds since midnight of a clock time.
constexpr std::int64_t ClockMs(int h, int m, int s, int ms = 0) {
    return ((std::int64_t{h} * 60 + m) * 60 + s) * 1000 + ms;
}

class ClockDriver {
public:
    ClockDriver(Timekeeper& keeper, FakeHost& host) : keeper_(keeper), host_(host) {}

    // Sets the clock to each 100 ms step from fromMs to toMs, both included. At each step a due
    // Timer5sek (5000 ms after it was started) fires first, once, then Timer1Timer runs if Timer1
    // is on; afterStep, if given, runs last.
    void Run(std::int64_t fromMs, std::int64_t toMs, const std::function<void()>& afterStep = {});

    // One step at the given time.
    void Step(std::int64_t ms);

    int ticks = 0; // Timer1Timer calls
    int timer5sekFires = 0;

private:
    Timekeeper& keeper_;
    FakeHost& host_;
};

} // namespace vandoret::testing
