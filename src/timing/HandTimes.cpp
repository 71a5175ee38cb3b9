// Hand times: entering a start or finish by hand and correcting a recorded one (F7, Shift+F7).
#include "timing/HandTimes.h"

#include <cstdint>
#include <string>

#include "base/BlankText.h"
#include "timing/Timekeeper.h"

namespace vandoret {
namespace {

constexpr int kColRowNumber = 0, kColTime = 1, kColNumber = 2; // both lists
constexpr int kColPause = 3;                                   // "Pausen" of the stop list
constexpr int kColStartListNumber = 1;

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

HandTimeEntry Timekeeper::NewHandTime() {
    HandTimeEntry entry;
    entry.kind = ActiveTab == kTabStartList || ActiveTab == kTabStartTimes ? HandTimeKind::Start : HandTimeKind::Finish;
    entry.time = FormatClock(host().CurrentTimeOfDay(), ClockForm::HhNnSsZ, locale());
    return entry;
}

std::optional<HandTimeEntry> Timekeeper::CorrectHandTime() {
    if (ActiveTab != kTabStartTimes && ActiveTab != kTabStopTimes) {
        return std::nullopt;
    }
    const TSortGrid& grid = Grid(ActiveTab);
    const int row = grid.Row();
    if (IsBlankText(grid.Cells(kColTime, row))) {
        return std::nullopt; // no time to correct
    }
    HandTimeEntry entry;
    entry.kind = ActiveTab == kTabStartTimes ? HandTimeKind::Start : HandTimeKind::Finish;
    entry.row = row;
    entry.oldTime = grid.Cells(kColTime, row);
    entry.oldNumber = grid.Cells(kColNumber, row);
    entry.time = entry.oldTime;
    entry.number = entry.oldNumber;
    return entry;
}

HandTimeResult Timekeeper::ApplyHandTime(const HandTimeEntry& entry) {
    const bool start = entry.kind == HandTimeKind::Start;
    const std::string number(Trim(entry.number));
    const std::string reason(Trim(entry.reason));

    // ---- The checks: nothing changes until all have passed.
    const auto time = ParseHandTime(entry.time, locale());
    if (!time) {
        return Refused(kBadTime, HandTimeField::Time);
    }
    if (start && number.empty()) {
        return Refused(kNoNumber, HandTimeField::Number);
    }
    if (reason.empty()) {
        return Refused(kNoReason, HandTimeField::Reason);
    }
    const std::string text = FormatClock(*time, ClockForm::HhNnSsZ, locale());
    const std::int64_t ms = ToMilliseconds(*time);
    if (!number.empty() && !start) {
        // The start the results take for this rider: the first one recorded.
        const int startRow = SortGrid2.FindRowByText(kColNumber, number, false);
        const std::string& startText = SortGrid2.Cells(kColTime, startRow);
        if (startRow > 0 && !IsBlankText(startText) && ms <= ParseDuration(startText)) {
            return Refused("Die Zielzeit liegt nicht nach der Startzeit von Nr. " + number + " (" + startText + ").",
                           HandTimeField::Time);
        }
    }
    if (!number.empty() && start) {
        for (int r = 1; r < SortGrid3.RowCount(); ++r) {
            const std::string& finishText = SortGrid3.Cells(kColTime, r);
            if (SortGrid3.Cells(kColNumber, r) == number && !IsBlankText(finishText) &&
                ms >= ParseDuration(finishText)) {
                return Refused("Die Startzeit liegt nicht vor der Zielzeit von Nr. " + number + " (" + finishText +
                                   ").",
                               HandTimeField::Time);
            }
        }
    }
    TSortGrid& grid = start ? SortGrid2 : SortGrid3;
    int row = 0;
    if (entry.Correction()) {
        // The row as the dialog showed it; rows may have come or gone while it was open.
        const auto holds = [&](int r) {
            return grid.Cells(kColTime, r) == entry.oldTime && grid.Cells(kColNumber, r) == entry.oldNumber;
        };
        row = entry.row < grid.RowCount() && holds(entry.row) ? entry.row : 0;
        for (int r = 1; row == 0 && r < grid.RowCount(); ++r) {
            row = holds(r) ? r : 0;
        }
        if (row == 0) {
            return Refused(kRowGone, HandTimeField::None);
        }
    }
    const bool numberChanged = !entry.Correction() || number != entry.oldNumber;
    if (!number.empty() && numberChanged && SortGrid1.FindRowByText(kColStartListNumber, number, false) < 0 &&
        !host().AskYesNo(kNotInStartList)) {
        return Refused("", HandTimeField::Number);
    }

    // ---- The entry is sound: write it.
    const std::string oldTime = entry.Correction() ? grid.Cells(kColTime, row) : std::string();
    const std::string oldNumber = entry.Correction() ? grid.Cells(kColNumber, row) : std::string();
    if (!entry.Correction()) {
        // A new row as a registration makes it; a finish reuses the last row while its
        // "Kontakt-Nr." is empty, a start while the whole row is blank.
        row = grid.RowCount() - 1;
        if (start ? !grid.IsBlankRow(row) : !IsBlankText(grid.Cells(kColRowNumber, row))) {
            row = grid.AddRow();
        }
        grid.BlankRow(row);
        grid.SetRow(row);
        grid.SetCell(kColRowNumber, row, std::to_string(row) + ".");
    }
    grid.SetCell(kColTime, row, text);
    grid.SetCell(kColNumber, row, number);
    // Only a time typed or changed by hand is a hand time; a number corrected beside a key or
    // contact time leaves the time as it was taken (a row once marked stays marked).
    grid.SetRowMarked(row, !entry.Correction() || text != oldTime || grid.RowMarked(row));

    if (!start && !number.empty() && SortGrid2.FindRowByText(kColNumber, number, false) < 0) {
        SortGrid3.SetCell(kColPause, row, "!"); // as Enter in "St.Nr.": this rider has no start
    }
    BuildResults();
    if (ActiveTab == kTabResults) {
        RankResults();
    }
    if (journal) {
        journal->HandTime(start ? JournalList::StartTimes : JournalList::StopTimes, row, oldTime, oldNumber, reason);
    }

    if (!entry.Correction() && start && cbNr.ItemIndex >= 0 && cbNr.Text() == number) {
        // The selected rider has started: on to the next one, as F4 does.
        if (host().Timer5sekRunning()) {
            host().StopTimer5sek();
        }
        cbNr.ItemIndex = cbNr.ItemIndex >= cbNr.Count() - 1 ? -1 : cbNr.ItemIndex + 1;
        cbNrChange();
    }
    if (!entry.Correction() && !start) {
        TextStopTime = text;
        grid.SetLeftCol(0);
        grid.SetSelection(GridRect{0, row, grid.ColCount() - 1, row});
    }
    UpdateRemainingCounters();
    return HandTimeResult{true, "", HandTimeField::None};
}

} // namespace vandoret
