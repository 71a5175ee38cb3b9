// The journal: every change of the start times and the stop times list, on the disk before the
// handler that made it returns, so that a crash loses no recorded time.
//
// What it promises:
//  - One event per line, plain UTF-8, fields separated by TAB, the local date and time to the
//    millisecond first, the line's checksum last: "2024-05-11 09:31:02.345<TAB>Ziel<TAB>
//    Stoppzeiten<TAB>7<TAB>7.<TAB>...<TAB>1c291ca3". The checksum is the CRC-32 of the line up to
//    that last TAB, in 8 lower-case hex digits. A cell's backslash, TAB, CR and LF are written as
//    \\, \t, \r and \n.
//  - A start, a finish or a committed cell edit writes the whole row it changed; a deleted line,
//    the cleared lists and an opened protocol file say what happened. Whatever else differs from
//    the journal's picture of the two lists at that moment (points the results wrote, a "!" mark)
//    follows in "Zeile" and "Zeilenzahl" lines of the same write, so replaying the lines gives
//    the lists exactly: cells, row order and row count.
//  - A row that holds a hand-entered time is marked: its row lines end in one more field "H".
//    A start the program took by itself (the automatic start; the list's row note) ends in
//    "Auto" instead.
//  - A rider's status is a line "Status <number> <word>" ("kein" takes it back); a hold on the
//    course "Anhalten <number> <hh:mm:ss,z> Grund <reason>", its end "Weiter <number>
//    <hh:mm:ss,z>". The full state repeats statuses and holds (read twice, they count once);
//    cleared lists and an opened protocol forget them.
//    A hand entry or correction is its own line, "Handzeit" or "Korrektur", with the row's new
//    cells, then "alt", the old time and number (empty for a new entry), "Grund" and the reason;
//    its stamp is the moment of the entry. Replaying it gives the row with its mark.
//  - The selected start number ("Auswahl"), the countdown switch ("Countdown ein"/"aus") and
//    every saved list ("Gespeichert", the list and the file name) are lines of their own.
//  - A step of the wall clock is a line "Uhrsprung <hh:mm:ss.zzz> <ms>": the clock's reading right
//    after it and how far it jumped. The full state repeats the session's steps; a step read
//    twice counts once. Cleared lists and an opened protocol forget them.
//  - Every event is one Append of the writer, which returns only once the text is on the disk.
//    The time of a registration is taken before, so writing never changes it. A failing Append
//    never throws and never stops the caller: the journal reports "not writing" through
//    onWriting, tries again with the next event (or Retry) and then writes the full state
//    ("Stand") so the file is whole again; a newline first ends a line the failed write may have
//    torn.
//  - A session begins with "Sitzungsbeginn <title> Sitzung <n>" and ends, at a clean shut-down,
//    with "Sitzungsende Sitzung <n>"; n is one above the highest number in any journal file of the
//    title, so the newest session is known whatever the files are called. A forward change of the
//    date goes to the next day's file, which begins with "Sitzungsbeginn <title> Fortsetzung
//    Sitzung <n>" and the full state, so each day's file replays on its own; a date that moves
//    backwards stays in the file.
//  - Replay reads the sessions of a text; a torn last line (no line end) is skipped. In a session
//    whose first line carries a checksum a line without a valid one is damaged: it is skipped and
//    counted, and the rest of the session is used. A "Stand" whose rows did not all arrive gives
//    the rows that did, over the lists as they were; a row number or count above 100,000 is
//    ignored (no competition comes near it; a damaged line may). Journals written before the
//    checksums (no checksum, no session number) read as they always did.
//
// The journal touches no file itself: a JournalWriter does (journal/FileJournalWriter), and a
// JournalClock gives the local date and time. Tests use fakes of both. Used on one thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/RideTime.h"
#include "grid/SortGrid.h"

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

// One journal file as read back.
struct JournalFileText {
    std::string day;   // "2024-05-11", the day its name gives
    std::string name;  // the file's name as the operator would look for it
    std::string text;  // its whole text
    std::string error; // not empty: the file could not be read, and why
};

class JournalWriter {
public:
    virtual ~JournalWriter() = default;
    // Appends whole lines to the journal file of `day` ("2024-05-11") and returns once they are
    // on the disk; false when that failed (part of the text may have been written). Never throws.
    virtual bool Append(const std::string& day, const std::string& lines) = 0;
    // Every journal file of the title, in the order of their days (and of the files of one day),
    // each with its text or why it could not be read. A file that could not be read is never
    // written to again by this writer. Never throws.
    virtual std::vector<JournalFileText> ReadAll() = 0;
};

