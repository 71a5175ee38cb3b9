// ResultsList: the results list "Ergebnisse" (SortGrid4), built from the start list, the start
// times and the stop times, ranked, and copied for the live pages.
//
// It reads the three lists it is built from through references it is given; only the "EZ-Pkt."
// column of the stop list is written here (the time penalties of each finish).
#pragma once

#include <vector>

#include "base/RideTime.h"
#include "base/TimeValues.h"
#include "grid/SortGrid.h"
#include "settings/Settings.h"

namespace vandoret {

class ResultsList {
public:
    // All references outlive the object; the lists may still be empty (or not yet built) when it
    // is made, as they are only read when the results are built.
    ResultsList(const Settings& settings, const Locale& locale, const TSortGrid& startList, const TSortGrid& startTimes,
                TSortGrid& stopTimes);
    ResultsList(const ResultsList&) = delete;
    ResultsList& operator=(const ResultsList&) = delete;

    TSortGrid SortGrid4{8}; // "Ergebnisse": Platz, St.Nr., Name, Pferd, Club, Ort, Zeit, Punkte
    // The steps of the wall clock seen this session: a ride across one is measured without it,
    // and its row is noted (TSortGrid::RowNoted). A ride ends after midnight when its finish is
    // more than twelve hours before its start.
    std::vector<ClockStep> ClockSteps;

    // Rebuilds SortGrid4 from the start list, start times and stop times; writes "EZ-Pkt.".
    void BuildResults();
    // Sorts SortGrid4 on the results sort column (the start list's SortCol) and writes the places.
    void RankResults();
    // The results as BuildResults and RankResults would give them now, built and ranked on copies:
    // SortGrid4 and the "EZ-Pkt." cells of the stop list stay as they are (the live pages use it).
    TSortGrid RankedResultsCopy() const;
    // OnGetSortStyle of SortGrid4.
    static void SortGrid4GetSortStyle(TSortGrid& sender, int col, TSortStyle& style);

    // What the results are built from, for the pages that show them.
    const TSortGrid& StartListGrid() const { return startList_; }
    const TSortGrid& StartTimesGrid() const { return startTimes_; }
    const TSortGrid& StopTimesGrid() const { return stopTimes_; }
    const Settings& ResultSettings() const { return settings_; }
    const Locale& ResultLocale() const { return locale_; }

private:
    const Settings& settings_;
    const Locale& locale_;
    const TSortGrid& startList_;
    const TSortGrid& startTimes_;
    TSortGrid& stopTimes_;
};

} // namespace vandoret
