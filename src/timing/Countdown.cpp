#include "timing/Countdown.h"

#include <cstdint>
#include <cstdlib>

namespace vandoret {

std::string CountdownText(TimeOfDay plannedStart, TimeOfDay now, const Locale& locale) {
    const TimeOfDay d = plannedStart - now + kOneSecond;
    // Decide the form on the same whole milliseconds that FormatClock shows: a day fraction a hair
    // below one hour would otherwise be written "nn:ss" of 60:00, that is "00:00", and arm the
    // automatic start an hour early.
    const std::int64_t ms = ToMilliseconds(d);
    return FormatClock(d, std::llabs(ms) < 3'600'000 ? ClockForm::NnSs : ClockForm::HhNnSs, locale);
}

bool CountdownShows(std::string_view text, int seconds, const Locale& locale) {
    std::string expected = "00";
    expected += locale.timeSeparator;
    expected += static_cast<char>('0' + (seconds / 10) % 10);
    expected += static_cast<char>('0' + seconds % 10);
    return text == expected;
}

} // namespace vandoret
