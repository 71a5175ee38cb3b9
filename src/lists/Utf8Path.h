// File names inside the program are UTF-8 text. A std::filesystem::path (or a file stream) built
// from a plain std::string takes the bytes in the system's ANSI code page on Windows, which turns
// "Geländeritt.txt" into a different name there; build paths from names through Utf8Path instead.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vandoret {

// The path of a UTF-8 file name. A name that is not valid UTF-8 (which Windows cannot take) gives
// the empty path, so opening it fails like opening a missing file.
inline std::filesystem::path Utf8Path(std::string_view name) {
    try {
        return std::filesystem::path(std::u8string(name.begin(), name.end()));
    } catch (...) {
        return {};
    }
}

// The UTF-8 text of a path.
inline std::string Utf8Name(const std::filesystem::path& path) {
    const std::u8string name = path.u8string();
    return std::string(name.begin(), name.end());
}

} // namespace vandoret
