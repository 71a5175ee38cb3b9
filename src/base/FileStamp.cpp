#include "base/FileStamp.h"

#include "base/FilePaths.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <system_error>

namespace vandoret {

namespace {

std::int32_t PackDosStamp(std::filesystem::file_time_type written) {
    const auto sys = std::chrono::file_clock::to_sys(written);
    const std::time_t t =
        std::chrono::system_clock::to_time_t(std::chrono::time_point_cast<std::chrono::system_clock::duration>(sys));
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &t) != 0) {
        return -1;
    }
#else
    if (localtime_r(&t, &local) == nullptr) {
        return -1;
    }
#endif
    // A DOS date-time holds the years 1980 to 2107. A file stamped outside them (a 1970 stamp from
    // an archive, a clock gone wrong) still exists and must be loaded: it gets the nearest end of
    // the range, never the -1 of a missing file.
    if (local.tm_year < 80) {
        local = std::tm{};
        local.tm_year = 80;
        local.tm_mday = 1;
    } else if (local.tm_year > 207) {
        local = std::tm{};
        local.tm_year = 207;
        local.tm_mon = 11;
        local.tm_mday = 31;
        local.tm_hour = 23;
        local.tm_min = 59;
        local.tm_sec = 58;
    }
    const auto date =
        static_cast<std::uint32_t>(((local.tm_year - 80) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
    const auto time = static_cast<std::uint32_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
    return static_cast<std::int32_t>((date << 16) | time);
}

} // namespace

std::int32_t DosFileStamp(const std::string& path) {
    std::error_code ec;
    // The name is UTF-8 like every file name of the program: on Windows a plain narrow path would
    // be read in the ANSI code page, and a name with an umlaut would always stamp as missing.
    const auto written = std::filesystem::last_write_time(PathFromUtf8(path), ec);
    if (ec) {
        return -1;
    }
    return PackDosStamp(written);
}

FileSignature FileState(const std::string& path) {
    const std::filesystem::path p = PathFromUtf8(path);
    std::error_code ec;
    const auto written = std::filesystem::last_write_time(p, ec);
    if (ec) {
        return {};
    }
    FileSignature state;
    state.stamp = PackDosStamp(written);
    if (state.stamp == -1) {
        return {};
    }
    state.writeTime = static_cast<std::int64_t>(written.time_since_epoch().count());
    const std::uintmax_t size = std::filesystem::file_size(p, ec);
    state.size = ec ? 0 : static_cast<std::uint64_t>(size); // a folder has no size: its time tells
    return state;
}

} // namespace vandoret