// The data rows (row 1 on) of a list, each with the list's number of cells.
using JournalRows = std::vector<std::vector<std::string>>;

// The mark of a row: none, a hand-entered time (TSortGrid::RowMarked), or a start the program
// took by itself (TSortGrid::RowNoted of the start times). One per row.
inline constexpr char kRowUnmarked = 0, kRowHand = 1, kRowAutomatic = 2;
using RowMarks = std::vector<char>;
char RowMarkOf(const TSortGrid& grid, int row);
void SetRowMark(TSortGrid& grid, int row, char mark);

// The two lists the journal keeps.
enum class JournalList { StartTimes, StopTimes };
inline constexpr int kJournalColumns[2] = {3, 6};

// A hold on the course as the journal has it; restart empty while the hold is open.
struct JournalHold {
    std::string number, stop, restart, reason;
    bool operator==(const JournalHold&) const = default;
};

// The state a journal text gives, line by line. A "Sitzungsbeginn" starts a new session with both
// lists empty (one blank row each, as a list never has fewer).
struct JournalSession {
    bool found = false; // a "Sitzungsbeginn" line was read
    bool ended = false; // and a "Sitzungsende" line of the same session after it, nothing after that
    // The session's number; 0 for a session written before numbers, -1 when its first line was
    // damaged so that the number could not be read.
    std::int64_t sequence = 0;
    bool checksums = false;              // its first line carried a checksum: every line must
    int damaged = 0;                     // lines skipped as damaged
    std::vector<std::string> damage;     // the first of them, "<stamp> <kind>" as far as readable
    std::string firstStamp, lastStamp;   // of its first and last sound lines
    std::optional<std::string> selected; // the start number last selected
    std::optional<bool> counterOn;       // the countdown switch
    bool unsaved = false;                // its lists changed after the last save of the results
    std::string day;                     // the day of the journal file it was last written in
    std::vector<ClockStep> clockSteps;   // steps of the wall clock, in the order seen
    JournalRows lists[2];
    // The marks of the rows, one per row of lists[l].
    RowMarks marks[2];
    // The riders' statuses: number, word.
    std::map<std::string, std::string> statuses;
    std::vector<JournalHold> holds; // in the order they began
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
    // Called with the session read so far when a "Sitzungsbeginn" begins the next one.
    std::function<void(JournalSession&)> onSessionDone;
    // The lists as a session that goes on from `state` holds them (a continued session).
    void Continue(const JournalSession& state);
    // Ends a "Stand" still waiting for rows: the rows that arrived are used (end of the text).
    void Finish();
    std::string fileDay; // the day of the file being fed, kept as the session's day

private:
    void Clear();
    void Begin(std::string_view stamp, std::int64_t number, bool checksums);
    void Apply(const std::vector<std::string_view>& f, bool checked);
    void Damaged(std::string_view line);
    void CloseStand();
    JournalRows saved_[2]; // the lists at the last save of the results
    void SetRow(JournalRows& rows, RowMarks& marks, int list, int row, const std::vector<std::string_view>& fields,
                std::size_t first, char mark);
    // A "Stand" being read: rows still to come, and the lists they build.
    std::size_t standRowsLeft_ = 0;
    bool standOpen_ = false;
    JournalRows stand_[2];
    std::size_t standCounts_[2] = {0, 0};
    RowMarks standMarks_[2];
    std::vector<bool> standArrived_[2];
};

// Feeds the whole lines of a text (without a byte-order mark in front; a last line without its
// end is skipped).
void FeedText(JournalReplay& replay, std::string_view text);

// The last session of a journal text; lines without a line end (torn) are skipped, and so is a
// byte-order mark in front.
JournalSession ReplayLastSession(std::string_view text);

