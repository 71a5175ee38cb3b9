// File names given as UTF-8 text, on every platform.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vandoret {

// The path of a UTF-8 file name, on every platform. A std::string name given to a path or a file
// stream directly is taken in the ANSI code page on Windows, so build paths through here. A name
// that is not valid UTF-8 gives the empty path there, which opens nothing.
std::filesystem::path PathFromUtf8(std::string_view name);
std::string PathToUtf8(const std::filesystem::path& path);

} // namespace vandoret
