// The journal on the disk: one file per day and program title, "<title>-<yyyy-mm-dd>.txt" in the
// folder "Kronvale" of the user's data folder ($XDG_DATA_HOME, else ~/.local/share; on Windows
// the local application data folder). The only part of the journal that touches a file.
//
// Append opens the day's file for appending (and keeps it open), writes the text and returns
// only after fsync / FlushFileBuffers has put it on the disk. Any failure closes the file and
// returns false; the next Append opens it again. The folder is created when missing.
#pragma once

#include <cstdint>
#include <string>

#include "journal/Journal.h"

namespace vandoret {

class FileJournalWriter : public JournalWriter {
public:
    // `folder` (UTF-8) holds the files; empty: nothing can be written or read.
    FileJournalWriter(std::string folder, std::string title);
    ~FileJournalWriter() override;
    FileJournalWriter(const FileJournalWriter&) = delete;
    FileJournalWriter& operator=(const FileJournalWriter&) = delete;

    bool Append(const std::string& day, const std::string& lines) override;
    std::string ReadNewest() override;

    // The file of a day, e.g. ".../Kronvale/Vandoret-2024-05-11.txt".
    std::string FileName(const std::string& day) const;
    // The user's journal folder as described above; empty when no such folder is known.
    static std::string DefaultFolder();

private:
    void CloseFile();

    std::string folder_;
    std::string title_;
    std::string openDay_;
    std::intptr_t file_ = -1; // a descriptor, or a HANDLE on Windows; -1: none open
};

// The local date and time of the system clock.
class SystemJournalClock : public JournalClock {
public:
    JournalStamp Now() override;
};

} // namespace vandoret