// What the journal files of a title hold for the start-up.
struct JournalScan {
    // The session with the highest number (among sessions without numbers: the last one of the
    // newest file), with the day of the file it was last written in.
    std::optional<JournalSession> newest;
    std::string newestDay;
    std::int64_t nextSequence = 1;       // one above every number read
    std::vector<std::string> unreadable; // "<file>: <reason>"
};
JournalScan ScanJournalFiles(const std::vector<JournalFileText>& files);

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
    // The riders' statuses as they are now (number, word), repeated in the full state; without
    // it the full state repeats those the journal has written in this session.
    std::function<std::map<std::string, std::string>()> statusesNow;
    // The holds as they are now, repeated in the full state likewise.
    std::function<std::vector<JournalHold>()> holdsNow;

    // The number the next new session gets (one above every number in the journal files).
    void SetNextSequence(std::int64_t next) { nextSequence_ = next; }
    std::int64_t Sequence() const { return sequence_; }
    // Goes on with a session read back from the day's file `day`: the next lines belong to it,
    // with no new "Sitzungsbeginn". `state` is what its lines give.
    void ContinueSession(const JournalSession& state, const std::string& day);
    // "Sitzungsbeginn <title> Sitzung <n>"; with `restored`, "Wiederhergestellt" and the full state
    // follow (in a continued session without a new first line). The first event begins the
    // session on its own when this was not called before.
    void BeginSession(bool restored = false);
    // Leaves a continued session and begins a new one holding the lists as they are now.
    void BeginNewSession();
    bool SessionBegun() const { return begun_; }
    void EndSession();
    // The last write failed; Retry writes the full state again.
    bool Failing() const { return resync_; }
    void Retry();

    // A row of a list was written by a start, a finish or a committed edit. An edit that left the
    // row as the journal has it writes only what else changed, or nothing.
    void RowChanged(JournalEvent event, JournalList list, int row);
    // Cells the program wrote on its own (the results' points, "!!!"): whatever differs from the
    // journal's picture, in "Zeile" lines; nothing when nothing does.
    void CellsWritten() { Write({}); }
    void RowDeleted(JournalList list, int row);
    void ListsCleared();
    void ProtocolOpened(const std::string& fileName);
    // A change of the contact lines: the moment the waiting thread took, and what it saw.
    void ContactLines(std::int64_t millisecond, const std::string& description);
    // A time entered by hand into `row` (empty old values) or a correction of it: the row as it
    // now is, marked, with the old time and number and the reason.
    void HandTime(JournalList list, int row, const std::string& oldTime, const std::string& oldNumber,
                  const std::string& reason);
    // The selected start number and the countdown switch; written only when they changed.
    void Selection(const std::string& number, bool counterOn);
    // A list saved into `fileName`: the start list (Startliste) or the results (Ergebnisse).
    void Saved(bool results, const std::string& fileName);
    // The wall clock jumped by step.size ms; it read step.at right after.
    void ClockStepped(const ClockStep& step);
    // The status of a rider was set, or taken back (the word kNoStatus).
    void StatusChanged(const std::string& number, std::string_view word);
    // A rider held on the course at `moment` ("hh:mm:ss,z"), and the rider going on.
    void Held(const std::string& number, const std::string& moment, const std::string& reason);
    void Restarted(const std::string& number, const std::string& moment);

private:
    // Writes the event lines (without their stamp) and what else changed, in one Append.
    void Write(const std::vector<std::string>& events, bool fullState = false);
    void AddLine(std::string& text, const std::string& stamp, const std::string& line);
    void AddDifferences(std::string& text, const std::string& stamp);
    void AddState(std::string& text, const std::string& stamp);
    void AddSelection(std::string& text, const std::string& stamp, bool always);
    const TSortGrid& Grid(int list) const { return list == 0 ? startTimes_ : stopTimes_; }

    JournalWriter& writer_;
    JournalClock& clock_;
    const TSortGrid& startTimes_;
    const TSortGrid& stopTimes_;
    JournalReplay mirror_; // the lists as the lines written so far give them
    std::string title_;
    std::string day_;                     // day of the file last written
    std::int64_t sequence_ = 0;           // the session's number
    std::int64_t nextSequence_ = 1;       // the number of the next new session
    std::optional<std::string> selected_; // the selection as last told
    bool counterOn_ = false;
    bool begun_ = false;  // the session's first line is on the disk
    bool resync_ = false; // write the full state with the next event
    bool torn_ = false;   // the last write failed: end its line first
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
// The CRC-32 of a text (the common polynomial, as zip uses it).
std::uint32_t Crc32(std::string_view text);
// `line` with its checksum field.
std::string WithChecksum(std::string_view line);
// The line without its checksum field when it ends in a valid one.
std::optional<std::string_view> CheckedLine(std::string_view line);
// The number of fields after the row number that hold more than the cells in a hand line.
inline constexpr std::size_t kHandFields = 5; // "alt", old time, old number, "Grund", reason
} // namespace journal_text

} // namespace vandoret
