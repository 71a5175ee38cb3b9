// The journal on the disk: one file per day and program title, "<title>-<yyyy-mm-dd>.txt" in the
// folder "Kronvale" of the user's data folder ($XDG_DATA_HOME, else ~/.local/share; on Windows
// the local application data folder). The only part of the journal that touches a file.
//
// Append opens the day's file for appending (and keeps it open), writes the text and returns
// only after fsync / FlushFileBuffers has put it on the disk. Any failure closes the file and
// returns false; the next Append opens it again. The folder is created when missing. A file that
// does not end in a line end (a crash tore its last line) gets one before the first text.
//
// ReadAll reads every file of the title; one that cannot be read is left as it is, never written
// to: that day's lines then go to "<title>-<yyyy-mm-dd>-2.txt" (or -3, ...).
#pragma once

#include <cstdint>
#include <set>
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
    std::vector<JournalFileText> ReadAll() override;

    // The file of a day, e.g. ".../Kronvale/Vandoret-2024-05-11.txt" (another one when that file
    // could not be read).
    std::string FileName(const std::string& day) const;
    // The user's journal folder as described above; empty when no such folder is known.
    static std::string DefaultFolder();

private:
    void CloseFile();

    std::string folder_;
    std::string title_;
    std::string openDay_;
    std::set<std::string> unreadable_; // file names never to write to
    std::intptr_t file_ = -1;          // a descriptor, or a HANDLE on Windows; -1: none open
};

// The local date and time of the system clock.
class SystemJournalClock : public JournalClock {
public:
    JournalStamp Now() override;
};

} // namespace vandoret
