// The results list: built from the start list, the start times and the stop times, then ranked.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/NumberText.h"
#include "base/RideTime.h"
#include "grid/ListColumns.h"
#include "grid/SortCompare.h"
#include "grid/StartNumbers.h"
#include "grid/TextCompare.h"
#include "results/ResultsList.h"

namespace vandoret {
namespace {

std::string WithSeparator(std::string text, char decimalSeparator) {
    for (char& c : text) {
        if (c == '.') {
            c = decimalSeparator;
        }
    }
    return text;
}

// The general floating-point form: at most 15 significant digits, no trailing zeros, the
// locale's decimal separator; very large or small values as 1,5E20 or 1E-7.
std::string FormatGeneral(double value, const Locale& locale) {
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    if (ec != std::errc()) {
        return "0";
    }
    std::string text(buffer, end);
    const std::size_t e = text.find('e');
    if (e != std::string::npos) {
        std::string exponent = text.substr(e + 1);
        const bool negative = !exponent.empty() && exponent.front() == '-';
        if (!exponent.empty() && (exponent.front() == '+' || exponent.front() == '-')) {
            exponent.erase(0, 1);
        }
        exponent.erase(0, std::min(exponent.find_first_not_of('0'), exponent.size() - 1));
        text = text.substr(0, e) + "E" + (negative ? "-" : "") + exponent;
    }
    return WithSeparator(std::move(text), locale.decimalSeparator);
}

// "%1.1f" with the locale's decimal separator. Halves are rounded away from zero, as the
// platform's formatter does: 0.25 points are "0,3", not the "0,2" of round-half-even.
// (A double is exactly halfway between two tenths only at x.25 and x.75.)
std::string FormatOneDecimal(double value, const Locale& locale) {
    const double quarters = std::fabs(value) * 4.0; // exact: a power of two
    if (std::isfinite(quarters) && quarters == std::floor(quarters) && std::fmod(quarters, 2.0) == 1.0) {
        value = std::nextafter(value, value < 0 ? -HUGE_VAL : HUGE_VAL);
    }
    char buffer[400];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
    if (ec != std::errc()) {
        return std::string{'0', locale.decimalSeparator, '0'};
    }
    return WithSeparator(std::string(buffer, end), locale.decimalSeparator);
}

} // namespace

namespace {

// The results built from the start list, start times and stop times into `results`; the time
// points of each ride go to the "EZ-Pkt." cells of `stops` (the stop list itself or a copy of it).
// A finish whose number has a start but is no longer in the start list gives a row with the
// number and no name; each row without a place carries its tag.
void BuildResultsInto(const TSortGrid& riderList, const TSortGrid& startTimes, TSortGrid& stops,
                      const Settings& settings, const Locale& locale, const std::vector<ClockStep>& clockSteps,
                      TSortGrid& results) {
    results.SetRowCount(2);
    results.BlankRow(1);

    const StartNumberIndex riders(riderList, kListNr);
    const StartNumberIndex starts(startTimes, kStartNr);
    const Duration allowed = settings.AllowedTime;
    // A penalty interval of 0 or less would divide by zero: it counts as one second.
    const double interval = settings.StrafSek > 0 ? settings.StrafSek : 1;

    for (int i = 1; i < stops.RowCount(); ++i) {
        const std::string_view nr = StartNumberKey(stops.Cells(kStopNr, i));
        if (nr.empty()) {
            continue;
        }
        const int r1 = riders.Find(nr);
        const int r2 = starts.Find(nr);
        if (r2 < 0) {
            continue; // no start: "!" in "Pausen" says so
        }
        const RideTime measured = MeasureRide(ParseDuration(startTimes.Cells(kStartTime, r2)),
                                              ParseDuration(stops.Cells(kStopTime, i)), clockSteps);
        const std::int64_t ride = measured.ms;
        // A blank pause is none; one that does not read counts none and is marked in the stop list.
        const std::int64_t pause = ParsePause(stops.Cells(kStopPause, i), locale).value_or(0);
        if (ride <= 0) {
            stops.SetCell(kStopTimePoints, i, "!!!");
            continue;
        }
        double timePoints = 0.0;
        if (ride > allowed) {
            // Complete intervals in the excess plus one: every commenced interval counts.
            const double over = static_cast<double>(ride - allowed);
            const auto units = static_cast<std::int64_t>(std::trunc(over / 1000.0 / interval + 1.0));
            timePoints = static_cast<double>(units) * settings.StrafPkt;
            stops.SetCell(kStopTimePoints, i, FormatGeneral(timePoints, locale));
        } else {
            stops.SetCell(kStopTimePoints, i, "0");
        }

        if (!results.IsBlankRow(results.RowCount() - 1)) {
            results.AddRow();
        }
        const int target = results.RowCount() - 1;
        if (r1 > 0) {
            for (int col = 1; col <= 5; ++col) {
                results.SetCell(col, target, riderList.Cells(col, r1));
            }
        } else {
            results.SetCell(kResultNr, target, std::string(nr));
        }
        // A pause longer than the ride gives a negative net time, written "-" and its amount.
        const std::int64_t net = ride - pause;
        results.SetCell(kResultTime, target, FormatDuration(static_cast<Duration>(net), locale));
        // Fault points that do not read count none and are marked in the stop list.
        const double faults = ReadFaultPoints(stops.Cells(kStopFaults, i), locale).value_or(0.0);
        results.SetCell(kResultPoints, target, FormatOneDecimal(faults + timePoints, locale));
        // A ride time taken from a hand time carries the mark ("H" beside the time).
        results.SetRowMarked(target, startTimes.RowMarked(r2) || stops.RowMarked(i));
        results.SetRowNoted(target, measured.acrossStep); // "Uhr" beside the time
        results.SetRowTag(target, net < 0 ? kResultNegativeNet : r1 < 0 ? kResultUnknownNumber : kResultRanked);
    }
}

// The rows without a place, taken from wherever the sort put them, go behind the ranked ones in
// the order of their tags, each group by number.
void MoveUnplacedBehind(TSortGrid& results) {
    std::vector<int> ranked, unplaced;
    for (int r = 1; r < results.RowCount(); ++r) {
        (results.RowTag(r) == kResultRanked ? ranked : unplaced).push_back(r);
    }
    if (unplaced.empty()) {
        return;
    }
    const auto byNumber = [&results](int a, int b) {
        if (results.RowTag(a) != results.RowTag(b)) {
            return results.RowTag(a) < results.RowTag(b);
        }
        const std::string& na = results.Cells(kResultNr, a);
        const std::string& nb = results.Cells(kResultNr, b);
        const auto va = ParseWholeNumber(na);
        const auto vb = ParseWholeNumber(nb);
        if (va.has_value() != vb.has_value()) {
            return va.has_value(); // numbers before other texts
        }
        return va && *va != *vb ? *va < *vb : na < nb;
    };
    std::stable_sort(unplaced.begin(), unplaced.end(), byNumber);
    ranked.insert(ranked.end(), unplaced.begin(), unplaced.end());
    std::vector<std::vector<std::string>> rows;
    struct Marks {
        bool marked, noted;
        int tag;
    };
    std::vector<Marks> marks;
    rows.reserve(ranked.size() + 1);
    const auto rowOf = [&results](int r) {
        std::vector<std::string> row;
        for (int c = 0; c < results.ColCount(); ++c) {
            row.push_back(results.Cells(c, r));
        }
        return row;
    };
    rows.push_back(rowOf(0));
    for (const int r : ranked) {
        rows.push_back(rowOf(r));
        marks.push_back({results.RowMarked(r), results.RowNoted(r), results.RowTag(r)});
    }
    results.AssignRows(std::move(rows));
    for (std::size_t k = 0; k < marks.size(); ++k) {
        results.SetRowMarked(static_cast<int>(k) + 1, marks[k].marked);
        results.SetRowNoted(static_cast<int>(k) + 1, marks[k].noted);
        results.SetRowTag(static_cast<int>(k) + 1, marks[k].tag);
    }
}

// Sorts on the results sort column and writes the places: equal times share the place.
void RankResultsIn(TSortGrid& results, int sortCol) {
    results.BeginUpdate();
    results.SortOnColumn(sortCol);
    MoveUnplacedBehind(results);
    std::string groupTime;
    int groupRow = 1;
    for (int r = 1; r < results.RowCount(); ++r) {
        if (results.RowTag(r) != kResultRanked) {
            results.SetCell(kResultPlace, r, "");
            continue;
        }
        const std::string& time = results.Cells(kResultTime, r);
        if (time != groupTime) {
            groupTime = time;
            groupRow = r;
        }
        results.SetCell(kResultPlace, r, std::to_string(groupRow));
    }
    results.EndUpdate();
}

} // namespace

std::int64_t RideMilliseconds(std::string_view startText, std::string_view stopText,
                              const std::vector<ClockStep>& clockSteps) {
    return MeasureRide(ParseDuration(startText), ParseDuration(stopText), clockSteps).ms;
}

ResultsList::ResultsList(const Settings& settings, const Locale& locale, const TSortGrid& startList,
                         const TSortGrid& startTimes, TSortGrid& stopTimes)
    : settings_(settings), locale_(locale), startList_(startList), startTimes_(startTimes), stopTimes_(stopTimes),
      checks_(locale, startList, startTimes, stopTimes) {
    WriteCaptions(SortGrid4, kResultsCaptions);
}

void ResultsList::BuildResults() {
    BuildResultsInto(startList_, startTimes_, stopTimes_, settings_, locale_, ClockSteps, SortGrid4);
}

void ResultsList::RankResults() {
    RankResultsIn(SortGrid4, startList_.SortOptions.SortCol); // the results sort column
}

TSortGrid ResultsList::RankedResultsCopy() const {
    TSortGrid stops = stopTimes_;  // the time points land in the copy, never in the stop list
    TSortGrid results = SortGrid4; // its captions and sort settings
    // The copy tells nobody about its updates: the window's list is not the one that changes.
    results.OnEndUpdate = nullptr;
    results.OnBusy = nullptr;
    results.OnMessage = nullptr;
    stops.OnEndUpdate = nullptr;
    stops.OnBusy = nullptr;
    stops.OnMessage = nullptr;
    BuildResultsInto(startList_, startTimes_, stops, settings_, locale_, ClockSteps, results);
    RankResultsIn(results, startList_.SortOptions.SortCol);
    return results;
}

void ResultsList::SortGrid4GetSortStyle(TSortGrid& sender, int col, TSortStyle& style) {
    switch (col) {
    case kResultPlace:
    case kResultNr:
    case kResultPoints:
        style = TSortStyle::ssNumeric;
        break;
    case kResultName:
    case kResultHorse:
    case kResultClub:
    case kResultTown:
        style = TSortStyle::ssNormal;
        break;
    case kResultTime:
        style = TSortStyle::ssCustom;
        sender.SortOptions.CustomCompare = CompareDurationText;
        break;
    default:
        break;
    }
}

} // namespace vandoret
