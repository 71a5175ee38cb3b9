#include "ui/ShellVerb.h"

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>

namespace vandoret::ui {
namespace {

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) {
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    }
    return out;
}

} // namespace

bool WindowsShellVerb(const std::string& verb, const std::string& target) {
    // "open" restores the window it shows (show command 9), as the contact page asks.
    const int show = verb == "open" ? SW_RESTORE : SW_SHOWNORMAL;
    const HINSTANCE result = ShellExecuteW(nullptr, Wide(verb).c_str(), Wide(target).c_str(), nullptr, nullptr, show);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

} // namespace vandoret::ui

#else

namespace vandoret::ui {

bool WindowsShellVerb(const std::string&, const std::string&) {
    return false;
}

} // namespace vandoret::ui

#endif
