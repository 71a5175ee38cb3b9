// Editing of the stop times list, the finish shown after a row went, and clearing the protocol.
#include <algorithm>
#include <exception>

#include "base/BlankText.h"
#include "base/NumberText.h"
#include "grid/ListColumns.h"
#include "grid/StartNumbers.h"
#include "timing/Registrations.h"

namespace vandoret {
namespace {

constexpr char32_t kBackspace = 8;
constexpr char32_t kEnter = 13;
constexpr char32_t kEscape = 27;

void ClearList(TSortGrid& grid) {
    grid.SetRowCount(2);
    grid.BlankRow(1);
}

} // namespace

bool Registrations::SortGrid3SelectCell(int col, int row) {
    const int lastCol = SortGrid3.ColCount() - 1;
    row = std::clamp(row, 1, SortGrid3.RowCount() - 1);
    if (StopListColumnEditable(col)) {
        if (col == kStopNr) {
            numberBeforeEdit_ = {row, SortGrid3.Cells(kStopNr, row)};
        }
        SortGrid3Mode = StopListMode::CellEditing;
        SortGrid3Col = col;
        SortGrid3.SetSelection(GridRect{col, row, col, row});
        return true;
    }
    SortGrid3Mode = StopListMode::Row;
    SortGrid3Col = lastCol;
    SortGrid3.SetSelection(GridRect{0, row, lastCol, row});
    return false;
}

char32_t Registrations::SortGrid3KeyPress(char32_t key) {
    if (!StopListColumnEditable(SortGrid3Col)) {
        return key;
    }
    const int row = SortGrid3.Row();
    if (key == kEscape) {
        SortGrid3SelectCell(0, row); // row mode, the whole row
        return 0;
    }
    if (key == kEnter) {
        if (SortGrid3Col == kStopNr && (!KeepTypedNumber(row) || !ConfirmSecondFinish(row))) {
            // "Nein": the old number stays (a cell not opened here had none known)
            SortGrid3.SetCell(kStopNr, row, numberBeforeEdit_.first == row ? numberBeforeEdit_.second : std::string());
        } else if (SortGrid3Col == kStopNr) {
            try {
                const std::string number = SortGrid3.Cells(kStopNr, row);
                if (FindStartNumberRow(SortGrid2, kStartNr, number) < 0) {
                    SortGrid3.SetCell(kStopPause, row, "!");
                } else {
                    NumberAssigned(row);
                    results_.BuildResults();
                }
            } catch (const std::exception&) {
                // The typed number stays; the results follow with the next tab change.
            }
        }
        SortGrid3EditCommitted(row);
        if (row < SortGrid3.RowCount() - 1) {
            SortGrid3SelectCell(SortGrid3Col, row + 1);
        }
        return 0;
    }
    const bool allowed = key == kBackspace || (key >= U'0' && key <= U'9') || key == U':' ||
                         key == static_cast<char32_t>(static_cast<unsigned char>(locale_.decimalSeparator));
    return allowed ? key : 0;
}

bool Registrations::KeepTypedNumber(int row) {
    if (numberBeforeEdit_.first != row) {
        return true; // the cell was not opened here: nothing known to replace
    }
    const std::string& old = numberBeforeEdit_.second;
    const std::string typed = SortGrid3.Cells(kStopNr, row);
    if (IsBlankText(old) || old == typed) {
        return true;
    }
    return host_.AskYesNo("Nummer " + old + " durch " + typed + " ersetzen?");
}

int Registrations::OtherFinishRow(const std::string& number, int row) const {
    for (int r = 1; r < SortGrid3.RowCount(); ++r) {
        if (r != row && SameStartNumber(SortGrid3.Cells(kStopNr, r), number)) {
            return r;
        }
    }
    return -1;
}

bool Registrations::AskSecondFinish(const std::string& number, int row) {
    return OtherFinishRow(number, row) < 0 ||
           host_.AskYesNo("Nummer " + std::string(StartNumberKey(number)) + " hat schon eine Zielzeit — trotzdem?");
}

bool Registrations::ConfirmSecondFinish(int row) {
    const std::string typed = SortGrid3.Cells(kStopNr, row);
    if (numberBeforeEdit_.first == row && SameStartNumber(numberBeforeEdit_.second, typed)) {
        return true; // the number did not change: asked when it was typed
    }
    return AskSecondFinish(typed, row);
}

bool Registrations::RewritePause(int row) {
    const std::string& text = SortGrid3.Cells(kStopPause, row);
    const std::optional<Duration> pause = ParsePause(text, locale_);
    if (!pause || FormatDuration(*pause, locale_) == text) {
        return false; // blank, "!", not readable (marked), or already in the list's form
    }
    SortGrid3.SetCell(kStopPause, row, FormatDuration(*pause, locale_));
    return true;
}

void Registrations::ShowRemainingFinish() {
    std::string last{kNoFinishTime};
    for (int r = SortGrid3.RowCount() - 1; r >= 1; --r) {
        const std::string& time = SortGrid3.Cells(kStopTime, r);
        if (time == TextStopTime) {
            return; // the finish shown is still there
        }
        if (last == kNoFinishTime && !IsBlankText(time)) {
            last = time;
        }
    }
    TextStopTime = last;
}

void Registrations::ClearProtocol() {
    ClearList(SortGrid2);
    ClearList(SortGrid3);
    if (journal) {
        journal->ListsCleared();
    }
    startList_.cbNr.Items.clear();
    startList_.cbNr.ItemIndex = -1;
    Edit1.clear();
    // No rider is left to start: as after the last rider's start the countdown goes off and a
    // pending automatic start is cancelled, so nothing is recorded into the cleared protocol. The
    // old planned start goes too, so switching the countdown on again does not arm against it.
    CancelAutoStart();
    if (CounterOn) {
        ImageStatusClick();
    }
    PlannedStart = -1.0;
    TextStartTime.clear();
    results_.ClockSteps.clear(); // they belong to the times just cleared
    results_.Statuses.Clear();
    results_.Holds.Clear();
    holdNotice_.clear();
    sharedPlannedNotice_.clear();
    UpdateJournalNotice();
    LabOstalosStart = std::string(1, '0');
    LabOstalosStop = std::string(1, '0');
}

} // namespace vandoret
