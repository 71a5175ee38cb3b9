// The warnings of the status bar beside the journal's: a step of the wall clock, a late rider
// whose start contact is locked, a number started twice, riders sharing a planned start.
#include "timing/Warnings.h"

#include "base/NumberText.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <unordered_set>
#include <vector>

#include "base/BlankText.h"
#include "grid/ListColumns.h"
#include "timing/Registrations.h"

namespace vandoret {
namespace {

constexpr std::int64_t kClockStepMs = 500; // a smaller difference is the tick's own jitter
constexpr const char* kLateLocked = "Start-Kontakt gesperrt – F11 gibt frei";

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool HoldsStart(const TSortGrid& grid, int row) {
    return !IsBlankText(grid.Cells(kStartNr, row)) && !IsBlankText(grid.Cells(kStartTime, row));
}

// "+10,0 s", "-1:00:00,0"
std::string StepSize(std::int64_t size, const Locale& locale) {
    const auto amount = static_cast<Duration>(std::min<std::int64_t>(std::llabs(size), kRideDayMs));
    return (size < 0 ? "-" : "+") + FormatDuration(amount, locale) + (amount < 60'000 ? " s" : "");
}

} // namespace

bool SharesPlannedStart(const TSortGrid& startList, int row) {
    const std::string planned = Trimmed(startList.Cells(kListPlanned, row));
    if (row < 1 || planned.empty()) {
        return false;
    }
    for (int r = 1; r < startList.RowCount(); ++r) {
        if (r != row && Trimmed(startList.Cells(kListPlanned, r)) == planned) {
            return true;
        }
    }
    return false;
}

RepeatedStart StartRepetition(const TSortGrid& startTimes, int row) {
    if (row < 1 || !HoldsStart(startTimes, row)) {
        return RepeatedStart::None;
    }
    const std::string& number = startTimes.Cells(kStartNr, row);
    bool later = false;
    for (int r = 1; r < startTimes.RowCount(); ++r) {
        if (r != row && HoldsStart(startTimes, r) && SameStartNumber(startTimes.Cells(kStartNr, r), number)) {
            if (r < row) {
                return RepeatedStart::Later;
            }
            later = true;
        }
    }
    return later ? RepeatedStart::First : RepeatedStart::None;
}

std::string NumberStartedTwice(const TSortGrid& startTimes) {
    std::unordered_set<std::string> seen;
    for (int r = 1; r < startTimes.RowCount(); ++r) {
        if (HoldsStart(startTimes, r) &&
            !seen.insert(std::string(StartNumberKey(startTimes.Cells(kStartNr, r)))).second) {
            return startTimes.Cells(kStartNr, r);
        }
    }
    return {};
}

void Registrations::WatchClock(TimeOfDay now) {
    const std::int64_t wall = ToMilliseconds(now);
    const std::int64_t steady = host_.SteadyMilliseconds();
    if (clockSeen_) {
        // What the wall clock moved beyond the steady clock, midnight taken out.
        std::int64_t jump = ((wall - lastWallMs_) - (steady - lastSteadyMs_)) % kRideDayMs;
        if (jump > kRideHalfDayMs) {
            jump -= kRideDayMs;
        } else if (jump <= -kRideHalfDayMs) {
            jump += kRideDayMs;
        }
        if (std::llabs(jump) >= kClockStepMs) {
            ClockStepped(ClockStep{wall, jump});
        }
    }
    clockSeen_ = true;
    lastWallMs_ = wall;
    lastSteadyMs_ = steady;
}

void Registrations::ClockStepped(const ClockStep& step) {
    results_.ClockSteps.push_back(step);
    if (journal) {
        journal->ClockStepped(step);
    }
    clockStepNotice_ = "Uhr um " + StepSize(step.size, locale_) + " verstellt (" +
                       FormatClock(static_cast<double>(step.at) / kRideDayMs, ClockForm::HhNnSs, locale_) +
                       "): Fahrten darüber sind korrigiert und mit „Uhr“ markiert – bitte prüfen";
    UpdateJournalNotice();
}

void Registrations::UpdateWarnings(TimeOfDay now) {
    const bool late = startList_.cbNr.ItemIndex >= 0 && PlannedStart >= 0 &&
                      ToMilliseconds(PlannedStart) < ToMilliseconds(now) && !host_.Timer5sekRunning();
    lateLockNotice_ = late && !StartContactFree ? kLateLocked : "";
    const std::string twice = NumberStartedTwice(SortGrid2);
    secondStartNotice_ = twice.empty() ? std::string()
                                       : "Nr. " + twice +
                                             " zweimal gestartet: gewertet wird die erste Startzeit – eine falsche "
                                             "löschen (Strg+0) oder korrigieren (Umschalt+F7)";
    UpdateHoldNotice(now);
    UpdateJournalNotice();
}

void Registrations::FindSharedPlannedStarts() {
    const TSortGrid& list = startList_.SortGrid1;
    std::map<std::string, std::vector<std::string>> numbers; // planned start -> its riders
    std::vector<std::string> order;                          // the planned starts in list order
    for (int r = 1; r < list.RowCount(); ++r) {
        const std::string planned = Trimmed(list.Cells(kListPlanned, r));
        if (!planned.empty()) {
            std::vector<std::string>& riders = numbers[planned];
            if (riders.empty()) {
                order.push_back(planned);
            }
            riders.push_back(list.Cells(kListNr, r));
        }
    }
    sharedPlannedNotice_.clear();
    int more = 0;
    for (const std::string& planned : order) {
        const std::vector<std::string>& riders = numbers[planned];
        if (riders.size() < 2) {
            continue;
        }
        if (!sharedPlannedNotice_.empty()) {
            ++more;
            continue;
        }
        sharedPlannedNotice_ = "Gleiche Startzeit " + planned + ": Nr. ";
        for (std::size_t k = 0; k < riders.size(); ++k) {
            sharedPlannedNotice_ += (k > 0 ? ", " : "") + riders[k];
        }
    }
    if (!sharedPlannedNotice_.empty()) {
        sharedPlannedNotice_ += more > 0 ? " (und " + std::to_string(more) + " weitere)" : "";
        sharedPlannedNotice_ += " – nach dem ersten die weiteren mit F4 starten";
    }
    UpdateJournalNotice();
}

} // namespace vandoret
