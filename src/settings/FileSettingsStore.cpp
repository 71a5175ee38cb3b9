// The settings file in the user's configuration folder.
#include "settings/FileSettingsStore.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace vandoret {
namespace {

constexpr std::uintmax_t kMaxFileSize = 1u << 20; // a settings file is a few hundred bytes

std::string FileNameFor(const std::string& title) {
    std::string name;
    for (char c : title) {
        // A title is a program file name; keep anything that could leave the folder out of it.
        name += (c == '/' || c == '\\' || c == '\0' || c == ':') ? '_' : c;
    }
    if (name.empty() || name == "." || name == "..") {
        name = "_" + name;
    }
    return name + ".reg";
}

#ifndef _WIN32
bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}
#endif

} // namespace

FileSettingsStore::FileSettingsStore(const std::string& applicationTitle)
    : FileSettingsStore(DefaultFolder(), applicationTitle) {}

FileSettingsStore::FileSettingsStore(std::filesystem::path folder, const std::string& applicationTitle)
    : folder_(std::move(folder)), key_("HKEY_CURRENT_USER\\Software\\Kronvale\\" + applicationTitle) {
    if (!folder_.empty()) {
        path_ = folder_ / FileNameFor(applicationTitle);
    }
}

std::filesystem::path FileSettingsStore::DefaultFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    // A relative XDG_CONFIG_HOME is invalid and ignored.
    if (xdg != nullptr && *xdg != '\0' && std::filesystem::path(xdg).is_absolute()) {
        return std::filesystem::path(xdg) / "Kronvale";
    }
    const char* home = std::getenv("HOME");
#ifdef _WIN32
    if (home == nullptr || *home == '\0') {
        home = std::getenv("USERPROFILE");
    }
#endif
    if (home != nullptr && *home != '\0') {
        return std::filesystem::path(home) / ".config" / "Kronvale";
    }
    return {};
}

std::optional<RegFile> FileSettingsStore::Load() const {
    if (path_.empty()) {
        return std::nullopt;
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path_, ec) || std::filesystem::file_size(path_, ec) > kMaxFileSize || ec) {
        return std::nullopt;
    }
    std::ifstream in(path_, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad() || text.size() > kMaxFileSize) {
        return std::nullopt;
    }
    return ParseRegFile(text);
}

bool FileSettingsStore::OpenForRead() {
    mode_ = Mode::Closed;
    std::optional<RegFile> file = Load();
    if (!file) {
        return false;
    }
    file_ = std::move(*file);
    mode_ = Mode::Reading;
    return true;
}

bool FileSettingsStore::OpenForWrite() {
    mode_ = Mode::Closed;
    if (path_.empty()) {
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    if (ec || !std::filesystem::is_directory(folder_, ec)) {
        return false;
    }
    // Values of the key that the program does not write stay, as they would in the registry.
    std::optional<RegFile> existing = Load();
    file_ = existing ? std::move(*existing) : RegFile{};
    file_.key = key_;
    mode_ = Mode::Writing;
    return true;
}

std::optional<RegValue> FileSettingsStore::Read(const std::string& name) {
    if (mode_ == Mode::Closed) {
        return std::nullopt;
    }
    const RegValue* value = file_.Find(name);
    if (value == nullptr) {
        return std::nullopt;
    }
    return *value;
}

void FileSettingsStore::Write(const std::string& name, const RegValue& value) {
    if (mode_ == Mode::Writing) {
        file_.Set(name, value);
    }
}

void FileSettingsStore::Close() {
    if (mode_ == Mode::Writing) {
        Store(FormatRegFile(file_));
    }
    mode_ = Mode::Closed;
    file_ = RegFile{};
}

bool FileSettingsStore::Store(const std::string& text) const {
#ifndef _WIN32
    std::string tempName(1, '.');
    tempName += path_.filename().string();
    tempName += ".XXXXXX";
    std::string temp = (folder_ / tempName).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        return false;
    }
    const bool written = WriteAll(fd, text) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temp.c_str(), path_.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable.
    const int dir = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
#else
    std::error_code ec;
    std::random_device random;
    const std::filesystem::path temp = folder_ / (path_.filename().string() + "." + std::to_string(random()) + ".tmp");
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.flush();
        if (!out) {
            out.close();
            std::filesystem::remove(temp, ec);
            return false;
        }
    }
    std::filesystem::rename(temp, path_, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
#endif
}

} // namespace vandoret
