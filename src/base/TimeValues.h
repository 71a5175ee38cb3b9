// Time values of the timing core and every text form in which they are written and read.
//
// Two kinds of value:
//   TimeOfDay  the local wall-clock time of day as a fraction of a day (1.0 = 24 h, one second
//              = 1/86400). Values lie in [0, 1); a difference of two may be negative.
//   Duration   whole milliseconds, 32-bit signed.
//
// Recorded times are always truncated, never rounded: 09:30:04.799 is written "09:30:04,7".
// None of these functions throws or reports an error; bad text reads as 0 (ParseDuration) or as
// std::nullopt (ParseTimeOfDay).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vandoret {

using TimeOfDay = double;      // day fraction, 1.0 = 24 h
using Duration = std::int32_t; // whole milliseconds

inline constexpr TimeOfDay kOneSecond = 1.0 / 86400.0;
inline constexpr TimeOfDay kOneMinute = 1.0 / 1440.0;
inline constexpr TimeOfDay kOneHour = 1.0 / 24.0;

// The separators of the user's regional settings. German (the default) is ',' and ':'.
struct Locale {
    char decimalSeparator = ',';
    char timeSeparator = ':';
};

// The clock forms. ':' stands for the locale's time separator; the ',' of HhNnSsZ is a literal comma.
//   HhNnSs   "09:30:05"    the clock, and the countdown from one hour up
//   NnSs     "04:59"       the countdown under one hour
//   HhNnSsZ  "09:30:05,1"  recorded start and finish times ("hh:nn:ss,zzz" cut to ten characters)
//   HhNn     "09:31"       planned starts written by the start-time shift
enum class ClockForm { HhNnSs, NnSs, HhNnSsZ, HhNn };

// h:mm:ss,t with leading zero fields stripped, truncated to the tenth; hours wrap at 100.
//   FormatDuration(0) == "0,0", FormatDuration(65300) == "1:05,3", FormatDuration(59999) == "59,9",
//   FormatDuration(3605300) == "1:00:05,3". A negative value is "-" followed by the text of its
//   absolute value: FormatDuration(-5300) == "-5,3". The field separator is always ':'.
std::string FormatDuration(Duration ms, const Locale& locale = {});

// The inverse of FormatDuration, by fixed positions of the template "00:00:00,0": a shorter text is
// right-aligned into the template, a longer one than ten characters gives 0. Hours are characters
// 1-2, minutes 4-5, seconds 7-8, tenths 10; the characters between are not examined. A field that
// is not a decimal integer counts 0, the others still count.
//   ParseDuration("5,3") == 5300, ParseDuration("10:00:05,3") == 36005300,
//   ParseDuration("09:30:04,7") == 34204700, ParseDuration("0,35") == 500, ParseDuration("") == 0,
//   ParseDuration("1:xx,3") == 60300.
Duration ParseDuration(std::string_view text);

// A pause as the operator types it into "Pausen": "[h:]m:ss[,t]" or "s[,t]", with the locale's
// decimal separator; one ':' separates minutes from seconds. The first field has any number of
// digits, a field after a ':' one or two (the seconds two), each below 60; of the decimals only
// the tenths count, further ones are cut. Blanks around the text are allowed. nullopt for a
// blank text (no pause), for any other text and for more than the Duration range.
//   ParsePause("1:30") == 90000, ParsePause("90,5") == 90500, ParsePause("0:45") == 45000,
//   ParsePause("1:00:05,37") == 3605300; "1:5", "1:75", "1,5,5" and "!" give nullopt.
// Written back with FormatDuration: 90 s is "1:30,0".
std::optional<Duration> ParsePause(std::string_view text, const Locale& locale = {});

// FormatDuration(minutes * 60000) without the decimal separator and tenths:
//   570 -> "9:30:00", 5 -> "5:00", 0 -> "0".
std::string FormatMinutes(std::int32_t minutes, const Locale& locale = {});

// Removes min(p - 1, 7) characters from the front, p being the 1-based position of the first
// digit 1-9 (length + 1 when there is none): "00:01:05,3" -> "1:05,3", "00:00:00,0" -> "0,0".
std::string StripLeadingZeros(std::string_view text);

// Hours and minutes separated by the locale's time separator, optionally seconds, and after the
// seconds optionally the decimal separator and milliseconds: "9:30", "09:30:00", "09:30:05,123".
// Blanks around the text are allowed; the whole text must be consumed. Hours 0-23, minutes and
// seconds 0-59, milliseconds 0-999 (read as a whole number, as the platform's time parser does).
std::optional<TimeOfDay> ParseTimeOfDay(std::string_view text, const Locale& locale = {});

// A planned start as the start list holds it: ParseTimeOfDay, but each time separator may also be
// ':', the separator FormatMinutes writes and generated lists use, so "9:30" reads in a locale
// whose time separator is '.'. Only where a planned start is read for timing (the countdown, the
// next rider, the colour of the planned start); sorting and the settings dialog read with the
// locale's separator alone.
std::optional<TimeOfDay> ParsePlannedStart(std::string_view text, const Locale& locale = {});

// A time of day, or the difference of two, in one of the clock forms. The value is scaled to
// milliseconds and rounded, a negative value is taken absolute and whole days are dropped:
//   FormatClock(-65.4 s, NnSs) == "01:05".
std::string FormatClock(TimeOfDay value, ClockForm form, const Locale& locale = {});

// The text shown for "no finish time".
inline constexpr std::string_view kNoFinishTime = "..:..:..,.";

// Whole milliseconds since midnight of a time of day (rounded), for callers that compare times.
std::int64_t ToMilliseconds(TimeOfDay value);

// A time of day from its fields; no range check.
TimeOfDay MakeTimeOfDay(int hours, int minutes, int seconds = 0, int milliseconds = 0);

} // namespace vandoret
