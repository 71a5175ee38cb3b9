// The statuses the operator gives riders who get no ranked time.
#include <string>

#include "base/NumberText.h"
#include "grid/ListColumns.h"
#include "timing/Registrations.h"

namespace vandoret {

std::string Registrations::RiderOfRow(int tab, int row) const {
    const TSortGrid* grid = tab == kTabStartList    ? &startList_.SortGrid1
                            : tab == kTabStartTimes ? &SortGrid2
                            : tab == kTabStopTimes  ? &SortGrid3
                                                    : nullptr;
    if (grid == nullptr || row < 1 || row >= grid->RowCount()) {
        return {};
    }
    const int col = tab == kTabStartList ? kListNr : tab == kTabStartTimes ? kStartNr : kStopNr;
    return std::string(StartNumberKey(grid->Cells(col, row)));
}

RideStatus Registrations::RideStatusOf(int tab, int row) const {
    const std::string nr = RiderOfRow(tab, row);
    return nr.empty() ? RideStatus::None : results_.Statuses.Of(nr);
}

bool Registrations::SetRideStatus(const std::string& number, RideStatus status, bool resultsShown) {
    const std::string nr(StartNumberKey(number));
    if (nr.empty() || !results_.Statuses.Set(nr, status)) {
        return false;
    }
    if (journal) {
        journal->StatusChanged(nr, StatusWord(status));
    }
    RebuildResults(resultsShown);
    if (journal) {
        journal->CellsWritten(); // the points the results wrote into the stop list
    }
    UpdateRemainingCounters(); // a rider with a status is neither to start nor on the course
    return true;
}

} // namespace vandoret
