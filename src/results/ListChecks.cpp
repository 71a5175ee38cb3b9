#include "results/ListChecks.h"

#include <unordered_map>

#include "base/BlankText.h"
#include "base/NumberText.h"
#include "grid/ListColumns.h"
#include "grid/StartNumbers.h"
#include "results/ResultsList.h"

namespace vandoret {

std::optional<double> ReadFaultPoints(std::string_view text, const Locale& locale) {
    if (IsBlankText(text)) {
        return 0.0;
    }
    return ParseLocaleDecimal(StartNumberKey(text), locale);
}

ListChecks::ListChecks(const Locale& locale, const TSortGrid& startList, const TSortGrid& startTimes,
                       const TSortGrid& stopTimes)
    : locale_(locale), startList_(startList), startTimes_(startTimes), stopTimes_(stopTimes) {}

StopRowCheck ListChecks::StopRow(int row) const {
    Refresh();
    return row > 0 && row < static_cast<int>(stops_.size()) ? stops_[static_cast<std::size_t>(row)] : StopRowCheck{};
}

bool ListChecks::NumberTwiceInStartList(int row) const {
    Refresh();
    return row > 0 && row < static_cast<int>(twice_.size()) && twice_[static_cast<std::size_t>(row)] != 0;
}

std::vector<std::string> ListChecks::NumbersTwiceInStartList() const {
    Refresh();
    return twiceNumbers_;
}

void ListChecks::Refresh() const {
    const std::uint64_t now[3] = {startList_.Revision(), startTimes_.Revision(), stopTimes_.Revision()};
    if (now[0] == seen_[0] && now[1] == seen_[1] && now[2] == seen_[2]) {
        return;
    }
    if (now[0] != seen_[0]) {
        twice_.assign(static_cast<std::size_t>(startList_.RowCount()), 0);
        twiceNumbers_.clear();
        std::unordered_map<std::string_view, int> first;
        for (int r = 1; r < startList_.RowCount(); ++r) {
            const std::string_view key = StartNumberKey(startList_.Cells(kListNr, r));
            if (key.empty()) {
                continue;
            }
            const auto [it, fresh] = first.emplace(key, r);
            if (!fresh) {
                if (twice_[static_cast<std::size_t>(it->second)] == 0) {
                    twiceNumbers_.emplace_back(key);
                }
                twice_[static_cast<std::size_t>(it->second)] = 1;
                twice_[static_cast<std::size_t>(r)] = 1;
            }
        }
    }
    std::copy(now, now + 3, seen_);

    const StartNumberIndex riders(startList_, kListNr);
    const StartNumberIndex starts(startTimes_, kStartNr);
    std::unordered_map<std::string_view, int> finishes;
    for (int r = 1; r < stopTimes_.RowCount(); ++r) {
        const std::string_view key = StartNumberKey(stopTimes_.Cells(kStopNr, r));
        if (!key.empty()) {
            ++finishes[key];
        }
    }
    stops_.assign(static_cast<std::size_t>(stopTimes_.RowCount()), StopRowCheck{});
    for (int r = 1; r < stopTimes_.RowCount(); ++r) {
        StopRowCheck& check = stops_[static_cast<std::size_t>(r)];
        const std::string& nr = stopTimes_.Cells(kStopNr, r);
        const std::string& pauseText = stopTimes_.Cells(kStopPause, r);
        const std::optional<Duration> pause = ParsePause(pauseText, locale_);
        // "!" is the program's own mark of a number without a start, no pause the operator typed.
        check.pauseUnreadable = !pause && !IsBlankText(pauseText) && StartNumberKey(pauseText) != "!";
        check.faultsUnreadable = !ReadFaultPoints(stopTimes_.Cells(kStopFaults, r), locale_);
        const std::string_view key = StartNumberKey(nr);
        if (key.empty()) {
            continue;
        }
        check.unknownNumber = riders.Find(key) < 0;
        check.finishTwice = finishes[key] > 1;
        const int start = starts.Find(key);
        if (start > 0 && pause) {
            const std::int64_t ride =
                RideMilliseconds(startTimes_.Cells(kStartTime, start), stopTimes_.Cells(kStopTime, r));
            check.negativeNet = ride > 0 && *pause > ride;
        }
    }
}

} // namespace vandoret
