// The journal replay on any text, and the journal written from what it gave.
//
// Checked: the replay gives two lists of at least one row, every row with its list's number of
// cells; lists built from it, journaled as a restored session, replay to exactly those lists; a
// finish recorded after it, with cell texts from the input (TABs, line ends and backslashes
// among them), and the end of the session replay to the lists as they then stand. One byte of
// that journal changed costs the line it is in and nothing else, and the change is counted. The
// input read as two journal files gives lists of the same shape, and session numbers above those
// it holds.
#include <string>

#include "FuzzSupport.h"
#include "journal/Journal.h"
#include "journal/JournalFakes.h"

using namespace vandoret;

namespace {

// Larger lists are checked for shape only: they reach no code the smaller ones miss, and each
// costs thousands of allocations.
constexpr std::size_t kRoundTripRows = 500;

void Fill(TSortGrid& grid, const JournalRows& rows) {
    grid.SetRowCount(static_cast<int>(rows.size()) + 1);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            grid.SetCell(static_cast<int>(c), static_cast<int>(r) + 1, rows[r][c]);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const JournalSession session = ReplayLastSession(text);
    for (int l = 0; l < 2; ++l) {
        FUZZ_CHECK(!session.lists[l].empty(), "a list has at least one row");
        for (const auto& row : session.lists[l]) {
            FUZZ_CHECK(row.size() == static_cast<std::size_t>(kJournalColumns[l]), "a row has its list's cells");
        }
    }
    if (session.lists[0].size() + session.lists[1].size() > kRoundTripRows) {
        return 0;
    }

    TSortGrid startTimes(kJournalColumns[0]);
    TSortGrid stopTimes(kJournalColumns[1]);
    Fill(startTimes, session.lists[0]);
    Fill(stopTimes, session.lists[1]);
    testing::MemoryJournalWriter writer;
    testing::FakeJournalClock clock;
    Journal journal(writer, clock, startTimes, stopTimes, "Vandoret");
    journal.BeginSession(true);
    const JournalSession restored = ReplayLastSession(writer.ReadNewest());
    FUZZ_CHECK(restored.found && !restored.ended, "the restored session begins and is open");
    FUZZ_CHECK(restored.lists[0] == session.lists[0], "the restored start times replay exactly");
    FUZZ_CHECK(restored.lists[1] == session.lists[1], "the restored stop times replay exactly");

    // A finish whose cells hold texts of the input, then the end of the session.
    const int row = stopTimes.AddRow();
    for (int c = 0; c < stopTimes.ColCount(); ++c) {
        const std::size_t from = size == 0 ? 0 : (static_cast<std::size_t>(c) * 13) % size;
        stopTimes.SetCell(c, row, std::string(text.substr(from, 9)));
    }
    journal.RowChanged(JournalEvent::Finish, JournalList::StopTimes, row);
    journal.EndSession();
    const JournalSession ended = ReplayLastSession(writer.ReadNewest());
    FUZZ_CHECK(ended.found && ended.ended, "the session ends");
    FUZZ_CHECK(ended.lists[0] == testing::RowsOf(startTimes), "the start times replay as they stand");
    FUZZ_CHECK(ended.lists[1] == testing::RowsOf(stopTimes), "the stop times replay as they stand");

    // One byte changed (never into or out of a line end): that line is skipped, all else is kept.
    const std::string journalText = writer.ReadNewest();
    const std::size_t at = size == 0 ? 0 : (static_cast<std::size_t>(data[0]) * 131 + size) % journalText.size();
    if (journalText[at] != '\n' && journalText[at] != ('\n' ^ 0x04)) {
        std::string damaged = journalText;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x04);
        const std::size_t begin =
            journalText.rfind('\n', at) == std::string::npos ? 0 : journalText.rfind('\n', at) + 1;
        const std::size_t end = journalText.find('\n', at);
        const JournalSession got = ReplayLastSession(damaged);
        const JournalSession want =
            ReplayLastSession(begin == 0 ? journalText : journalText.substr(0, begin) + journalText.substr(end + 1));
        FUZZ_CHECK(got.found && got.damaged == 1, "a changed byte is one damaged line");
        FUZZ_CHECK(got.lists[0] == want.lists[0] && got.lists[1] == want.lists[1],
                   "a changed byte costs its line alone");
    }

    // The input as two files of two days.
    const std::vector<JournalFileText> files = {{"2024-05-10", "a", std::string(text.substr(0, size / 2)), ""},
                                                {"2024-05-11", "b", std::string(text.substr(size / 2)), ""}};
    const JournalScan scan = ScanJournalFiles(files);
    FUZZ_CHECK(scan.nextSequence >= 1, "the next session number is positive");
    if (scan.newest) {
        FUZZ_CHECK(scan.newest->sequence < scan.nextSequence, "the next session number is above the newest");
        for (int l = 0; l < 2; ++l) {
            FUZZ_CHECK(!scan.newest->lists[l].empty(), "a scanned list has at least one row");
            FUZZ_CHECK(scan.newest->marks[l].size() == scan.newest->lists[l].size(), "a mark for every row");
        }
    }
    return 0;
}
