// The modification stamp the start list watch compares: a file's last-write time in local time as
// a DOS date-time (two-second resolution), -1 when the file does not exist or cannot be read.
// Two writes within the same two-second slot give the same stamp. A last-write time before 1980 or
// after 2107 reads as the first or last stamp a DOS date-time holds.
//
// The watch compares more than that stamp: FileState adds the full-resolution last-write time and
// the size, so a rewrite within one two-second slot is noticed too (on file systems that keep only
// two-second times, such as FAT sticks, by its size).
#pragma once

#include <cstdint>
#include <string>

namespace vandoret {

std::int32_t DosFileStamp(const std::string& path);

// What the start list watch compares of a file. A missing file is {-1, 0, 0}.
struct FileSignature {
    std::int32_t stamp = -1;    // DosFileStamp
    std::int64_t writeTime = 0; // last-write time in the file system's own resolution (clock ticks)
    std::uint64_t size = 0;     // bytes
    bool operator==(const FileSignature&) const = default;
};

FileSignature FileState(const std::string& path);

} // namespace vandoret
