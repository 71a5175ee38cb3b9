// A finish: F8, the "STOPP [F8]" label or the light barrier.
#include <string>

#include "base/BlankText.h"
#include "timing/Timekeeper.h"

namespace vandoret {

void Timekeeper::RegisterFinish() {
    // The host's clock, or the moment of the line change when a contact takes the finish.
    const TimeOfDay now = ClockNow();
    const std::string text = FormatClock(now, ClockForm::HhNnSsZ, locale());

    TextStopTime = text;
    PlaySoundFile(FinishSoundFile);

    // The last row is used again while its "Kontakt-Nr." is empty, whatever else it holds.
    TSortGrid& grid = SortGrid3;
    if (!IsBlankText(grid.Cells(0, grid.RowCount() - 1))) {
        grid.AddRow();
    }
    const int last = grid.RowCount() - 1;
    grid.BlankRow(last);
    grid.SetCell(0, last, std::to_string(last) + ".");
    grid.SetCell(1, last, text);
    if (journal) {
        journal->RowChanged(JournalEvent::Finish, JournalList::StopTimes, last);
    }
    UpdateRemainingCounters();
    if (stopEditorOpen_) {
        finishWaiting_ = last; // shown once the operator has finished the cell being typed
    } else {
        ShowFinishRow(last);
    }
}

void Timekeeper::ShowFinishRow(int row) {
    TSortGrid& grid = SortGrid3;
    grid.SetRow(row);
    grid.SetLeftCol(0);
    // The whole new row stays selected, and the start number can be typed in at once.
    grid.SetSelection(GridRect{0, row, grid.ColCount() - 1, row});
    SortGrid3Mode = StopListMode::Row;
    SortGrid3Col = 2; // "St.Nr."
}

void Timekeeper::SortGrid3EditOpened() {
    stopEditorOpen_ = true;
}

void Timekeeper::SortGrid3EditEnded() {
    stopEditorOpen_ = false;
    const int row = finishWaiting_;
    finishWaiting_ = 0;
    if (row > 0 && row < SortGrid3.RowCount()) {
        ShowFinishRow(row);
    }
}

} // namespace vandoret
