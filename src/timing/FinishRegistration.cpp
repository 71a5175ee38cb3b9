// A finish: F8, the "STOPP [F8]" label or the light barrier.
#include <string>

#include "grid/ListColumns.h"
#include "timing/Registrations.h"

namespace vandoret {

void Registrations::RegisterFinish() {
    // The host's clock, or the moment of the line change when a contact takes the finish.
    const TimeOfDay now = ClockNow();
    const std::string text = FormatClock(now, ClockForm::HhNnSsZ, locale_);

    TextStopTime = text;
    PlaySoundFile(FinishSoundFile);

    const int row = NewFinishRow();
    SortGrid3.SetCell(kStopTime, row, text);
    if (journal) {
        journal->RowChanged(JournalEvent::Finish, JournalList::StopTimes, row);
    }
    UpdateRemainingCounters();
    if (stopEditorOpen_) {
        finishWaiting_ = row; // shown once the operator has finished the cell being typed
    } else {
        ShowFinishRow(row);
    }
}

void Registrations::ShowFinishRow(int row) {
    TSortGrid& grid = SortGrid3;
    grid.SetRow(row);
    grid.SetLeftCol(0);
    // The whole new row stays selected, and the start number can be typed in at once.
    grid.SetSelection(GridRect{0, row, grid.ColCount() - 1, row});
    SortGrid3Mode = StopListMode::Row;
    SortGrid3Col = kStopNr;
}

void Registrations::SortGrid3EditOpened() {
    stopEditorOpen_ = true;
}

void Registrations::SortGrid3EditEnded() {
    stopEditorOpen_ = false;
    const int row = finishWaiting_;
    finishWaiting_ = 0;
    if (row > 0 && row < SortGrid3.RowCount()) {
        ShowFinishRow(row);
    }
}

} // namespace vandoret
