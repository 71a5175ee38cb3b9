// The Timekeeper's journal: attaching it, recovering the last session at start-up, the session
// end, and the commit of a stop list edit.
#include <string>

#include "timing/BlankText.h"
#include "timing/Timekeeper.h"

namespace vandoret {
namespace {

constexpr const char* kJournalNotWritten = "Journal wird nicht geschrieben: Zeiten nur im Speicher";

bool IsBlankRow(const std::vector<std::string>& row) {
    for (const std::string& cell : row) {
        if (!IsBlankText(cell)) {
            return false;
        }
    }
    return true;
}

// The recovered rows, then the rows recorded since start-up (numbered on after them), each with
// its mark.
void Rebuild(TSortGrid& grid, const JournalRows& recovered, const std::vector<bool>& recoveredMarks) {
    std::vector<std::vector<std::string>> rows;
    rows.reserve(recovered.size() + static_cast<std::size_t>(grid.RowCount()));
    rows.emplace_back();
    for (int c = 0; c < grid.ColCount(); ++c) {
        rows.back().push_back(grid.Cells(c, 0));
    }
    std::vector<std::vector<std::string>> meanwhile;
    std::vector<bool> marks(1, false);
    for (int r = 1; r < grid.RowCount(); ++r) {
        if (!grid.IsBlankRow(r)) {
            marks.push_back(grid.RowMarked(r));
            meanwhile.emplace_back();
            for (int c = 0; c < grid.ColCount(); ++c) {
                meanwhile.back().push_back(grid.Cells(c, r));
            }
        }
    }
    std::size_t keep = recovered.size();
    while (!meanwhile.empty() && keep > 0 && IsBlankRow(recovered[keep - 1])) {
        --keep; // no blank row between the recovered rows and the new ones
    }
    rows.insert(rows.end(), recovered.begin(), recovered.begin() + static_cast<std::ptrdiff_t>(keep));
    std::vector<bool> meanwhileMarks(marks.begin() + 1, marks.end());
    marks.assign(1, false);
    for (std::size_t r = 0; r < keep; ++r) {
        marks.push_back(r < recoveredMarks.size() && recoveredMarks[r]);
    }
    marks.insert(marks.end(), meanwhileMarks.begin(), meanwhileMarks.end());
    for (auto& row : meanwhile) {
        row[0] = std::to_string(rows.size()) + ".";
        rows.push_back(std::move(row));
    }
    grid.AssignRows(std::move(rows));
    for (std::size_t r = 1; r < marks.size(); ++r) {
        grid.SetRowMarked(static_cast<int>(r), marks[r]);
    }
    grid.SetRow(grid.RowCount() - 1);
}

} // namespace

void Timekeeper::AttachJournal(JournalWriter& writer, JournalClock& clock) {
    journal = std::make_unique<Journal>(writer, clock, SortGrid2, SortGrid3, host().ApplicationTitle());
    journal->onWriting = [this](bool writing) {
        // Said once when writing stops; gone again once it works.
        JournalNotice = writing ? std::string() : std::string(kJournalNotWritten);
    };
    JournalSession last = ReplayLastSession(writer.ReadNewest());
    if (last.found && !last.ended && !last.ListsEmpty()) {
        lastSession_ = std::move(last);
    } else {
        journal->BeginSession();
    }
}

bool Timekeeper::RecoverLastSession() {
    if (!journal || !lastSession_) {
        return false;
    }
    const JournalSession last = std::move(*lastSession_);
    lastSession_.reset();
    if (!host().AskYesNo("Zeiten der letzten Sitzung wiederherstellen?")) {
        journal->BeginSession();
        return false;
    }
    Rebuild(SortGrid2, last.startTimes(), last.marks[0]);
    Rebuild(SortGrid3, last.stopTimes(), last.marks[1]);
    UpdateRemainingCounters();
    journal->BeginSession(true);
    return true;
}

void Timekeeper::EndJournal() {
    if (journal) {
        journal->EndSession();
    }
}

void Timekeeper::SortGrid3EditCommitted(int row) {
    if (journal) {
        journal->RowChanged(JournalEvent::Edit, JournalList::StopTimes, row);
    }
}

} // namespace vandoret
