// The separators of a Windows locale, read with GetLocaleInfoEx.
#include "base/RegionalSettings.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace vandoret {
namespace {

// One text of the locale; empty when the platform cannot give it.
std::u16string LocaleText(const wchar_t* name, LCTYPE type) {
    wchar_t buffer[96] = {};
    const int length = GetLocaleInfoEx(name, type, buffer, static_cast<int>(std::size(buffer)));
    if (length <= 1) {
        return {};
    }
    return std::u16string(buffer, buffer + length - 1); // without the closing zero
}

} // namespace

Locale WindowsRegionalLocale(const std::string& localeName) {
    std::wstring name(localeName.begin(), localeName.end()); // locale names are ASCII
    const wchar_t* which = localeName.empty() ? LOCALE_NAME_USER_DEFAULT : name.c_str();
    return LocaleFromRegionalTexts(LocaleText(which, LOCALE_SDECIMAL), LocaleText(which, LOCALE_STIMEFORMAT),
                                   LocaleText(which, LOCALE_STIME));
}

} // namespace vandoret
