#include "grid/SortCompare.h"

#include <gtest/gtest.h>

namespace vandoret {
namespace {

int Sign(int v) {
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

TEST(CompareNumberedText, Table) {
    const struct {
        const char* a;
        const char* b;
        int expected;
    } cases[] = {
        {"Gruppe 9", "Gruppe 10", -1},
        {"Gruppe 10", "Gruppe 9", 1},
        {"Gruppe 9a", "Gruppe 10a", -1},
        {"Klasse 2 Reiter", "Klasse 12 Reiter", -1},
        {"A1", "A1", 0},
        {"abc", "abc", 0},
        {"007", "7", 1}, // equal as numbers, different texts: not 0
        {"7", "007", 1},
        {"", "x", -1}, // an empty side always sorts first
        {"x", "", -1},
        {"", "", -1},
        {"Gruppe b", "Gruppe a", 1}, // no number left: byte-wise
        {"Gruppe a", "Gruppe b", -1},
        {"R99999999999", "R1", 1}, // too large for a whole number: byte-wise ("9" > "1")
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Sign(CompareNumberedText(c.a, c.b)), c.expected) << c.a << " | " << c.b;
    }
}

TEST(CompareDurationText, Table) {
    const struct {
        const char* a;
        const char* b;
        int expected;
    } cases[] = {
        {"9,5", "10,0", -1}, // shorter text, shorter time
        {"59,9", "1:00,0", -1},      {"1:05,3", "1:05,3", 0}, {"1:05,4", "1:05,3", 1},
        {"1:02:03,4", "59:59,9", 1}, {"", "59:59:59,9", 1}, // a blank time counts 20 long: after every real time
        {"   ", "1:00:00,0", 1},     {"", "  ", -1},        // both count 20 long: then byte-wise
        {"-5,3", "5,3", 1},                                 // a negative time is one character longer
        {"\xC3\xA4", "a", 1},                               // unsigned byte codes
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Sign(CompareDurationText(c.a, c.b)), c.expected) << c.a << " | " << c.b;
        EXPECT_EQ(Sign(CompareDurationText(c.b, c.a)), -c.expected) << c.b << " | " << c.a;
    }
}

TEST(SortConversions, Numbers) {
    const Locale german;
    const struct {
        const char* text;
        std::optional<double> value;
    } cases[] = {
        {"10", 10.0},          {"9,5", 9.5},          {" -1,5e3 ", -1500.0}, {"+2", 2.0},
        {",5", 0.5},           {"5,", 5.0},           {"1E2", 100.0},        {"9.5", std::nullopt},
        {"", std::nullopt},    {"-", std::nullopt},   {"1e", std::nullopt},  {"1,2,3", std::nullopt},
        {"nan", std::nullopt}, {"inf", std::nullopt}, {"12a", std::nullopt}, {"1 000", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseSortNumber(c.text, german), c.value) << c.text;
    }
    EXPECT_EQ(ParseSortNumber("9.5", Locale{'.', ':'}), 9.5);
}

TEST(SortConversions, WholeNumbers) {
    const struct {
        const char* text;
        std::optional<std::int32_t> value;
    } cases[] = {
        {"3", 3},
        {" 12", 12},
        {"-4", -4},
        {"+5", 5},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt},
        {"2,5", std::nullopt},
        {"", std::nullopt},
        {"3 ", std::nullopt},
        {"x", std::nullopt},
        {"-", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseWholeNumber(c.text), c.value) << c.text;
    }
}

TEST(SortConversions, DatesAndTimes) {
    const Locale german;
    EXPECT_EQ(ParseSortDateTime("30.12.1899", german), 0.0);
    EXPECT_EQ(ParseSortDateTime("01.01.1900", german), 2.0);
    EXPECT_EQ(ParseSortDateTime("1.3.2024", german), 45352.0);
    EXPECT_EQ(ParseSortDateTime("29.2.2024 12:00", german), 45351.5);
    EXPECT_EQ(ParseSortDateTime("12:00", german), 0.5); // a time alone
    for (const char* bad : {"", "31.2.2024", "29.2.2023", "1.13.2024", "x", "1.1.2024x", "1.1.2024 25:00", "1.1.202"}) {
        EXPECT_FALSE(ParseSortDateTime(bad, german).has_value()) << bad;
    }
    EXPECT_EQ(ParseSortTime("09:30:05,5", german), MakeTimeOfDay(9, 30, 5, 5));
    EXPECT_FALSE(ParseSortTime("9,5", german).has_value());
}

TEST(CompareSortEntries, StylesFoldingAndPosition) {
    TSortOptions options;
    const auto compare = [&](const char* a, int pa, const char* b, int pb) {
        return Sign(CompareSortEntries({a, pa, &options}, {b, pb, &options}));
    };
    options.SortStyle = TSortStyle::ssNormal;
    EXPECT_EQ(compare("anna", 2, "Anna", 1), 1); // equal when folded: by position
    EXPECT_EQ(compare("Zoo", 1, "\xC3\x84rger", 2), -1);
    options.SortCaseSensitive = true;
    EXPECT_EQ(compare("anna", 1, "Anna", 2), 1);
    options.SortCaseSensitive = false;

    options.SortStyle = TSortStyle::ssNumeric;
    EXPECT_EQ(compare("9,5", 1, "10", 2), -1);
    EXPECT_EQ(compare("x", 1, "10", 2), 1); // does not parse: byte-wise
    EXPECT_EQ(compare("10", 2, "10,0", 1), 1);
    options.SortDirection = TSortDirection::sdDescending;
    EXPECT_EQ(compare("9,5", 1, "10", 2), 1);
    EXPECT_EQ(compare("10", 2, "10,0", 1), 1); // ties still by position, smaller first
    options.SortDirection = TSortDirection::sdAscending;

    options.SortStyle = TSortStyle::ssTime;
    EXPECT_EQ(compare("9:30", 1, "10:00", 2), -1);
    options.SortStyle = TSortStyle::ssDateTime;
    EXPECT_EQ(compare("2.1.2024", 1, "10.12.2023", 2), 1);
    options.SortStyle = TSortStyle::ssNumericExtended;
    EXPECT_EQ(compare("GRUPPE 10", 1, "gruppe 9", 2), 1);
    options.SortStyle = TSortStyle::ssCustom;
    EXPECT_EQ(compare("b", 1, "a", 2), 1); // no custom comparison installed: byte-wise
    options.CustomCompare = [](std::string_view a, std::string_view b) { return CompareBytes(b, a); };
    EXPECT_EQ(compare("b", 1, "a", 2), -1);
}

} // namespace
} // namespace vandoret
