#include "base/FilePaths.h"

#include <algorithm>

namespace vandoret {

std::filesystem::path PathFromUtf8(std::string_view name) {
    std::u8string text(name.size(), u8'\0');
    std::copy(name.begin(), name.end(), reinterpret_cast<char*>(text.data()));
    try {
        return std::filesystem::path(text);
    } catch (...) {
        // Windows converts the name to UTF-16 and refuses bytes that are not UTF-8.
        return {};
    }
}

std::string PathToUtf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

} // namespace vandoret
