// The decimal and time separators of the Windows regional settings, read once at start-up and
// handed to the core as its Locale.
//
// The rule is plain text work and holds everywhere: the decimal separator is the locale's
// decimal text when that is one ASCII character (not a letter, digit or space), else ','. The
// time separator is the first ASCII punctuation character of the long time format outside quoted
// literals ("HH:mm:ss" gives ':', "H.mm.ss" gives '.'); without one, the locale's time separator
// text under the same rule; else ':'. So a setting the recorded times cannot carry (a separator
// of several characters or outside ASCII) keeps the German default.
#pragma once

#include <string>
#include <string_view>

#include "base/TimeValues.h"

namespace vandoret {

// The separators from the locale's texts (UTF-16, as the platform gives them).
Locale LocaleFromRegionalTexts(std::u16string_view decimal, std::u16string_view timeFormat,
                               std::u16string_view timeSeparator);

#ifdef _WIN32
// The separators of a Windows locale by name (e.g. "de-DE"), read with GetLocaleInfoEx; an empty
// name stands for the user's regional settings, with the changes made in the control panel. A
// text the platform cannot give counts as empty.
Locale WindowsRegionalLocale(const std::string& localeName = {});
#endif

} // namespace vandoret
