// The separators of the regional settings: the rule on any platform, the Windows reading under
// Windows (or wine).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "base/RegionalSettings.h"

namespace vandoret {
namespace {

TEST(RegionalSettings, SeparatorsFromTheLocaleTexts) {
    const struct {
        const char16_t* decimal;
        const char16_t* timeFormat;
        const char16_t* timeSeparator;
        char expectedDecimal;
        char expectedTime;
    } cases[] = {
        {u",", u"HH:mm:ss", u":", ',', ':'},      // German
        {u".", u"h:mm:ss tt", u":", '.', ':'},    // English (United States)
        {u",", u"H.mm.ss", u".", ',', '.'},       // Finnish
        {u",", u"HH' h 'mm", u":", ',', ':'},     // a quoted literal is no separator
        {u"", u"", u"", ',', ':'},                // nothing readable: the German defaults
        {u"\u066B", u"hh:mm:ss", u":", ',', ':'}, // a decimal sign outside ASCII
        {u",,", u"HHmmss", u"--", ',', ':'},      // several characters
        {u"0", u"HH mm ss", u"h", ',', ':'},      // digits, letters and spaces are no separators
        {u"'", u"HHmmss", u"-", ',', '-'},        // a quote is none either; the time text helps
    };
    for (const auto& c : cases) {
        const Locale locale = LocaleFromRegionalTexts(c.decimal, c.timeFormat, c.timeSeparator);
        EXPECT_EQ(locale.decimalSeparator, c.expectedDecimal);
        EXPECT_EQ(locale.timeSeparator, c.expectedTime);
    }
}

#ifdef _WIN32
// Named locales other than the user's own (whose name also brings the user's changes).
TEST(RegionalSettings, WindowsLocalesByName) {
    const struct {
        const char* name;
        char decimal;
        char time;
    } cases[] = {{"de-DE", ',', ':'}, {"de-AT", ',', ':'}, {"en-GB", '.', ':'}, {"fi-FI", ',', '.'}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Locale locale = WindowsRegionalLocale(c.name);
        EXPECT_EQ(locale.decimalSeparator, c.decimal);
        EXPECT_EQ(locale.timeSeparator, c.time);
    }
    // A name the platform does not know keeps the defaults.
    const Locale unknown = WindowsRegionalLocale("xx-invalid");
    EXPECT_EQ(unknown.decimalSeparator, ',');
    EXPECT_EQ(unknown.timeSeparator, ':');
}

// The user's own regional settings; scripts/cross-windows gives the wine prefix German ones
// over its English locale and says so in VANDORET_TEST_REGIONAL.
TEST(RegionalSettings, TheUsersRegionalSettings) {
    const char* regional = std::getenv("VANDORET_TEST_REGIONAL");
    if (regional == nullptr || std::string(regional) != "de") {
        GTEST_SKIP() << "the user's regional settings are not known to this test";
    }
    const Locale locale = WindowsRegionalLocale();
    EXPECT_EQ(locale.decimalSeparator, ',');
    EXPECT_EQ(locale.timeSeparator, ':');
}
#endif

} // namespace
} // namespace vandoret
