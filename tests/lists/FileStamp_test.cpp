// The DOS date-time stamp the start list watch compares.
#include "base/FileStamp.h"

#include <chrono>
#include <ctime>
#include <filesystem>

#include "ListsTestSupport.h"
#include "lists/TextFile.h"

namespace vandoret::testing {
namespace {

namespace fs = std::filesystem;

// Sets the file's last-write time to the given local time.
void SetLocalWriteTime(const std::string& utf8Name, int year, int month, int day, int hour, int minute, int second) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    const auto sys = std::chrono::system_clock::from_time_t(std::mktime(&local));
    fs::last_write_time(PathFromUtf8(utf8Name), std::chrono::file_clock::from_sys(sys));
}

std::int32_t Packed(int year, int month, int day, int hour, int minute, int second) {
    const auto date = static_cast<std::uint32_t>(((year - 1980) << 9) | (month << 5) | day);
    const auto time = static_cast<std::uint32_t>((hour << 11) | (minute << 5) | (second / 2));
    return static_cast<std::int32_t>((date << 16) | time);
}

TEST(FileStamp, LocalTimeIsPackedAsDosDateTime) {
    TempFolder dir;
    const std::string file = dir.File("Starterliste.txt");
    WriteBytes(file, "x");
    SetLocalWriteTime(file, 2026, 12, 8, 10, 31, 15);
    EXPECT_EQ(DosFileStamp(file), Packed(2026, 12, 8, 10, 31, 15));
    SetLocalWriteTime(file, 2026, 12, 8, 10, 31, 14); // the same two-second slot
    EXPECT_EQ(DosFileStamp(file), Packed(2026, 12, 8, 10, 31, 15));
}

TEST(FileStamp, MissingFileIsNone) {
    TempFolder dir;
    EXPECT_EQ(DosFileStamp(dir.File("gone.txt")), -1);
    EXPECT_EQ(DosFileStamp(""), -1);
}

// File names are UTF-8 throughout: the stamp finds the same file the reader reads.
TEST(FileStamp, NameWithUmlautsIsFound) {
    TempFolder dir;
    const std::string file = PathToUtf8(dir.path() / PathFromUtf8("Starterliste Müller-Größe.txt"));
    std::ofstream(PathFromUtf8(file), std::ios::binary) << "Startzeit\n";
    SetLocalWriteTime(file, 2027, 1, 2, 3, 4, 6);
    EXPECT_EQ(DosFileStamp(file), Packed(2027, 1, 2, 3, 4, 6));
}

} // namespace
} // namespace vandoret::testing
