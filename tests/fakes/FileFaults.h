// Faults of the whole-file replacement for one test, and the cases the savers must survive.
// While a ScopedFileFault lives, every ReplaceWholeFile of the process meets its fault.
#pragma once

#include <cerrno>
#include <optional>
#include <string>

#include "lists/TextFile.h"

namespace vandoret::testing {

class ScopedFileFault {
public:
    explicit ScopedFileFault(const FileFault& fault) { SetFileFaultForTests(fault); }
    ~ScopedFileFault() { SetFileFaultForTests(std::nullopt); }
    ScopedFileFault(const ScopedFileFault&) = delete;
    ScopedFileFault& operator=(const ScopedFileFault&) = delete;
};

struct FileFaultCase {
    const char* what;
    FileFault fault;
};

using Step = FileFault::Step;

// Faults after which the old file must be as it was, no temporary file left and the save failed.
inline const FileFaultCase kFaultsThatKeepTheOldFile[] = {
    {"no inode left for the temporary file", {Step::CreateTemporary, ENOSPC}},
#ifdef EDQUOT
    {"quota reached at the temporary file", {Step::CreateTemporary, EDQUOT}},
#endif
    {"read-only disk", {Step::CreateTemporary, EROFS}},
    {"I/O error creating the temporary file", {Step::CreateTemporary, EIO}},
    {"disk full after one block", {Step::Write, ENOSPC, 4096}},
    {"disk full at once", {Step::Write, ENOSPC, 0}},
    {"I/O error while writing", {Step::Write, EIO, 100}},
    {"flush to the disk fails", {Step::Flush, EIO}},
    {"rename refused", {Step::Rename, EACCES}},
    {"rename fails", {Step::Rename, EIO}},
};

// Refusals for want of permission: the file is written in place instead.
inline const FileFaultCase kPermissionRefusals[] = {
    {"folder not writable (EACCES)", {Step::CreateTemporary, EACCES}},
#ifndef _WIN32 // the Windows C runtime reports a refused file as EACCES only
    {"folder not writable (EPERM)", {Step::CreateTemporary, EPERM}},
#endif
};

} // namespace vandoret::testing
