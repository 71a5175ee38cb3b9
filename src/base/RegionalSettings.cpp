// The separators from the regional texts; the Windows reading is in RegionalSettingsWin32.cpp.
#include "base/RegionalSettings.h"

namespace vandoret {
namespace {

bool IsSeparator(char16_t c) {
    return c > u' ' && c < 0x7F && !(c >= u'0' && c <= u'9') && !(c >= u'A' && c <= u'Z') &&
           !(c >= u'a' && c <= u'z') && c != u'\'' && c != u'"';
}

// The text's only character when it is a separator, else 0.
char SingleSeparator(std::u16string_view text) {
    return text.size() == 1 && IsSeparator(text[0]) ? static_cast<char>(text[0]) : '\0';
}

} // namespace

Locale LocaleFromRegionalTexts(std::u16string_view decimal, std::u16string_view timeFormat,
                               std::u16string_view timeSeparator) {
    Locale locale;
    if (const char c = SingleSeparator(decimal)) {
        locale.decimalSeparator = c;
    }
    bool quoted = false;
    for (const char16_t c : timeFormat) {
        if (c == u'\'') {
            quoted = !quoted;
        } else if (!quoted && IsSeparator(c)) {
            locale.timeSeparator = static_cast<char>(c);
            return locale;
        }
    }
    if (const char c = SingleSeparator(timeSeparator)) {
        locale.timeSeparator = c;
    }
    return locale;
}

} // namespace vandoret
