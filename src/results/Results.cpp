// The results list: built from the start list, the start times and the stop times, then ranked.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <set>
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
#include "results/Rules.h"

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

// The planned start of a start list row in ms of the day, as the clock panel reads it.
std::optional<std::int64_t> PlannedMilliseconds(const TSortGrid& riderList, int row, const Locale& locale) {
    const std::string& cell = riderList.Cells(kListPlanned, row);
    const char separator = cell.find(locale.timeSeparator) == std::string::npos && cell.find(':') != std::string::npos
                               ? ':'
                               : locale.timeSeparator;
    const std::optional<TimeOfDay> planned = ParsePlannedStart(cell + separator + "00", locale);
    if (!planned) {
        return std::nullopt;
    }
    return ToMilliseconds(*planned);
}

// An automatic start fires a few seconds after the planned start it signals; a planned start
// further away was changed since, and the recorded moment stands.
constexpr std::int64_t kAutomaticStartReach = 60'000;

// The start a ride is measured from: the recorded moment, or under the rules the planned start
// for a start the program took automatically.
std::int64_t StartMilliseconds(const TSortGrid& riderList, int r1, const TSortGrid& startTimes, int r2,
                               const RuleValues& rules, const Locale& locale) {
    const std::int64_t recorded = ParseDuration(startTimes.Cells(kStartTime, r2));
    if (rules.set != RuleSet::ByRules || !startTimes.RowNoted(r2) || r1 < 0) {
        return recorded;
    }
    const std::optional<std::int64_t> planned = PlannedMilliseconds(riderList, r1, locale);
    if (!planned || recorded < *planned || recorded - *planned > kAutomaticStartReach) {
        return recorded;
    }
    return *planned;
}

void FillRider(TSortGrid& results, int target, const TSortGrid& riderList, int r1, std::string_view nr) {
    if (r1 > 0) {
        for (int col = 1; col <= 5; ++col) {
            results.SetCell(col, target, riderList.Cells(col, r1));
        }
    } else {
        results.SetCell(kResultNr, target, std::string(nr));
    }
}

int NewResultRow(TSortGrid& results) {
    if (!results.IsBlankRow(results.RowCount() - 1)) {
        results.AddRow();
    }
    return results.RowCount() - 1;
}

// The results built from the start list, start times and stop times into `results`; the time
// points of each ride go to the "EZ-Pkt." cells of `stops` (the stop list itself or a copy of it).
// A finish whose number has a start but is no longer in the start list gives a row with the
// number and no name; each row without a place carries its tag. A rider with a status gets one
// row with the status in "Punkte", with or without a finish.
void BuildResultsInto(const TSortGrid& riderList, const TSortGrid& startTimes, TSortGrid& stops,
                      const Settings& settings, const Locale& locale, const std::vector<ClockStep>& clockSteps,
                      const RideStatuses& statuses, TSortGrid& results) {
    results.SetRowCount(2);
    results.BlankRow(1);

    const StartNumberIndex riders(riderList, kListNr);
    const StartNumberIndex starts(startTimes, kStartNr);
    const RuleValues rules = RulesOf(settings);
    std::set<std::string, std::less<>> shown; // numbers with a status that have their row

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
        const RideTime measured = MeasureRide(StartMilliseconds(riderList, r1, startTimes, r2, rules, locale),
                                              ParseDuration(stops.Cells(kStopTime, i)), clockSteps);
        const std::int64_t ride = measured.ms;
        // A blank pause is none; one that does not read counts none and is marked in the stop list.
        const std::int64_t pause = ParsePause(stops.Cells(kStopPause, i), locale).value_or(0);
        if (ride <= 0) {
            stops.SetCell(kStopTimePoints, i, "!!!");
            continue;
        }
        const RideScore score = ScoreRide(rules, ride, pause);
        stops.SetCell(kStopTimePoints, i, score.timePoints != 0.0 ? FormatGeneral(score.timePoints, locale) : "0");

        const RideStatus status = statuses.Of(nr);
        if (status != RideStatus::None && !shown.emplace(nr).second) {
            continue; // the rider's status row is there already
        }
        const int target = NewResultRow(results);
        FillRider(results, target, riderList, r1, nr);
        // A pause longer than the ride gives a negative net time, written "-" and its amount.
        const std::int64_t net = ride - pause;
        results.SetCell(kResultTime, target, FormatDuration(static_cast<Duration>(net), locale));
        // Fault points that do not read count none and are marked in the stop list.
        const double faults = ReadFaultPoints(stops.Cells(kStopFaults, i), locale).value_or(0.0);
        int tag = net < 0 ? kResultNegativeNet : r1 < 0 ? kResultUnknownNumber : kResultRanked;
        if (status != RideStatus::None) {
            results.SetCell(kResultPoints, target, StatusText(status, settings.DisText));
            tag = kResultStatus;
        } else if (rules.set == RuleSet::ByRules && score.overLimit && tag == kResultRanked) {
            results.SetCell(kResultPoints, target, StatusText(RideStatus::Disqualified, settings.DisText));
            tag = kResultOverLimit;
        } else if (rules.set == RuleSet::ByRules) {
            const double points = faults + score.timePoints + score.speedPoints;
            results.SetCell(kResultPoints, target,
                            FormatPoints(points, PointDecimals(rules.set, rules.strafPkt, faults), locale));
        } else {
            results.SetCell(kResultPoints, target, FormatOneDecimal(faults + score.timePoints, locale));
        }
        // A ride time taken from a hand time carries the mark ("H" beside the time).
        results.SetRowMarked(target, startTimes.RowMarked(r2) || stops.RowMarked(i));
        results.SetRowNoted(target, measured.acrossStep); // "Uhr" beside the time
        results.SetRowTag(target, tag);
    }

    // The riders with a status and no finish: retired on the course, never started.
    for (const auto& [nr, status] : statuses.All()) {
        if (shown.count(nr) != 0) {
            continue;
        }
        const int target = NewResultRow(results);
        FillRider(results, target, riderList, riders.Find(nr), nr);
        results.SetCell(kResultPoints, target, StatusText(status, settings.DisText));
        results.SetRowTag(target, kResultStatus);
    }
}

