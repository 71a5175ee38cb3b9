// The modification stamp the start list watch compares: a file's last-write time in local time as
// a DOS date-time (two-second resolution), -1 when the file does not exist or cannot be read.
// Two writes within the same two-second slot give the same stamp. A last-write time before 1980 or
// after 2107 reads as the first or last stamp a DOS date-time holds.
#pragma once

#include <cstdint>
#include <string>

namespace vandoret {

std::int32_t DosFileStamp(const std::string& path);

} // namespace vandoret
