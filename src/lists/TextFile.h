// Whole-file reading and writing for the list files, with names given as UTF-8 text.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "base/FilePaths.h"

namespace vandoret {

enum class ReadOutcome {
    Ok,         // the whole file is in bytes
    NotOpened,  // missing, not a plain file (a folder, a device), no access: bytes is empty
    ReadFailed, // opened, but reading stopped with an error: bytes holds what was read before
};

ReadOutcome ReadWholeFile(const std::string& name, std::string& bytes);

// Creates (or replaces) the file and writes bytes. False when it could not be created or
// written completely; what was written stays.
bool WriteWholeFile(const std::string& name, std::string_view bytes);

// Replaces the file as a whole: bytes go to a new temporary file beside it, which is flushed to
// the disk and then renamed over the file, so the file is either the old one or the new one,
// whatever happens meanwhile (a full disk, a crash). False when that failed; the old file is then
// untouched and no temporary file is left. A name that is a symbolic link replaces the file it
// points to. Only where the folder refuses the temporary file for want of permission (EACCES,
// EPERM; ERROR_ACCESS_DENIED on Windows: a folder the user may not write into, holding a file he
// may) is the file written in place as WriteWholeFile does. Any other reason (no space, no inode
// left, a quota, a read-only disk) leaves the old file whole and gives false: written in place,
// such a write would cut it.
bool ReplaceWholeFile(const std::string& name, std::string_view bytes);

// A fault for the tests of the callers of ReplaceWholeFile: one of its steps fails with the
// given errno value (EACCES, ENOSPC, EIO, ...), as a full disk or a refused folder would make it.
struct FileFault {
    enum class Step { CreateTemporary, Write, Flush, Rename };
    Step step = Step::CreateTemporary;
    int error = 0;
    std::size_t writtenBefore = 0; // Step::Write: the bytes that reach the file before it fails
};
// While set, every ReplaceWholeFile of the process meets the fault; nullopt clears it. Tests only.
void SetFileFaultForTests(std::optional<FileFault> fault);

} // namespace vandoret
