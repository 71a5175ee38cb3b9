// The tab change, the tab colours, the cell formats of the start and stop times lists, and the
// sort settings of the five lists.
#include "timing/Timekeeper.h"

namespace vandoret {
namespace {

struct ListSorting {
    bool canSort;
    int sortCol;
    TSortDirection direction;
    const char* secondary;
};

} // namespace

void Timekeeper::SetUpListSorting() {
    // Only the results list sorts. The start list's SortCol is the results sort column.
    const ListSorting sorting[] = {
        {false, 7, TSortDirection::sdAscending, "0"},  {false, 5, TSortDirection::sdAscending, "9"},
        {false, 4, TSortDirection::sdDescending, "6"}, {true, 7, TSortDirection::sdAscending, "6"},
        {false, 20, TSortDirection::sdAscending, "0"},
    };
    for (int tab = 0; tab < 5; ++tab) {
        TSortOptions& options = Grid(tab).SortOptions;
        options = TSortOptions{};
        options.CanSort = sorting[tab].canSort;
        options.SortCol = sorting[tab].sortCol;
        options.SortDirection = sorting[tab].direction;
        options.SecondaryIndex = sorting[tab].secondary;
        options.SortLocale = locale_;
        Grid(tab).OnBusy = [this](bool busy) { host_.SetBusyCursor(busy); };
    }
    SortGrid4.OnGetSortStyle = [this](TSortGrid& sender, int col, TSortStyle& style) {
        SortGrid4GetSortStyle(sender, col, style);
    };
}

void Timekeeper::PageControl1Change() {
    const int tab = ActiveTab;
    if (tab == kTabResults) {
        BuildResults();
        RankResults();
        if (journal) {
            journal->CellsWritten(); // the "EZ-Pkt." of the stop list
        }
    } else if (tab == kTabEventing) {
        // The eventing list leaves out the planned start: from the start list's "St.Nr." on, each
        // column holds what its caption says.
        SortGrid5.SetRowCount(SortGrid1.RowCount());
        for (int r = 1; r < SortGrid5.RowCount(); ++r) {
            for (int c = 0; c < SortGrid5.ColCount(); ++c) {
                SortGrid5.SetCell(c, r, SortGrid1.Cells(c + 1, r));
            }
        }
    }
    UpdateCommandStates();
    Grid(tab).SetLeftCol(0);
}

void Timekeeper::UpdateCommandStates() {
    const int tab = ActiveTab;
    const bool startListFilled = !SortGrid1.IsBlankRow(1);
    const bool results = tab == kTabResults;
    Commands.sbSave = (tab == kTabStartList || results) && startListFilled;
    Commands.sbCLS = startListFilled;
    Commands.sbDelLine = !Grid(tab).IsBlankRow(1);
    Commands.eS1 = Commands.sbSave;
    Commands.sbPrint = results;
    Commands.Drucker1 = results;
    Commands.Druk1 = results;
    Commands.sbHTML = results;
    Commands.eH1 = results;
}

void Timekeeper::SettingsConfirmed() {
    // The time allowed, the rule set or the speed may have changed: the points follow at once.
    BuildResults();
    if (ActiveTab == kTabResults) {
        RankResults();
    }
    if (journal) {
        journal->CellsWritten();
    }
}

std::optional<TabColors> Timekeeper::PageControl1TabColors(int tab) {
    switch (tab) {
    case kTabStartTimes:
        return TabColors{{89, 236, 120}, {3, 176, 9}};
    case kTabStopTimes:
        return TabColors{{246, 93, 95}, {178, 15, 3}};
    case kTabResults:
        return TabColors{{90, 151, 244}, {76, 66, 58}};
    default:
        return std::nullopt;
    }
}

CellFormat Timekeeper::SortGrid2GetCellFormat(int col, int row) const {
    CellFormat format;
    if (row <= 0) {
        return format;
    }
    if (row != SortGrid2.Row() && col == 1) {
        format.background = Rgb{216, 255, 216};
    }
    if (SortGrid2.RowMarked(row)) {
        format.textColor = kHandTimeText;
    }
    format.rightAligned = col == 0;
    return format;
}

CellFormat Timekeeper::SortGrid3GetCellFormat(int col, int row) const {
    CellFormat format;
    if (row <= 0) {
        return format;
    }
    if (row != SortGrid3.Row()) {
        if (col == 1 || col == 4) {
            format.background = Rgb{255, 216, 216};
        } else if (col == 2 || col == 3 || col == 5) {
            format.background = Rgb{255, 255, 255};
        }
    }
    if (SortGrid3.RowMarked(row)) {
        format.textColor = kHandTimeText;
    }
    format.rightAligned = col == 0;
    return format;
}

CellFormat Timekeeper::GetCellFormat(int tab, int col, int row) const {
    switch (tab) {
    case kTabStartTimes:
        return SortGrid2GetCellFormat(col, row);
    case kTabStopTimes:
        return SortGrid3GetCellFormat(col, row);
    case kTabResults: {
        CellFormat format;
        if (row > 0 && col == 6 && SortGrid4.RowMarked(row)) {
            format.mark = kHandTimeMark; // "Zeit" of a ride timed by hand
        }
        return format;
    }
    default:
        return CellFormat{};
    }
}

} // namespace vandoret