// Puts the rows in the order given (row numbers of the data rows), marks and tags with them.
void ReorderRows(TSortGrid& results, const std::vector<int>& order) {
    std::vector<std::vector<std::string>> rows;
    struct Marks {
        bool marked, noted;
        int tag;
    };
    std::vector<Marks> marks;
    rows.reserve(order.size() + 1);
    const auto rowOf = [&results](int r) {
        std::vector<std::string> row;
        for (int c = 0; c < results.ColCount(); ++c) {
            row.push_back(results.Cells(c, r));
        }
        return row;
    };
    rows.push_back(rowOf(0));
    for (const int r : order) {
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

// The rows without a place go behind the ranked ones in the order of their tags, each group by
// number; the ranked ones keep the order they have, or under the rules are ordered by points,
// then by the distance of the ride time from the allowed time.
void OrderRows(TSortGrid& results, const RuleValues& rules, const Locale& locale) {
    std::vector<int> ranked, unplaced;
    for (int r = 1; r < results.RowCount(); ++r) {
        (results.RowTag(r) == kResultRanked ? ranked : unplaced).push_back(r);
    }
    if (rules.set == RuleSet::ByRules) {
        std::vector<std::pair<double, std::int64_t>> keys(static_cast<std::size_t>(results.RowCount()));
        for (const int r : ranked) {
            const std::optional<Duration> net = ParsePause(results.Cells(kResultTime, r), locale);
            keys[static_cast<std::size_t>(r)] = {ReadFaultPoints(results.Cells(kResultPoints, r), locale).value_or(0.0),
                                                 net ? std::llabs(*net - rules.allowed)
                                                     : std::numeric_limits<std::int64_t>::max()};
        }
        std::stable_sort(ranked.begin(), ranked.end(), [&keys](int a, int b) {
            return keys[static_cast<std::size_t>(a)] < keys[static_cast<std::size_t>(b)];
        });
    } else if (unplaced.empty()) {
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
    ReorderRows(results, ranked);
}

// Sorts on the results sort column (the rules: by points, then closest to the allowed time) and
// writes the places. Riders share a place only when equal on all the ranking compares: the points
// and the time, or under the rules the time's distance from the allowed time.
void RankResultsIn(TSortGrid& results, int sortCol, const RuleValues& rules, const Locale& locale) {
    results.BeginUpdate();
    if (rules.set == RuleSet::AsBefore) {
        results.SortOnColumn(sortCol);
    }
    OrderRows(results, rules, locale);
    const auto tieKey = [&](int r) {
        const std::string& time = results.Cells(kResultTime, r);
        if (rules.set == RuleSet::AsBefore) {
            return time;
        }
        const std::optional<Duration> net = ParsePause(time, locale);
        return net ? std::to_string(std::llabs(*net - rules.allowed)) : time;
    };
    std::string groupPoints, groupTie;
    int groupRow = 0;
    for (int r = 1; r < results.RowCount(); ++r) {
        if (results.RowTag(r) != kResultRanked) {
            results.SetCell(kResultPlace, r, "");
            continue;
        }
        std::string points = results.Cells(kResultPoints, r);
        std::string tie = tieKey(r);
        if (groupRow == 0 || points != groupPoints || tie != groupTie) {
            groupPoints = std::move(points);
            groupTie = std::move(tie);
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
    BuildResultsInto(startList_, startTimes_, stopTimes_, settings_, locale_, ClockSteps, Statuses, SortGrid4);
}

void ResultsList::RankResults() {
    // the results sort column
    RankResultsIn(SortGrid4, startList_.SortOptions.SortCol, RulesOf(settings_), locale_);
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
    BuildResultsInto(startList_, startTimes_, stops, settings_, locale_, ClockSteps, Statuses, results);
    RankResultsIn(results, startList_.SortOptions.SortCol, RulesOf(settings_), locale_);
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
