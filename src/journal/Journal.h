// The journal: every change of the start times and the stop times list, on the disk before the
// handler that made it returns, so that a crash loses no recorded time.
//
// What it promises:
//  - One event per line, plain UTF-8, fields separated by TAB, the local date and time to the
//    millisecond first: "2024-05-11 09:31:02.345<TAB>Ziel<TAB>Stoppzeiten<TAB>7<TAB>7.<TAB>...".
//    A cell's backslash, TAB, CR and LF are written as \\, \t, \r and \n.
//  - A start, a finish or a committed cell edit writes the whole row it changed; a deleted line,
//    the cleared lists and an opened protocol file say what happened. Whatever else differs from
//    the journal's picture of the two lists at that moment (points the results wrote, a "!" mark)
//    follows in "Zeile" and "Zeilenzahl" lines of the same write, so replaying the lines gives
//    the lists exactly: cells, row order and row count.
//  - A row that holds a hand-entered time is marked: its row lines end in one more field "H".
//    A hand entry or correction is its own line, "Handzeit" or "Korrektur", with the row's new
//    cells, then "alt", the old time and number (empty for a new entry), "Grund" and the reason;
//    its stamp is the moment of the entry. Replaying it gives the row with its mark.
//  - Every event is one Append of the writer, which returns only once the text is on the disk.
//    The time of a registration is taken before, so writing never changes it. A failing Append
//    never throws and never stops the caller: the journal reports "not writing" through
//    onWriting, tries again with the next event and then writes the full state ("Stand") so the
//    file is whole again; a newline first ends a line the failed write may have torn.
//  - A session begins with "Sitzungsbeginn" and ends, at a clean shut-down, with "Sitzungsende".
//    A new day goes to a new file, which begins with "Sitzungsbeginn ... Fortsetzung" and the
//    full state, so each day's file replays on its own.
//  - Replay reads the last session of a text; a torn last line (no line end) is skipped, and a
//    "Stand" whose rows did not all arrive is ignored, and so is a row number or count above
//    100,000 (no competition comes near it; a damaged line may).
//
// The journal touches no file itself: a JournalWriter does (journal/FileJournalWriter), and a
// JournalClock gives the local date and time. Tests use fakes of both. Used on one thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "results/SortGrid.h"

namespace vandoret {

// A local date and time to the millisecond.
struct JournalStamp {
    int year = 2000;
    int month = 1;
    int day = 1;
    std::int64_t millisecond = 0; // of the day
};
// "2024-05-11 09:31:02.345" and "2024-05-11".
std::string FormatJournalStamp(const JournalStamp& stamp);
std::string JournalDay(const JournalStamp& stamp);

class JournalClock {
public:
    virtual ~JournalClock() = default;
    virtual JournalStamp Now() = 0;
};

class JournalWriter {
public:
    virtual ~JournalWriter() = default;
    // Appends whole lines to the journal file of `day` ("2024-05-11") and returns once they are
    // on the disk; false when that failed (part of the text may have been written). Never throws.
    virtual bool Append(const std::string& day, const std::string& lines) = 0;
    // The whole text of the newest journal file; empty when there is none. Never throws.
    virtual std::string ReadNewest() = 0;
};

// The data rows (row 1 on) of a list, each with the list's number of cells.
using JournalRows = std::vector<std::vector<std::string>>;

// The two lists the journal keeps.
enum class JournalList { StartTimes, StopTimes };
inline constexpr int kJournalColumns[2] = {3, 6};

// The state a journal text gives, line by line. A "Sitzungsbeginn" starts a new session with both
// lists empty (one blank row each, as a list never has fewer).
struct JournalSession {
    bool found = false; // a "Sitzungsbeginn" line was read
    bool ended = false; // and a "Sitzungsende" line after it
    JournalRows lists[2];
    // The marks of the rows (hand-entered times), one per row of lists[l].
    std::vector<bool> marks[2];
    const JournalRows& startTimes() const { return lists[0]; }
    const JournalRows& stopTimes() const { return lists[1]; }
    // True when neither list holds a non-blank cell.
    bool ListsEmpty() const;
};

class JournalReplay {
public:
    JournalReplay();
    // One whole line, without its line end. Lines that make no sense are skipped.
    void Feed(std::string_view line);
    JournalSession session;

private:
    void Clear();
    void SetRow(JournalRows& rows, std::vector<bool>& marks, int list, int row,
                const std::vector<std::string_view>& fields, std::size_t first, bool marked);
    // A "Stand" being read: rows still to come, and the lists they build.
    std::size_t standRowsLeft_ = 0;
    bool standOpen_ = false;
    JournalRows stand_[2];
    std::size_t standCounts_[2] = {0, 0};
    std::vector<bool> standMarks_[2];
};

// The last session of a journal text; lines without a line end (torn) are skipped.
JournalSession ReplayLastSession(std::string_view text);

// Why a row was written.
enum class JournalEvent { Start, Finish, Edit };

class Journal {
public:
    // The two lists are read, never changed; all four must outlive the journal. `title` is the
    // program's title, named in each session's first line.
    Journal(JournalWriter& writer, JournalClock& clock, const TSortGrid& startTimes, const TSortGrid& stopTimes,
            std::string title);

