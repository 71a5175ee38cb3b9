#include "fakes/ClockDriver.h"

namespace vandoret::testing {

void ClockDriver::Step(std::int64_t ms) {
    host_.now = static_cast<double>(ms) / 86'400'000.0;
    if (host_.timer5sek && ms - ToMilliseconds(host_.timer5sekStartedAt) >= 5000) {
        host_.timer5sek = false; // it fires once per start, as the host promises
        ++timer5sekFires;
        keeper_.Timer5sekTimer();
    }
    if (host_.timer1) {
        ++ticks;
        keeper_.Timer1Timer();
    }
}

void ClockDriver::Run(std::int64_t fromMs, std::int64_t toMs, const std::function<void()>& afterStep) {
    for (std::int64_t ms = fromMs; ms <= toMs; ms += 100) {
        Step(ms);
        if (afterStep) {
            afterStep();
        }
    }
}

} // namespace vandoret::testing
