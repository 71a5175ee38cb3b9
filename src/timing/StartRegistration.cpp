// A start (F4, the "START [F4]" label, the start contact or the automatic start), the choice of a
// rider in the number list and the search for the next planned start.
#include <cstdint>
#include <string>

#include "timing/Countdown.h"
#include "timing/Timekeeper.h"

namespace vandoret {

void Timekeeper::RegisterStart() {
    // The host's clock, or the moment of the line change when a contact takes the start.
    const TimeOfDay now = ClockNow();

    // A start taken by hand or by the contact cancels a pending automatic start.
    if (host().Timer5sekRunning()) {
        host().StopTimer5sek();
    }

    if (cbAutoStart()) {
        TSortGrid& grid = SortGrid2;
        int last = grid.RowCount() - 1;
        if (!grid.IsBlankRow(last)) {
            last = grid.AddRow();
        }
        grid.SetRow(last);
        grid.SetCell(0, last, std::to_string(last) + ".");
        grid.SetCell(1, last, FormatClock(now, ClockForm::HhNnSsZ, locale()));
        grid.SetCell(2, last, cbNr.Text());
        if (journal) {
            journal->RowChanged(JournalEvent::Start, JournalList::StartTimes, last);
        }
        PlaySoundFile(StartSoundFile);
    }

    // On to the next rider; after the last one nothing is selected, and from nothing the first
    // rider is selected.
    if (cbNr.ItemIndex >= cbNr.Count() - 1) {
        cbNr.ItemIndex = -1;
    } else {
        cbNr.ItemIndex = cbNr.ItemIndex < 0 ? 0 : cbNr.ItemIndex + 1;
    }

    if (StartContactFree) {
        ImageLSClick(LockIndicator::Start);
    }
    cbNrChange();
    UpdateRemainingCounters();
}

void Timekeeper::SelectRider(int index) {
    cbNr.ItemIndex = index >= 0 && index < cbNr.Count() ? index : -1;
    cbNrChange();
}

void Timekeeper::cbNrChange() {
    if (cbNr.ItemIndex < 0 || cbNr.ItemIndex >= cbNr.Count()) {
        TextStartTime.clear();
        return;
    }
    // Each step below may end the operation; what the steps before it did remains.
    const int r = cbNr.ItemIndex + 1;
    Edit1 = SortGrid1.Cells(2, r);
    if (r >= SortGrid1.RowCount()) {
        return; // the start list has no such row
    }
    SortGrid1.SetRow(r);
    SortGrid1.SetTopRow(r);

    // The list holds hours and minutes; the seconds are added with the separator the cell uses
    // (':' in generated lists), else with the locale's, so the text reads back as a planned start.
    const std::string& cell = SortGrid1.Cells(0, r);
    const char separator = cell.find(locale().timeSeparator) == std::string::npos && cell.find(':') != std::string::npos
                               ? ':'
                               : locale().timeSeparator;
    TextStartTime = cell + separator + "00";
    const auto planned = ParsePlannedStart(TextStartTime, locale());
    if (!planned) {
        return;
    }
    const TimeOfDay now = host().CurrentTimeOfDay();
    TextStartTimeColor = ToMilliseconds(*planned) < ToMilliseconds(now) ? TextColor::Red : TextColor::Lime;
    PlannedStart = *planned;

    const int numberRow = SortGrid1.FindRowByText(1, cbNr.Text(), false);
    if (numberRow < 0) {
        return;
    }
    SortGrid1.SetRow(numberRow);
    TextCounterTime = CountdownText(PlannedStart, now, locale());
}

int Timekeeper::FindNextPlannedStart() {
    // Whole milliseconds, so that a planned time exactly one second ago is reliably left out.
    const std::int64_t ref = ToMilliseconds(host().CurrentTimeOfDay()) - 1000;
    std::int64_t best = 86'400'000;
    int result = -1;
    for (int r = 1; r < SortGrid1.RowCount(); ++r) {
        const auto planned = ParsePlannedStart(SortGrid1.Cells(0, r), locale());
        if (!planned) {
            continue;
        }
        const std::int64_t diff = ToMilliseconds(*planned) - ref;
        if (diff > 0 && diff < best) {
            best = diff;
            result = r - 1;
        }
    }
    return result;
}

} // namespace vandoret