    // Called after every write: true when it reached the disk.
    std::function<void(bool writing)> onWriting;

    // "Sitzungsbeginn <title>"; with `restored`, "Wiederhergestellt" and the full state follow.
    // The first event begins the session on its own when this was not called before.
    void BeginSession(bool restored = false);
    bool SessionBegun() const { return begun_; }
    void EndSession();

    // A row of a list was written by a start, a finish or a committed edit. An edit that left the
    // row as the journal has it writes only what else changed, or nothing.
    void RowChanged(JournalEvent event, JournalList list, int row);
    void RowDeleted(JournalList list, int row);
    void ListsCleared();
    void ProtocolOpened(const std::string& fileName);
    // A change of the contact lines: the moment the waiting thread took, and what it saw.
    void ContactLines(std::int64_t millisecond, const std::string& description);
    // A time entered by hand into `row` (empty old values) or a correction of it: the row as it
    // now is, marked, with the old time and number and the reason.
    void HandTime(JournalList list, int row, const std::string& oldTime, const std::string& oldNumber,
                  const std::string& reason);

private:
    // Writes the event lines (without their stamp) and what else changed, in one Append.
    void Write(const std::vector<std::string>& events, bool fullState = false);
    void AddLine(std::string& text, const std::string& stamp, const std::string& line);
    void AddDifferences(std::string& text, const std::string& stamp);
    void AddState(std::string& text, const std::string& stamp);
    const TSortGrid& Grid(int list) const { return list == 0 ? startTimes_ : stopTimes_; }

    JournalWriter& writer_;
    JournalClock& clock_;
    const TSortGrid& startTimes_;
    const TSortGrid& stopTimes_;
    JournalReplay mirror_;    // the lists as the lines written so far give them
    std::string title_;
    std::string day_;         // day of the file last written
    bool begun_ = false;      // the session's first line is on the disk
    bool resync_ = false;     // write the full state with the next event
    bool torn_ = false;       // the last write failed: end its line first
};

// The description of a contact line change: "DSR 1 CTS 0 RLSD 0<TAB>Start gesperrt<TAB>Ziel frei".
std::string ContactLinesText(bool dsr, bool cts, bool rlsd, bool startFree, bool finishFree);

// Line texts shared by the journal and its replay.
namespace journal_text {
std::string EscapeCell(std::string_view cell);
std::string UnescapeCell(std::string_view field);
std::string_view ListName(int list);
// "<list name> TAB <row> TAB <cells...>" of a grid row, with "TAB H" when the row is marked and
// withMark is set.
std::string RowFields(const TSortGrid& grid, int list, int row, bool withMark = true);
// The number of fields after the row number that hold more than the cells in a hand line.
inline constexpr std::size_t kHandFields = 5; // "alt", old time, old number, "Grund", reason
} // namespace journal_text

} // namespace vandoret
