// Decimal numbers in text, read as the platform's StrToFloat reads them.
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

} // namespace vandoret
