// Whole-file reading and writing for the list files, with names given as UTF-8 text.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vandoret {

// The path of a UTF-8 file name, on every platform.
std::filesystem::path PathFromUtf8(std::string_view name);
std::string PathToUtf8(const std::filesystem::path& path);

enum class ReadOutcome {
    Ok,         // the whole file is in bytes
    NotOpened,  // missing, not a plain file (a folder, a device), no access: bytes is empty
    ReadFailed, // opened, but reading stopped with an error: bytes holds what was read before
};

ReadOutcome ReadWholeFile(const std::string& name, std::string& bytes);

// Creates (or replaces) the file and writes bytes. False when it could not be created or
// written completely; what was written stays.
bool WriteWholeFile(const std::string& name, std::string_view bytes);

} // namespace vandoret
