// ParseDuration and ParseTimeOfDay (and ParsePlannedStart) on any text, in the separators of the
// regional settings the program meets.
//
// Checked: a duration stays within what ten template characters can say, and one the program
// writes reads back to itself cut to the tenth; a time of day lies in [0, 1), the clock text of
// it reads back to its whole seconds, and a planned start reads every time of day alike.
#include <cmath>
#include <string>

#include "FuzzSupport.h"
#include "base/TimeValues.h"

using namespace vandoret;

namespace {

constexpr std::int64_t kLargestParsed = 99LL * 3'600'000 + 99 * 60'000 + 99 * 1'000 + 9 * 100;
constexpr std::int64_t kHundredHours = 100LL * 3'600'000;
constexpr std::int64_t kMsPerDay = 86'400'000;

void CheckDurationRoundTrip(std::int64_t ms, const Locale& locale) {
    if (ms < 0 || ms >= kHundredHours) {
        return; // hours wrap at 100; a negative value is written with its sign in front
    }
    const std::string text = FormatDuration(static_cast<Duration>(ms), locale);
    FUZZ_CHECK(ParseDuration(text) == ms / 100 * 100, "a written duration reads back cut to the tenth");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Bytes in(data, size);
    const std::uint8_t pick = in.Byte();
    Locale locale;
    locale.decimalSeparator = (pick & 1) ? '.' : ',';
    locale.timeSeparator = (pick & 2) ? '.' : ':';
    const std::uint32_t number = in.U32();
    const std::string_view text = in.Rest();

    const Duration d = ParseDuration(text);
    FUZZ_CHECK(std::llabs(std::int64_t{d}) <= kLargestParsed, "a duration is at most 99:99:99,9");
    CheckDurationRoundTrip(d, locale);
    CheckDurationRoundTrip(number % kHundredHours, locale);

    const std::optional<TimeOfDay> t = ParseTimeOfDay(text, locale);
    const std::optional<TimeOfDay> planned = ParsePlannedStart(text, locale);
    if (t) {
        FUZZ_CHECK(std::isfinite(*t) && *t >= 0.0 && *t < 1.0, "a time of day lies in [0, 1)");
        FUZZ_CHECK(planned && *planned == *t, "a planned start reads a time of day alike");
    }
    for (const std::optional<TimeOfDay>& value : {t, planned}) {
        if (!value) {
            continue;
        }
        FUZZ_CHECK(std::isfinite(*value) && *value >= 0.0 && *value < 1.0, "a planned start lies in [0, 1)");
        const std::int64_t ms = ToMilliseconds(*value);
        const std::string clock = FormatClock(*value, ClockForm::HhNnSs, locale);
        const std::optional<TimeOfDay> back = ParseTimeOfDay(clock, locale);
        FUZZ_CHECK(back.has_value(), "the clock text of a time reads as a time");
        FUZZ_CHECK(ToMilliseconds(*back) == ms % kMsPerDay / 1000 * 1000, "the clock text reads back to its seconds");
    }

    // A time of day from a number, through the recorded-time text and back.
    const std::int64_t ms = number % kMsPerDay;
    const std::string recorded = FormatClock(MakeTimeOfDay(0, 0, 0, static_cast<int>(ms)), ClockForm::HhNnSsZ, locale);
    FUZZ_CHECK(ParseDuration(recorded) == ms / 100 * 100, "a recorded time reads back as its duration");
    return 0;
}
