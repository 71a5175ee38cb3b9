// Deleting the marked line of the shown list, and clearing all lists.
#include <algorithm>
#include <string>

#include "timing/Pages.h"

namespace vandoret {
namespace {

void ClearList(TSortGrid& grid) {
    grid.SetRowCount(2);
    grid.BlankRow(1);
}

} // namespace

void Pages::sbDelLineClick() {
    if (ActiveTab < kTabStartList || ActiveTab > kTabResults) {
        return; // "Vielseitigkeit" is a copy of the start list: nothing to delete there
    }
    if (!host_.AskYesNo("Markierte Zeile löschen?")) {
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
    Journal* journal = registrations_.journal.get();
    if (journal && (ActiveTab == kTabStartTimes || ActiveTab == kTabStopTimes)) {
        journal->RowDeleted(ActiveTab == kTabStartTimes ? JournalList::StartTimes : JournalList::StopTimes, deleted);
    }
    if (ActiveTab == kTabStartList) {
        // Keep item k of the number list on row k + 1 of the start list.
        NumberList& cbNr = startList_.cbNr;
        const int oldIndex = cbNr.ItemIndex;
        const std::string oldText = cbNr.Text();
        startList_.RefreshNumberList();
        if (oldIndex < 0) {
            cbNr.ItemIndex = -1; // all riders have started: no one is selected again
        }
        if ((cbNr.ItemIndex < 0) != (oldIndex < 0) || cbNr.Text() != oldText) {
            const int row = grid.Row();
            registrations_.cbNrChange();
            grid.SetRow(row); // the deleting operator's place in the list stays
        }
    }
    if (ActiveTab == kTabStopTimes) {
        registrations_.ShowRemainingFinish();
    }
    registrations_.UpdateRemainingCounters();
    PageControl1Change();
}

void Pages::sbCLSClick(bool hasSender) {
    if (hasSender && !host_.AskYesNo("Protokoll überschreiben?")) {
        return;
    }
    ClearList(startList_.SortGrid1);
    ClearList(results_.SortGrid4);
    registrations_.ClearProtocol();
    ActiveTab = kTabStartList;
    PageControl1Change();
}

} // namespace vandoret
