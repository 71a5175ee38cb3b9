// Hand times: entering a start or finish by hand and correcting a recorded one (F7, Shift+F7).
#include "timing/HandTimes.h"

#include <cstdint>
#include <string>

#include "base/BlankText.h"
#include "base/NumberText.h"
#include "base/RideTime.h"
#include "grid/ListColumns.h"
#include "grid/StartNumbers.h"
#include "timing/Registrations.h"

namespace vandoret {
namespace {

// "Startzeit"/"Stoppzeit" and "St.Nr." are the same columns in both lists.
static_assert(kStartTime == kStopTime && kStartNr == kStopNr);
constexpr int kColTime = kStartTime, kColNumber = kStartNr;

constexpr const char* kBadTime = "Keine gültige Uhrzeit: bitte als hh:mm:ss,z eingeben.";
constexpr const char* kNoReason = "Bitte einen Grund angeben.";
constexpr const char* kNoNumber = "Für eine Startzeit bitte die Startnummer angeben.";
constexpr const char* kRowGone = "Die Zeile ist nicht mehr in der Liste: nichts geändert.";
constexpr const char* kNotInStartList = "Nummer nicht in der Startliste — trotzdem eintragen?";

std::string_view Trim(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') {
        text.remove_suffix(1);
    }
    return text;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads `count` digits (at least `min`) from the front of text.
std::optional<int> TakeDigits(std::string_view& text, std::size_t min, std::size_t max) {
    std::size_t n = 0;
    int value = 0;
    while (n < max && n < text.size() && IsDigit(text[n])) {
        value = value * 10 + (text[n] - '0');
        ++n;
    }
    if (n < min) {
        return std::nullopt;
    }
    text.remove_prefix(n);
    return value;
}

bool TakeSeparator(std::string_view& text, char a, char b) {
    if (text.empty() || (text.front() != a && text.front() != b)) {
        return false;
    }
    text.remove_prefix(1);
    return true;
}

HandTimeResult Refused(std::string message, HandTimeField field) {
    return HandTimeResult{false, std::move(message), field};
}

} // namespace

std::optional<TimeOfDay> ParseHandTime(std::string_view text, const Locale& locale) {
    text = Trim(text);
    const auto hours = TakeDigits(text, 1, 2);
    if (!hours || !TakeSeparator(text, locale.timeSeparator, ':')) {
        return std::nullopt;
    }
    const auto minutes = TakeDigits(text, 2, 2);
    if (!minutes || !TakeSeparator(text, locale.timeSeparator, ':')) {
        return std::nullopt;
    }
    const auto seconds = TakeDigits(text, 2, 2);
    if (!seconds) {
        return std::nullopt;
    }
    int tenth = 0;
    if (TakeSeparator(text, ',', locale.decimalSeparator)) {
        const auto digit = TakeDigits(text, 1, 1);
        if (!digit) {
            return std::nullopt;
        }
        tenth = *digit;
    }
    if (!text.empty() || *hours > 23 || *minutes > 59 || *seconds > 59) {
        return std::nullopt;
    }
    return MakeTimeOfDay(*hours, *minutes, *seconds, tenth * 100);
}

HandTimeEntry Registrations::NewHandTime(int tab) {
    HandTimeEntry entry;
    entry.kind = tab == kTabStartList || tab == kTabStartTimes ? HandTimeKind::Start : HandTimeKind::Finish;
    entry.time = FormatClock(host_.CurrentTimeOfDay(), ClockForm::HhNnSsZ, locale_);
    return entry;
}

std::optional<HandTimeEntry> Registrations::CorrectHandTime(int tab) {
    if (tab != kTabStartTimes && tab != kTabStopTimes) {
        return std::nullopt;
    }
    const TSortGrid& grid = tab == kTabStartTimes ? SortGrid2 : SortGrid3;
    const int row = grid.Row();
    if (IsBlankText(grid.Cells(kColTime, row))) {
        return std::nullopt; // no time to correct
    }
    HandTimeEntry entry;
    entry.kind = tab == kTabStartTimes ? HandTimeKind::Start : HandTimeKind::Finish;
    entry.row = row;
    entry.oldTime = grid.Cells(kColTime, row);
    entry.oldNumber = grid.Cells(kColNumber, row);
    entry.time = entry.oldTime;
    entry.number = entry.oldNumber;
    return entry;
}

std::optional<HandTimeResult> Registrations::RefuseHandTime(const HandTimeEntry& entry, const std::string& number,
                                                            const std::string& reason, std::optional<TimeOfDay> time) {
    const bool start = entry.kind == HandTimeKind::Start;
    if (!time) {
        return Refused(kBadTime, HandTimeField::Time);
    }
    if (start && number.empty()) {
        return Refused(kNoNumber, HandTimeField::Number);
    }
    if (reason.empty()) {
        return Refused(kNoReason, HandTimeField::Reason);
    }
    const std::int64_t ms = ToMilliseconds(*time);
    if (!number.empty() && !start) {
        const int startRow = FindStartNumberRow(SortGrid2, kStartNr, number);
        const std::string& startText = SortGrid2.Cells(kStartTime, startRow);
        if (startRow > 0 && !IsBlankText(startText) && MeasureRide(ParseDuration(startText), ms).ms <= 0) {
            return Refused("Die Zielzeit liegt nicht nach der Startzeit von Nr. " + number + " (" + startText + ").",
                           HandTimeField::Time);
        }
    }
    if (!number.empty() && start) {
        for (int r = 1; r < SortGrid3.RowCount(); ++r) {
            const std::string& finishText = SortGrid3.Cells(kStopTime, r);
            if (SameStartNumber(SortGrid3.Cells(kStopNr, r), number) && !IsBlankText(finishText) &&
                MeasureRide(ms, ParseDuration(finishText)).ms <= 0) {
                return Refused("Die Startzeit liegt nicht vor der Zielzeit von Nr. " + number + " (" + finishText +
                                   ").",
                               HandTimeField::Time);
            }
        }
    }
    return std::nullopt;
}

bool Registrations::ConfirmHandTimeNumber(const HandTimeEntry& entry, const std::string& number) {
    const bool numberChanged = !entry.Correction() || !SameStartNumber(number, entry.oldNumber);
    if (number.empty() || !numberChanged) {
        return true;
    }
    if (FindStartNumberRow(startList_.SortGrid1, kListNr, number) < 0 && !host_.AskYesNo(kNotInStartList)) {
        return false;
    }
    if (entry.kind == HandTimeKind::Start) {
        // A second start of one number: the results keep using the first.
        const bool started = FindStartNumberRow(SortGrid2, kStartNr, number) >= 0;
        return !started || host_.AskYesNo("Nummer " + number + " hat schon eine Startzeit — trotzdem eintragen?");
    }
    // A finish for a number that has one already would rank the rider twice.
    return AskSecondFinish(number, entry.Correction() ? CorrectedRow(SortGrid3, entry) : 0);
}

int Registrations::CorrectedRow(const TSortGrid& grid, const HandTimeEntry& entry) const {
    const auto holds = [&](int r) {
        return grid.Cells(kColTime, r) == entry.oldTime && grid.Cells(kColNumber, r) == entry.oldNumber;
    };
    if (entry.row < grid.RowCount() && holds(entry.row)) {
        return entry.row;
    }
    for (int r = 1; r < grid.RowCount(); ++r) {
        if (holds(r)) {
            return r;
        }
    }
    return 0;
}

HandTimeResult Registrations::ApplyHandTime(const HandTimeEntry& entry, bool resultsShown) {
    const bool start = entry.kind == HandTimeKind::Start;
    const std::string number(Trim(entry.number));
    const std::string reason(Trim(entry.reason));
    const auto time = ParseHandTime(entry.time, locale_);
    if (auto refused = RefuseHandTime(entry, number, reason, time)) {
        return *refused;
    }
    TSortGrid& grid = start ? SortGrid2 : SortGrid3;
    const int corrected = entry.Correction() ? CorrectedRow(grid, entry) : 0;
    if (entry.Correction() && corrected == 0) {
        return Refused(kRowGone, HandTimeField::None);
    }
    if (!ConfirmHandTimeNumber(entry, number)) {
        return Refused("", HandTimeField::Number);
    }
    const std::string text = FormatClock(*time, ClockForm::HhNnSsZ, locale_);
    const std::string oldTime = entry.Correction() ? grid.Cells(kColTime, corrected) : std::string();
    const std::string oldNumber = entry.Correction() ? grid.Cells(kColNumber, corrected) : std::string();
    const int row = entry.Correction() ? corrected : NewHandTimeRow(start);
    grid.SetCell(kColTime, row, text);
    grid.SetCell(kColNumber, row, number);
    grid.SetRowMarked(row, !entry.Correction() || text != oldTime || grid.RowMarked(row));
    if (grid.RowMarked(row)) {
        grid.SetRowNoted(row, false); // a time by hand is no automatic start any more
    }
    if (!start && !number.empty() && FindStartNumberRow(SortGrid2, kStartNr, number) < 0) {
        SortGrid3.SetCell(kStopPause, row, "!"); // as Enter in "St.Nr.": this rider has no start
    } else if (!start && !number.empty()) {
        NumberAssigned(row);
    }
    RebuildResults(resultsShown);
    if (journal) {
        journal->HandTime(start ? JournalList::StartTimes : JournalList::StopTimes, row, oldTime, oldNumber, reason);
    }
    if (!entry.Correction()) {
        AfterNewHandTime(start, row, text, number);
    }
    UpdateRemainingCounters();
    UpdateWarnings(host_.CurrentTimeOfDay());
    return HandTimeResult{true, "", HandTimeField::None};
}

int Registrations::NewHandTimeRow(bool start) {
    const int row = start ? NewStartRow() : NewFinishRow();
    (start ? SortGrid2 : SortGrid3).SetRow(row);
    return row;
}

void Registrations::RebuildResults(bool rank) {
    results_.BuildResults();
    if (rank) {
        results_.RankResults();
    }
}

void Registrations::AfterNewHandTime(bool start, int row, const std::string& text, const std::string& number) {
    // A hand start of the selected rider moves on as F4 does; with nothing selected the selection stays.
    if (start && startList_.cbNr.ItemIndex >= 0 && SameStartNumber(startList_.cbNr.Text(), number)) {
        CancelAutoStart();
        NextRider();
        if (StartContactFree) {
            ImageLSClick(LockIndicator::Start); // the next closing is not this rider's start
        }
        cbNrChange();
    }
    if (!start) {
        TextStopTime = text;
        SortGrid3.SetLeftCol(0);
        SortGrid3.SetSelection(GridRect{0, row, SortGrid3.ColCount() - 1, row});
    }
}

} // namespace vandoret
