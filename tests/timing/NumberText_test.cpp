#include "base/NumberText.h"

#include <gtest/gtest.h>

#include <string>

namespace vandoret {
namespace {

TEST(ParseLocaleDecimal, ReadsTheLocaleForms) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"9,5", 9.5},     {" -1,5e3 ", -1500.0}, {",5", 0.5},      {"-,5", -0.5},  {"+,25", 0.25}, {"5,", 5.0},
        {"3", 3.0},       {"1E2", 100.0},        {"2,5e-1", 0.25}, {"  0  ", 0.0}, {"-0", -0.0},   {"1e+3", 1000.0},
        {"1e308", 1e308},
    };
    const Locale german;
    for (const auto& c : cases) {
        const std::optional<double> v = ParseLocaleDecimal(c.text, german);
        ASSERT_TRUE(v.has_value()) << c.text;
        EXPECT_DOUBLE_EQ(*v, c.value) << c.text;
    }
}

TEST(ParseLocaleDecimal, RejectsWhatThePlatformRejects) {
    const Locale german;
    for (const char* text : {"",    "   ", "9.5",   ",",      "-",      "+",   "e3",    "1e",  "1e+", "1,5x",
                             "1 5", "--1", "1e400", "-1e400", "1e-400", "\t1", "1,2,3", "inf", "nan", "0x10"}) {
        EXPECT_FALSE(ParseLocaleDecimal(text, german).has_value()) << '"' << text << '"';
    }
}

TEST(ParseLocaleDecimal, FollowsTheSeparatorOfTheLocale) {
    const Locale english{'.', ':'};
    EXPECT_EQ(ParseLocaleDecimal("9.5", english), 9.5);
    EXPECT_EQ(ParseLocaleDecimal(".5", english), 0.5);
    EXPECT_FALSE(ParseLocaleDecimal("9,5", english).has_value());
}

} // namespace
} // namespace vandoret
