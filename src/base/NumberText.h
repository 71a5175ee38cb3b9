// Decimal numbers in text, read as the platform's StrToFloat reads them, and start numbers.
#pragma once

#include <optional>
#include <string_view>

#include "base/TimeValues.h"

namespace vandoret {

// [blanks] [sign] digits [separator digits] [(e|E) [sign] digits] [blanks], with the locale's
// decimal separator and at least one digit before or after it; the whole text must be used.
// nullopt otherwise (also for an empty text and for a value out of the double range).
//   ParseLocaleDecimal(" -1,5e3 ") == -1500, ParseLocaleDecimal(",5") == 0.5, "9.5" fails.
std::optional<double> ParseLocaleDecimal(std::string_view text, const Locale& locale);

// Start numbers. Every place that matches a rider's number against another (the results, Enter
// in the stop list, hand times, the live pages, the checks for a number given twice) compares
// them by this one rule: the texts without the blanks and control characters around them must be
// equal, character for character. So " 8" and "8 " are the same number, while "07" and "7" are
// not (a number is a name on the saddle cloth, not a value), and a blank text is no number.
//   StartNumberKey(" 8\t") == "8", SameStartNumber(" 8", "8") is true, SameStartNumber("07", "7")
//   and SameStartNumber(" ", " ") are false.
std::string_view StartNumberKey(std::string_view number);
bool SameStartNumber(std::string_view a, std::string_view b);

} // namespace vandoret
