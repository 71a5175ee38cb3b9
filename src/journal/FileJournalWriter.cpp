// The journal's files: append and flush to the disk, find and read the newest one.
#include "journal/FileJournalWriter.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace vandoret {
namespace {

namespace fs = std::filesystem;

fs::path PathOf(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// The day and the number of "<title>-yyyy-mm-dd.txt" (1) or "<title>-yyyy-mm-dd-<n>.txt" of this
// title; number 0 for another name.
std::pair<std::string, int> JournalNameOf(const std::string& name, const std::string& title) {
    constexpr std::string_view pattern = "-dddd-dd-dd";
    if (name.size() < title.size() + pattern.size() + 4 || name.compare(0, title.size(), title) != 0 ||
        !name.ends_with(".txt")) {
        return {{}, 0};
    }
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = name[title.size() + i];
        if (pattern[i] == 'd' ? (c < '0' || c > '9') : c != pattern[i]) {
            return {{}, 0};
        }
    }
    const std::string day = name.substr(title.size() + 1, 10);
    const std::string rest =
        name.substr(title.size() + pattern.size(), name.size() - 4 - title.size() - pattern.size());
    if (rest.empty()) {
        return {day, 1};
    }
    if (rest.size() < 2 || rest.size() > 4 || rest[0] != '-' || rest[1] == '0' ||
        rest.find_first_not_of("0123456789", 1) != std::string::npos) {
        return {{}, 0};
    }
    return {day, std::stoi(rest.substr(1))};
}

// A file that does not end in a line end.
bool EndsTorn(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in || !in.seekg(-1, std::ios::end)) {
        return false; // empty or unreadable: nothing to end
    }
    char last = '\n';
    return in.get(last) && last != '\n';
}

// Reads a whole file; the reason when that fails.
std::string ReadWhole(const fs::path& path, std::string& error) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        error = "ein Ordner";
        return {};
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = std::error_code(errno, std::generic_category()).message();
        if (error.empty() || errno == 0) {
            error = "nicht zu öffnen";
        }
        return {};
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = "Lesefehler";
        return {};
    }
    return text;
}

#ifdef _WIN32

std::intptr_t OpenForAppend(const fs::path& path) {
    const HANDLE h = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<std::intptr_t>(h);
}

bool WriteAndFlush(std::intptr_t file, const std::string& text) {
    const HANDLE h = reinterpret_cast<HANDLE>(file);
    std::size_t done = 0;
    while (done < text.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1u << 20));
        if (!WriteFile(h, text.data() + done, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        done += written;
    }
    return FlushFileBuffers(h) != 0;
}

void CloseHandleOf(std::intptr_t file) {
    CloseHandle(reinterpret_cast<HANDLE>(file));
}

// A new file's name survives a power cut once the file's own data does (NTFS journals it).
void FlushFolder(const fs::path&) {}

#else

std::intptr_t OpenForAppend(const fs::path& path) {
    return ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
}

bool WriteAndFlush(std::intptr_t file, const std::string& text) {
    const int fd = static_cast<int>(file);
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    while (::fsync(fd) != 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

void CloseHandleOf(std::intptr_t file) {
    ::close(static_cast<int>(file));
}

// The entry of a newly created file is on the disk only once its folder is flushed too.
void FlushFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

#endif

} // namespace

FileJournalWriter::FileJournalWriter(std::string folder, std::string title)
    : folder_(std::move(folder)), title_(std::move(title)) {}

FileJournalWriter::~FileJournalWriter() {
    CloseFile();
}

void FileJournalWriter::CloseFile() {
    if (file_ != -1) {
        CloseHandleOf(file_);
        file_ = -1;
    }
    openDay_.clear();
}

std::string FileJournalWriter::FileName(const std::string& day) const {
    for (int n = 1;; ++n) {
        const std::string name = Utf8Of(
            PathOf(folder_) / PathOf(title_ + '-' + day + (n == 1 ? std::string() : '-' + std::to_string(n)) + ".txt"));
        if (unreadable_.count(name) == 0) {
            return name;
        }
    }
}

bool FileJournalWriter::Append(const std::string& day, const std::string& lines) {
    if (folder_.empty()) {
        return false;
    }
    try {
        if (file_ == -1 || day != openDay_) {
            CloseFile();
            std::error_code ec;
            const fs::path folder = PathOf(folder_);
            fs::create_directories(folder, ec);
            const fs::path path = PathOf(FileName(day));
            const bool existed = fs::exists(path, ec);
            const bool torn = existed && EndsTorn(path);
            file_ = OpenForAppend(path);
            if (file_ == -1) {
                return false;
            }
            if (!existed) {
                FlushFolder(folder);
            }
            openDay_ = day;
            if (torn && !WriteAndFlush(file_, "\n")) {
                CloseFile();
                return false;
            }
        }
        if (!WriteAndFlush(file_, lines)) {
            CloseFile(); // opened again with the next event
            return false;
        }
        return true;
    } catch (...) {
        CloseFile();
        return false;
    }
}

std::vector<JournalFileText> FileJournalWriter::ReadAll() {
    std::vector<JournalFileText> files;
    try {
        std::error_code ec;
        std::vector<std::pair<std::pair<std::string, int>, fs::path>> found;
        for (fs::directory_iterator it(PathOf(folder_), ec), end; !ec && it != end; it.increment(ec)) {
            auto key = JournalNameOf(Utf8Of(it->path().filename()), title_);
            if (key.second > 0) {
                found.emplace_back(std::move(key), it->path());
            }
        }
        std::sort(found.begin(), found.end());
        for (const auto& [key, path] : found) {
            JournalFileText file;
            file.day = key.first;
            file.name = Utf8Of(path);
            errno = 0;
            file.text = ReadWhole(path, file.error);
            if (!file.error.empty()) {
                unreadable_.insert(file.name);
            }
            files.push_back(std::move(file));
        }
    } catch (...) {
        // What was read so far is all there is.
    }
    return files;
}

std::string FileJournalWriter::DefaultFolder() {
#ifdef _WIN32
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    if (local == nullptr || *local == 0) {
        return {};
    }
    return Utf8Of(fs::path(local) / "Kronvale");
#else
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/') { // a relative XDG_DATA_HOME is invalid and ignored
        return std::string(xdg) + "/Kronvale";
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == 0) {
        return {};
    }
    return std::string(home) + "/.local/share/Kronvale";
#endif
}

JournalStamp SystemJournalClock::Now() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    JournalStamp stamp;
    stamp.year = local.tm_year + 1900;
    stamp.month = local.tm_mon + 1;
    stamp.day = local.tm_mday;
    stamp.millisecond = ((local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec) * 1000LL + (ms < 0 ? 0 : ms);
    return stamp;
}

} // namespace vandoret
