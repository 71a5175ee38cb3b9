#include "base/TimeValues.h"

#include <gtest/gtest.h>

#include <string>

namespace vandoret {
namespace {

TEST(FormatDuration, GermanExamples) {
    const struct {
        Duration ms;
        const char* text;
    } cases[] = {
        {0, "0,0"},
        {300, "0,3"},
        {999, "0,9"},
        {1000, "1,0"},
        {1999, "1,9"},
        {5300, "5,3"},
        {15300, "15,3"},
        {59999, "59,9"},
        {60000, "1:00,0"},
        {65300, "1:05,3"},
        {605300, "10:05,3"},
        {3605300, "1:00:05,3"},
        {36005300, "10:00:05,3"},
        {360000000, "0,0"}, // hours wrap at 100
        {-5300, "-5,3"},
        {-65300, "-1:05,3"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatDuration(c.ms), c.text) << c.ms;
    }
}

TEST(FormatDuration, ExtremesDoNotOverflow) {
    EXPECT_EQ(FormatDuration(INT32_MIN).front(), '-');
    EXPECT_FALSE(FormatDuration(INT32_MAX).empty());
}

TEST(FormatDuration, UsesLocaleDecimalSeparator) {
    EXPECT_EQ(FormatDuration(65300, Locale{'.', ':'}), "1:05.3");
}

TEST(ParseDuration, Examples) {
    const struct {
        const char* text;
        Duration ms;
    } cases[] = {
        {"5,3", 5300},
        {"1:05,3", 65300},
        {"10:00:05,3", 36005300},
        {"09:30:04,7", 34204700},
        {"", 0},
        {"0,35", 500},      // only the last character is the tenths
        {"1:xx,3", 60300},  // the unreadable seconds count 0
        {"10:00:05,33", 0}, // longer than ten characters
        {"12345678901234", 0},
        {"abc", 0},
        {"-5,3", -4700},                 // "0-" is not a number, "-5" is: 0 + -5 s + 300 ms
        {"5.3", 5300},                   // any separator is accepted
        {"\xC3\xA4\xC3\xB6:05,3", 5300}, // non-ASCII hours count 0
        {"\xFF\xFE", 0},
        {"::::", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseDuration(c.text), c.ms) << '"' << c.text << '"';
    }
}

TEST(ParseDuration, RoundTripsFormatDuration) {
    for (Duration ms = 0; ms < 360'000'000; ms += 123'456 + 100) {
        const Duration truncated = ms / 100 * 100;
        EXPECT_EQ(ParseDuration(FormatDuration(ms)), truncated) << ms;
    }
}

TEST(ParseDuration, OverLongAndBinaryTextNeverCrash) {
    EXPECT_EQ(ParseDuration(std::string(1'000'000, '9')), 0);
    EXPECT_EQ(ParseDuration(std::string("\0\0:\0", 5)), 0);
}

TEST(FormatMinutes, Examples) {
    EXPECT_EQ(FormatMinutes(570), "9:30:00");
    EXPECT_EQ(FormatMinutes(600), "10:00:00");
    EXPECT_EQ(FormatMinutes(45), "45:00");
    EXPECT_EQ(FormatMinutes(5), "5:00");
    EXPECT_EQ(FormatMinutes(0), "0");
}

TEST(StripLeadingZeros, KeepsAtLeastUnitsOfSeconds) {
    EXPECT_EQ(StripLeadingZeros("00:00:00,0"), "0,0");
    EXPECT_EQ(StripLeadingZeros("00:01:05,3"), "1:05,3");
    EXPECT_EQ(StripLeadingZeros("10:00:05,3"), "10:00:05,3");
    EXPECT_EQ(StripLeadingZeros(""), "");
    EXPECT_EQ(StripLeadingZeros("000"), "");
}

TEST(ParseTimeOfDay, Accepts) {
    const struct {
        const char* text;
        int h, m, s, ms;
    } cases[] = {
        {"9:30", 9, 30, 0, 0},       {"09:30:00", 9, 30, 0, 0}, {"09:30:05,123", 9, 30, 5, 123},
        {"  9:30:00 ", 9, 30, 0, 0}, {"0:00", 0, 0, 0, 0},      {"23:59:59,999", 23, 59, 59, 999},
    };
    for (const auto& c : cases) {
        const auto t = ParseTimeOfDay(c.text);
        ASSERT_TRUE(t.has_value()) << c.text;
        EXPECT_EQ(ToMilliseconds(*t), ((c.h * 60 + c.m) * 60 + c.s) * 1000LL + c.ms) << c.text;
    }
}

TEST(ParseTimeOfDay, Rejects) {
    const char* const cases[] = {
        "",     "   ",   "9",     "24:00", "9:60",       "9:30:60",     "9:30:00,1000", "9:30:", "9:30:00,",
        "9.30", "x9:30", "9:30x", "-9:30", "9:30:00:00", "\xC3\xA4:30", "9:30 00",      "9::30"};
    for (const char* c : cases) {
        EXPECT_FALSE(ParseTimeOfDay(c).has_value()) << '"' << c << '"';
    }
    EXPECT_FALSE(ParseTimeOfDay(std::string(1'000'000, '1')).has_value());
}

TEST(ParseTimeOfDay, FollowsLocaleSeparators) {
    const Locale dots{'.', '.'};
    ASSERT_TRUE(ParseTimeOfDay("09.30.05.5", dots).has_value());
    EXPECT_EQ(ToMilliseconds(*ParseTimeOfDay("09.30.05.5", dots)), 34'205'005);
    EXPECT_FALSE(ParseTimeOfDay("09:30", dots).has_value());
}

TEST(FormatClock, Forms) {
    const TimeOfDay t = MakeTimeOfDay(9, 30, 5, 199);
    EXPECT_EQ(FormatClock(t, ClockForm::HhNnSs), "09:30:05");
    EXPECT_EQ(FormatClock(t, ClockForm::HhNnSsZ), "09:30:05,1"); // truncated, not rounded
    EXPECT_EQ(FormatClock(MakeTimeOfDay(9, 30, 4, 799), ClockForm::HhNnSsZ), "09:30:04,7");
    EXPECT_EQ(FormatClock(t, ClockForm::HhNn), "09:30");
    EXPECT_EQ(FormatClock(MakeTimeOfDay(0, 4, 59), ClockForm::NnSs), "04:59");
    EXPECT_EQ(FormatClock(-65.4 * kOneSecond, ClockForm::NnSs), "01:05");
    EXPECT_EQ(FormatClock(1.0 + MakeTimeOfDay(1, 0, 0), ClockForm::HhNnSs), "01:00:00"); // days dropped
    EXPECT_EQ(FormatClock(t, ClockForm::HhNnSs, Locale{',', '.'}), "09.30.05");
    EXPECT_EQ(FormatClock(t, ClockForm::HhNnSsZ, Locale{'.', '.'}), "09.30.05,1"); // the comma is literal
}

TEST(FormatClock, CountdownArithmeticLandsOnWholeSeconds) {
    // planned - now + 1 s, as the countdown computes it in doubles.
    const TimeOfDay planned = MakeTimeOfDay(9, 30, 0);
    EXPECT_EQ(FormatClock(planned - MakeTimeOfDay(9, 29, 55, 1) + kOneSecond, ClockForm::NnSs), "00:05");
    EXPECT_EQ(FormatClock(planned - MakeTimeOfDay(9, 29, 55, 0) + kOneSecond, ClockForm::NnSs), "00:06");
    EXPECT_EQ(FormatClock(planned - MakeTimeOfDay(9, 30, 1, 999) + kOneSecond, ClockForm::NnSs), "00:00");
}

TEST(FormatClock, NonFiniteValuesDoNotCrash) {
    EXPECT_EQ(FormatClock(std::numeric_limits<double>::quiet_NaN(), ClockForm::HhNnSs), "00:00:00");
    EXPECT_EQ(FormatClock(std::numeric_limits<double>::infinity(), ClockForm::NnSs), "00:00");
}

} // namespace
} // namespace vandoret
