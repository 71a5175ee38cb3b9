// The checks of the lists the results are built from: which cells of the stop list and the start
// list the results cannot use as they stand. The lists mark those cells (colour and tooltip); the
// status bar names numbers given twice in the start list.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/TimeValues.h"
#include "grid/SortGrid.h"

namespace vandoret {

// What is wrong with one row of the stop list.
struct StopRowCheck {
    bool unknownNumber = false;    // "St.Nr." is in no row of the start list
    bool finishTwice = false;      // another stop row holds the same number
    bool pauseUnreadable = false;  // "Pausen" holds a text that is no pause (ParsePause)
    bool negativeNet = false;      // the pause is longer than the ride
    bool faultsUnreadable = false; // "F.-Pkt." holds a text that is no number
    bool operator==(const StopRowCheck&) const = default;
};

// The tooltips of the marked cells.
inline constexpr std::string_view kUnknownNumberTip = "Nummer nicht in der Startliste: bitte Nummer prüfen";
inline constexpr std::string_view kFinishTwiceTip = "Nummer hat zwei Zielzeiten: bitte die falsche Nummer berichtigen";
inline constexpr std::string_view kPauseUnreadableTip =
    "Pause nicht lesbar: bitte als m:ss,z oder in Sekunden eingeben";
inline constexpr std::string_view kNegativeNetTip = "Pause länger als der Ritt: bitte Pause prüfen";
inline constexpr std::string_view kFaultsUnreadableTip = "Keine Zahl: bitte Fehlerpunkte als Zahl eingeben, z. B. 2,5";
inline constexpr std::string_view kNumberTwiceTip = "Nummer doppelt in der Startliste: bitte Startliste berichtigen";

// The fault points of a "F.-Pkt." text: a blank text is 0, an unreadable one nullopt.
std::optional<double> ReadFaultPoints(std::string_view text, const Locale& locale);

class ListChecks {
public:
    // The lists outlive the object; they are read again whenever one of them has changed.
    ListChecks(const Locale& locale, const TSortGrid& startList, const TSortGrid& startTimes,
               const TSortGrid& stopTimes);

    StopRowCheck StopRow(int row) const;
    // The start list row's number is also in another row of the start list.
    bool NumberTwiceInStartList(int row) const;
    // Each number given twice in the start list once, in list order.
    std::vector<std::string> NumbersTwiceInStartList() const;

private:
    void Refresh() const;

    const Locale& locale_;
    const TSortGrid& startList_;
    const TSortGrid& startTimes_;
    const TSortGrid& stopTimes_;
    mutable std::uint64_t seen_[3] = {~0ULL, ~0ULL, ~0ULL};
    mutable std::vector<StopRowCheck> stops_;
    mutable std::vector<char> twice_;
    mutable std::vector<std::string> twiceNumbers_;
};

} // namespace vandoret
