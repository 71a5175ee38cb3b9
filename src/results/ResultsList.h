// ResultsList: the results list "Ergebnisse" (SortGrid4), built from the start list, the start
// times and the stop times, ranked, and copied for the live pages.
//
// It reads the three lists it is built from through references it is given; only the "EZ-Pkt."
// column of the stop list is written here (the time penalties of each finish).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "base/RideTime.h"
#include "base/TimeValues.h"
#include "grid/SortGrid.h"
#include "results/Holds.h"
#include "results/ListChecks.h"
#include "results/RideStatuses.h"
#include "settings/Settings.h"

namespace vandoret {

// The tag (TSortGrid::RowTag) of a results row. Ranked rides come first and get places; the rows
// without a place follow in this order, each group by number: a pause longer than the ride (the
// net time is negative), then a number the start list no longer holds (no name), then the
// riders with a status or over the time limit (their status in "Punkte").
inline constexpr int kResultRanked = 0;
inline constexpr int kResultNegativeNet = 1;
inline constexpr int kResultUnknownNumber = 2;
inline constexpr int kResultStatus = 3;
inline constexpr int kResultOverLimit = 3; // eliminated by the time limit: with the statuses

// The tooltips of the "Ergebnisse" cells of the rows without a place.
inline constexpr std::string_view kResultNegativeNetTip = "Pause länger als der Ritt: ohne Platz, bitte Pause prüfen";
inline constexpr std::string_view kResultUnknownNumberTip =
    "Nummer nicht in der Startliste: ohne Platz, bitte Nummer prüfen";

// The ride between a start and a finish text (hh:mm:ss,z), in milliseconds, across midnight and
// the clock steps given (MeasureRide); 0 or less is no ride.
std::int64_t RideMilliseconds(std::string_view startText, std::string_view stopText,
                              const std::vector<ClockStep>& clockSteps = {});

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
    // The statuses the operator gave (retired, eliminated, disqualified, not started).
    RideStatuses Statuses;
    // The holds on the course (the registrations write their held time into "Pausen").
    HoldList Holds;

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
    // The cells of the stop list and the start list the results cannot use as they stand.
    const ListChecks& Checks() const { return checks_; }

private:
    const Settings& settings_;
    const Locale& locale_;
    const TSortGrid& startList_;
    const TSortGrid& startTimes_;
    TSortGrid& stopTimes_;
    ListChecks checks_;
};

} // namespace vandoret
