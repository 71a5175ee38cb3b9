// Editing of the stop times list, deleting the marked line and clearing all lists.
#include <algorithm>
#include <exception>

#include "base/BlankText.h"
#include "timing/Timekeeper.h"

namespace vandoret {
namespace {

constexpr int kColStartNumber = 2;      // "St.Nr." of the stop list
constexpr int kColPause = 3;            // "Pausen"
constexpr int kColFaults = 5;           // "F.-Pkt."
constexpr int kColStartTimesNumber = 2; // "St.Nr." of the start times list

constexpr char32_t kBackspace = 8;
constexpr char32_t kEnter = 13;
constexpr char32_t kEscape = 27;

bool Editable(int col) {
    return col == kColStartNumber || col == kColPause || col == kColFaults;
}

void ClearList(TSortGrid& grid) {
    grid.SetRowCount(2);
    grid.BlankRow(1);
}

} // namespace

bool Timekeeper::SortGrid3SelectCell(int col, int row) {
    const int lastCol = SortGrid3.ColCount() - 1;
    row = std::clamp(row, 1, SortGrid3.RowCount() - 1);
    if (Editable(col)) {
        if (col == kColStartNumber) {
            numberBeforeEdit_ = {row, SortGrid3.Cells(kColStartNumber, row)};
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

char32_t Timekeeper::SortGrid3KeyPress(char32_t key) {
    if (!Editable(SortGrid3Col)) {
        return key;
    }
    const int row = SortGrid3.Row();
    if (key == kEscape) {
        SortGrid3SelectCell(0, row); // row mode, the whole row
        return 0;
    }
    if (key == kEnter) {
        if (SortGrid3Col == kColStartNumber && !KeepTypedNumber(row)) {
            SortGrid3.SetCell(kColStartNumber, row, numberBeforeEdit_.second); // "Nein": the old number stays
        } else if (SortGrid3Col == kColStartNumber) {
            try {
                const std::string number = SortGrid3.Cells(kColStartNumber, row);
                if (SortGrid2.FindRowByText(kColStartTimesNumber, number, false) < 0) {
                    SortGrid3.SetCell(kColPause, row, "!");
                } else {
                    BuildResults();
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
                         key == static_cast<char32_t>(static_cast<unsigned char>(locale().decimalSeparator));
    return allowed ? key : 0;
}

bool Timekeeper::KeepTypedNumber(int row) {
    if (numberBeforeEdit_.first != row) {
        return true; // the cell was not opened here: nothing known to replace
    }
    const std::string& old = numberBeforeEdit_.second;
    const std::string typed = SortGrid3.Cells(kColStartNumber, row);
    if (IsBlankText(old) || old == typed) {
        return true;
    }
    return host().AskYesNo("Nummer " + old + " durch " + typed + " ersetzen?");
}

void Timekeeper::sbDelLineClick() {
    if (ActiveTab < kTabStartList || ActiveTab > kTabResults) {
        return; // "Vielseitigkeit" is a copy of the start list: nothing to delete there
    }
    if (!host().AskYesNo("Markierte Zeile löschen?")) {
        return;
    }
    TSortGrid& grid = Grid(ActiveTab);
    const int deleted = grid.Row();
    if (grid.RowCount() > 2) {
        const int row = grid.Row();
        grid.DeleteRow(row);
        grid.SetRow(std::min(row, grid.RowCount() - 1));
    } else {
        grid.BlankRow(1);
    }
    if (journal && (ActiveTab == kTabStartTimes || ActiveTab == kTabStopTimes)) {
        journal->RowDeleted(ActiveTab == kTabStartTimes ? JournalList::StartTimes : JournalList::StopTimes, deleted);
    }
    if (ActiveTab == kTabStartList) {
        // Keep item k of the number list on row k + 1 of the start list.
        const int oldIndex = cbNr.ItemIndex;
        const std::string oldText = cbNr.Text();
        RefreshNumberList();
        if (oldIndex < 0) {
            cbNr.ItemIndex = -1; // all riders have started: no one is selected again
        }
        if ((cbNr.ItemIndex < 0) != (oldIndex < 0) || cbNr.Text() != oldText) {
            const int row = grid.Row();
            cbNrChange();
            grid.SetRow(row); // the deleting operator's place in the list stays
        }
    }
    if (ActiveTab == kTabStopTimes) {
        ShowRemainingFinish();
    }
    UpdateRemainingCounters();
    PageControl1Change();
}

void Timekeeper::ShowRemainingFinish() {
    std::string last{kNoFinishTime};
    for (int r = SortGrid3.RowCount() - 1; r >= 1; --r) {
        const std::string& time = SortGrid3.Cells(1, r);
        if (time == TextStopTime) {
            return; // the finish shown is still there
        }
        if (last == kNoFinishTime && !IsBlankText(time)) {
            last = time;
        }
    }
    TextStopTime = last;
}

void Timekeeper::sbCLSClick(bool hasSender) {
    if (hasSender && !host().AskYesNo("Protokoll überschreiben?")) {
        return;
    }
    ClearList(SortGrid1);
    ClearList(SortGrid2);
    ClearList(SortGrid3);
    ClearList(SortGrid4);
    if (journal) {
        journal->ListsCleared();
    }
    cbNr.Items.clear();
    cbNr.ItemIndex = -1;
    Edit1.clear();
    // No rider is left to start: as after the last rider's start the countdown goes off and a
    // pending automatic start is cancelled, so nothing is recorded into the cleared protocol. The
    // old planned start goes too, so switching the countdown on again does not arm against it.
    if (host().Timer5sekRunning()) {
        host().StopTimer5sek();
    }
    if (CounterOn) {
        ImageStatusClick();
    }
    PlannedStart = -1.0;
    TextStartTime.clear();
    ActiveTab = kTabStartList;
    LabOstalosStart = std::string(1, '0');
    LabOstalosStop = std::string(1, '0');
    PageControl1Change();
}

} // namespace vandoret
