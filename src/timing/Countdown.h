// The countdown shown under "Counter:" and the two texts the tick reacts to.
#pragma once

#include <string>
#include <string_view>

#include "base/TimeValues.h"

namespace vandoret {

// The time to a planned start plus one second, so that "00:00" appears only once the planned time
// has passed. Under one hour it reads "nn:ss", from one hour up "hh:nn:ss"; after the planned time
// the absolute value is shown, so the counter counts up again.
std::string CountdownText(TimeOfDay plannedStart, TimeOfDay now, const Locale& locale);

// True when a countdown text shows zero minutes and the given seconds ("00:05", "00:00"), written
// with the locale's time separator, so the ready signal and the automatic start work in every
// regional setting.
bool CountdownShows(std::string_view text, int seconds, const Locale& locale);

} // namespace vandoret
