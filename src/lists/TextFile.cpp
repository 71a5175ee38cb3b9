#include "lists/TextFile.h"

#include <fstream>
#include <random>
#include <system_error>

#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

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

namespace {

// A name for the temporary file beside target: ".<name>.<random>.tmp".
std::filesystem::path TemporaryBeside(const std::filesystem::path& target) {
    static std::mt19937_64 random{std::random_device{}()};
    std::filesystem::path name = target.filename();
    name += "." + std::to_string(random() % 1'000'000'000) + ".tmp";
    return target.parent_path() / (std::filesystem::path(".") += name);
}

enum class TempOutcome { Written, NotCreated, Failed };

// Creates a new file of that name (never an existing one) and writes bytes to the disk.
TempOutcome WriteNewFile(const std::filesystem::path& temp, std::string_view bytes) {
#ifndef _WIN32
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return TempOutcome::NotCreated;
    }
    std::size_t done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        ok = n > 0;
        done += ok ? static_cast<std::size_t>(n) : 0;
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    return ok ? TempOutcome::Written : TempOutcome::Failed;
#else
    std::error_code ec;
    if (std::filesystem::exists(temp, ec)) {
        return TempOutcome::NotCreated;
    }
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out.is_open()) {
        return TempOutcome::NotCreated;
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    out.close();
    return out ? TempOutcome::Written : TempOutcome::Failed;
#endif
}

} // namespace

bool ReplaceWholeFile(const std::string& name, std::string_view bytes) {
    if (name.empty()) {
        return false;
    }
    std::filesystem::path target = PathFromUtf8(name);
    if (target.empty()) {
        return false;
    }
    std::error_code ec;
    if (std::filesystem::is_symlink(target, ec)) {
        const std::filesystem::path resolved = std::filesystem::weakly_canonical(target, ec);
        if (!ec) {
            target = resolved;
        }
    }
    if (std::filesystem::is_directory(target, ec)) {
        return false; // a folder of that name is never replaced by a file
    }
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::filesystem::path temp = TemporaryBeside(target);
        switch (WriteNewFile(temp, bytes)) {
        case TempOutcome::Written:
            std::filesystem::rename(temp, target, ec);
            if (ec) {
                std::filesystem::remove(temp, ec);
                return false;
            }
            return true;
        case TempOutcome::Failed:
            std::filesystem::remove(temp, ec);
            return false;
        case TempOutcome::NotCreated:
            if (std::filesystem::exists(temp, ec)) {
                continue; // the name was taken: try another
            }
            return WriteWholeFile(name, bytes);
        }
    }
    return false;
}

} // namespace vandoret
