#include "lists/TextFile.h"

#include <fstream>
#include <system_error>

namespace vandoret {

std::filesystem::path PathFromUtf8(std::string_view name) {
    std::u8string text(name.size(), u8'\0');
    std::copy(name.begin(), name.end(), reinterpret_cast<char*>(text.data()));
    return std::filesystem::path(text);
}

std::string PathToUtf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

ReadOutcome ReadWholeFile(const std::string& name, std::string& bytes) {
    bytes.clear();
    if (name.empty()) {
        return ReadOutcome::NotOpened;
    }
    const std::filesystem::path path = PathFromUtf8(name);
    std::error_code ec;
    // Only plain files: a folder opens for reading on some systems and then reads as nothing,
    // and a device or a pipe may never end.
    if (!std::filesystem::is_regular_file(path, ec)) {
        return ReadOutcome::NotOpened;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) {
        return ReadOutcome::NotOpened;
    }
    // Read the size the file has now plus one byte (to see it has grown), then in large chunks.
    std::size_t chunk = std::size_t{1} << 16;
    const auto size = std::filesystem::file_size(path, ec);
    if (!ec && size < (std::uintmax_t{1} << 40)) {
        chunk = static_cast<std::size_t>(size) + 1;
    }
    for (;;) {
        const std::size_t old = bytes.size();
        bytes.resize(old + chunk);
        in.read(bytes.data() + old, static_cast<std::streamsize>(chunk));
        const auto got = static_cast<std::size_t>(in.gcount());
        bytes.resize(old + got);
        if (in.bad()) {
            return ReadOutcome::ReadFailed;
        }
        if (got < chunk) {
            return in.eof() ? ReadOutcome::Ok : ReadOutcome::ReadFailed;
        }
        chunk = std::size_t{1} << 20;
    }
}

bool WriteWholeFile(const std::string& name, std::string_view bytes) {
    if (name.empty()) {
        return false;
    }
    std::ofstream out(PathFromUtf8(name), std::ios::binary | std::ios::trunc);
    if (!out.is_open()) {
        return false;
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    return static_cast<bool>(out);
}

} // namespace vandoret
