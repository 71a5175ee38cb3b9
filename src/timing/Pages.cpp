// The tick, the tab change, the tab colours, the cell formats of the start and stop times lists,
// and the sort settings of the five lists.
#include "timing/Pages.h"

#include <utility>

#include "timing/Warnings.h"

namespace vandoret {
namespace {

// The number cell of a rider with a status says so.
void StatusTip(CellFormat& format, RideStatus status) {
    if (status == RideStatus::None) {
        return;
    }
    format.background = kStatusBackground;
    format.toolTip = "Status: " + std::string(StatusWord(status)) + " (ohne Platz in den Ergebnissen)";
}

struct ListSorting {
    bool canSort;
    int sortCol;
    TSortDirection direction;
    const char* secondary;
};

} // namespace

Pages::Pages(Host& host, const Locale& locale, StartList& startList, Registrations& registrations, ResultsList& results)
    : host_(host), locale_(locale), startList_(startList), registrations_(registrations), results_(results) {
    const auto report = [this](const std::string& text) { host_.ShowMessage(text); };
    for (int tab = 0; tab < 5; ++tab) {
        Grid(tab).OnMessage = report;
    }
    SetUpListSorting();
}

TSortGrid& Pages::Grid(int tab) {
    return const_cast<TSortGrid&>(std::as_const(*this).Grid(tab));
}

const TSortGrid& Pages::Grid(int tab) const {
    switch (tab) {
    case kTabStartTimes:
        return registrations_.SortGrid2;
    case kTabStopTimes:
        return registrations_.SortGrid3;
    case kTabResults:
        return results_.SortGrid4;
    case kTabEventing:
        return startList_.SortGrid5;
    default:
        return startList_.SortGrid1;
    }
}

void Pages::Timer1Timer() {
    const TimeOfDay now = host_.CurrentTimeOfDay();
    registrations_.Tick(now);
    WatchStartList();
    registrations_.RetryJournal(now);
    registrations_.JournalSelection();
}

void Pages::WatchStartList() {
    const std::optional<FileSignature> state = startList_.WatchDue();
    if (!state) {
        return;
    }
    const bool firstSeen = startList_.StartListStamp == -1;
    try {
        LoadStartList(startList_.StartListFileName(), startList_.StartListWatchPath);
    } catch (...) {
        // The load promises not to fail; should it, the clock must keep running all the same.
        host_.SetTimer1Enabled(true);
    }
    if (firstSeen) {
        registrations_.SelectRider(startList_.FindNextPlannedStart());
    }
    if (ActiveTab == kTabResults) {
        // Names the office corrected reach the shown results (and the next web page) at once.
        results_.BuildResults();
        results_.RankResults();
        if (registrations_.journal) {
            registrations_.journal->CellsWritten();
        }
    }
    startList_.WatchLoaded(*state);
}

void Pages::SetUpListSorting() {
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
    results_.SortGrid4.OnGetSortStyle = ResultsList::SortGrid4GetSortStyle;
}

void Pages::PageControl1Change() {
    const int tab = ActiveTab;
    if (tab == kTabResults) {
        results_.BuildResults();
        results_.RankResults();
        if (registrations_.journal) {
            registrations_.journal->CellsWritten(); // the "EZ-Pkt." of the stop list
        }
    } else if (tab == kTabEventing) {
        startList_.CopyToEventing();
    }
    UpdateCommandStates();
    Grid(tab).SetLeftCol(0);
}

void Pages::UpdateCommandStates() {
    const int tab = ActiveTab;
    const bool startListFilled = !startList_.SortGrid1.IsBlankRow(1);
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

void Pages::SettingsConfirmed() {
    // The time allowed, the rule set or the speed may have changed: the points follow at once.
    results_.BuildResults();
    if (ActiveTab == kTabResults) {
        results_.RankResults();
    }
    if (registrations_.journal) {
        registrations_.journal->CellsWritten();
    }
}

std::optional<TabColors> Pages::PageControl1TabColors(int tab) {
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

CellFormat Pages::SortGrid2GetCellFormat(int col, int row) const {
    const TSortGrid& SortGrid2 = registrations_.SortGrid2;
    CellFormat format;
    if (row <= 0) {
        return format;
    }
    if (row != SortGrid2.Row() && col == kStartTime) {
        format.background = Rgb{216, 255, 216};
    }
    if (SortGrid2.RowMarked(row)) {
        format.textColor = kHandTimeText;
    }
    // Beside the number: the time fills its column.
    if (col == kStartNr && SortGrid2.RowNoted(row)) {
        format.mark = kAutomaticStartMark;
        format.toolTip = kAutomaticStartTip;
    }
    StatusTip(format, col == kStartNr ? registrations_.RideStatusOf(kTabStartTimes, row) : RideStatus::None);
    if (col == kStartNr) {
        const RepeatedStart repeated = StartRepetition(SortGrid2, row);
        if (repeated != RepeatedStart::None) {
            format.background = kAttentionBackground;
            format.toolTip = repeated == RepeatedStart::First
                                 ? "Diese Nummer hat eine weitere Startzeit – gewertet wird diese erste"
                                 : "Weitere Startzeit dieser Nummer – gewertet wird die erste; die falsche löschen "
                                   "(Strg+0) oder korrigieren (Umschalt+F7)";
        }
    }
    format.rightAligned = col == kStartRowNr; // "Kontakt-Nr." of both lists
    return format;
}

CellFormat Pages::SortGrid3GetCellFormat(int col, int row) const {
    const TSortGrid& SortGrid3 = registrations_.SortGrid3;
    CellFormat format;
    if (row <= 0) {
        return format;
    }
    if (row != SortGrid3.Row()) {
        if (col == kStopTime || col == kStopTimePoints) {
            format.background = Rgb{255, 216, 216};
        } else if (col == kStopNr || col == kStopPause || col == kStopFaults) {
            format.background = Rgb{255, 255, 255};
        }
    }
    if (SortGrid3.RowMarked(row)) {
        format.textColor = kHandTimeText;
    }
    format.rightAligned = col == kStartRowNr; // "Kontakt-Nr." of both lists
    StatusTip(format, col == kStopNr ? registrations_.RideStatusOf(kTabStopTimes, row) : RideStatus::None);
    // A cell the results cannot use as it stands: coloured, its tooltip says what to do.
    if (col == kStopNr || col == kStopPause || col == kStopFaults) {
        const StopRowCheck check = results_.Checks().StopRow(row);
        const std::string_view tip = col == kStopNr ? (check.finishTwice     ? kFinishTwiceTip
                                                       : check.unknownNumber ? kUnknownNumberTip
                                                                             : std::string_view())
                                     : col == kStopPause
                                         ? (check.pauseUnreadable ? kPauseUnreadableTip
                                            : check.negativeNet   ? kNegativeNetTip
                                                                  : std::string_view())
                                         : (check.faultsUnreadable ? kFaultsUnreadableTip : std::string_view());
        if (!tip.empty()) {
            format.background = kCheckBackground;
            format.toolTip = tip;
        }
    }
    return format;
}

CellFormat Pages::SortGrid1GetCellFormat(int col, int row) const {
    CellFormat format;
    if (row > 0 && col == kListNr && results_.Checks().NumberTwiceInStartList(row)) {
        format.background = kCheckBackground;
        format.toolTip = kNumberTwiceTip;
    }
    if (row > 0 && col == kListNr) {
        StatusTip(format, registrations_.RideStatusOf(kTabStartList, row));
    }
    if (row > 0 && col == kListPlanned && SharesPlannedStart(startList_.SortGrid1, row)) {
        format.background = kAttentionBackground;
        format.toolTip = "Gleiche Startzeit wie ein anderer Reiter – nach dem ersten den nächsten mit F4 starten";
    }
    return format;
}

CellFormat Pages::SortGrid4GetCellFormat(int col, int row) const {
    const TSortGrid& SortGrid4 = results_.SortGrid4;
    CellFormat format;
    if (row <= 0) {
        return format;
    }
    if (col == kResultTime) {
        // "Zeit" of a ride timed by hand, measured across a step of the clock, or both.
        const bool hand = SortGrid4.RowMarked(row), clock = SortGrid4.RowNoted(row);
        format.mark = hand && clock ? kHandAndClockMark : hand ? kHandTimeMark : clock ? kClockStepMark : "";
    }
    // The rows without a place: the cell that says why.
    const int tag = SortGrid4.RowTag(row);
    if (tag == kResultStatus && col == kResultPoints) {
        format.toolTip = "Ohne Platz: Status oder über der Höchstzeit";
    }
    if ((tag == kResultNegativeNet && col == kResultTime) || (tag == kResultUnknownNumber && col == kResultNr)) {
        format.background = kCheckBackground;
        format.toolTip = tag == kResultNegativeNet ? kResultNegativeNetTip : kResultUnknownNumberTip;
    }
    return format;
}

CellFormat Pages::GetCellFormat(int tab, int col, int row) const {
    switch (tab) {
    case kTabStartTimes:
        return SortGrid2GetCellFormat(col, row);
    case kTabStopTimes:
        return SortGrid3GetCellFormat(col, row);
    case kTabResults:
        return SortGrid4GetCellFormat(col, row);
    case kTabStartList:
        return SortGrid1GetCellFormat(col, row);
    default:
        return CellFormat{};
    }
}

} // namespace vandoret
