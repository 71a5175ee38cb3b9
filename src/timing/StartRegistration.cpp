// A start (F4, the "START [F4]" label, the start contact or the automatic start), the choice of a
// rider in the number list, and the rows new starts and finishes go into.
#include <string>
#include <vector>

#include "base/BlankText.h"
#include "grid/ListColumns.h"
#include "timing/Countdown.h"
#include "timing/Registrations.h"

namespace vandoret {

Registrations::Registrations(Host& host, Settings& settings, const Locale& locale, StartList& startList,
                             ResultsList& results)
    : host_(host), settings_(settings), locale_(locale), startList_(startList), results_(results) {
    WriteCaptions(SortGrid2, kStartTimesCaptions);
    WriteCaptions(SortGrid3, kStopTimesCaptions);
}

int Registrations::NewStartRow() {
    TSortGrid& grid = SortGrid2;
    int row = grid.RowCount() - 1;
    if (!grid.IsBlankRow(row)) {
        row = grid.AddRow();
    }
    grid.SetRow(row);
    grid.SetCell(kStartRowNr, row, std::to_string(row) + ".");
    return row;
}

int Registrations::NewFinishRow() {
    TSortGrid& grid = SortGrid3;
    if (!IsBlankText(grid.Cells(kStopRowNr, grid.RowCount() - 1))) {
        grid.AddRow();
    }
    const int row = grid.RowCount() - 1;
    grid.BlankRow(row);
    grid.SetCell(kStopRowNr, row, std::to_string(row) + ".");
    return row;
}

void Registrations::NextRider() {
    NumberList& cbNr = startList_.cbNr;
    if (cbNr.ItemIndex >= cbNr.Count() - 1) {
        cbNr.ItemIndex = -1;
    } else {
        cbNr.ItemIndex = cbNr.ItemIndex < 0 ? 0 : cbNr.ItemIndex + 1;
    }
}

void Registrations::CancelAutoStart() {
    if (host_.Timer5sekRunning()) {
        host_.StopTimer5sek();
    }
}

void Registrations::RegisterStart() {
    // The host's clock, or the moment of the line change when a contact takes the start.
    const TimeOfDay now = ClockNow();

    // A start taken by hand or by the contact cancels a pending automatic start.
    CancelAutoStart();

    if (cbAutoStart()) {
        const int row = NewStartRow();
        SortGrid2.SetCell(kStartTime, row, FormatClock(now, ClockForm::HhNnSsZ, locale_));
        SortGrid2.SetCell(kStartNr, row, startList_.cbNr.Text());
        // The row of an automatic start says so: under the rules its ride counts from the plan.
        SortGrid2.SetRowNoted(row, automaticStart_);
        if (journal) {
            journal->RowChanged(JournalEvent::Start, JournalList::StartTimes, row);
        }
        PlaySoundFile(StartSoundFile);
    }

    NextRider();
    if (StartContactFree) {
        ImageLSClick(LockIndicator::Start);
    }
    cbNrChange();
    UpdateRemainingCounters();
    UpdateWarnings(now); // a number started twice is named at once
}

void Registrations::SelectRider(int index) {
    NumberList& cbNr = startList_.cbNr;
    cbNr.ItemIndex = index >= 0 && index < cbNr.Count() ? index : -1;
    cbNrChange();
}

void Registrations::cbNrChange() {
    const NumberList& cbNr = startList_.cbNr;
    TSortGrid& list = startList_.SortGrid1;
    if (cbNr.ItemIndex < 0 || cbNr.ItemIndex >= cbNr.Count()) {
        TextStartTime.clear();
        return;
    }
    // Each step below may end the operation; what the steps before it did remains.
    const int r = cbNr.ItemIndex + 1;
    Edit1 = list.Cells(kListName, r);
    if (r >= list.RowCount()) {
        return; // the start list has no such row
    }
    list.SetRow(r);
    list.SetTopRow(r);

    // The list holds hours and minutes; the seconds are added with the separator the cell uses
    // (':' in generated lists), else with the locale's, so the text reads back as a planned start.
    const std::string& cell = list.Cells(kListPlanned, r);
    const char separator = cell.find(locale_.timeSeparator) == std::string::npos && cell.find(':') != std::string::npos
                               ? ':'
                               : locale_.timeSeparator;
    TextStartTime = cell + separator + "00";
    const auto planned = ParsePlannedStart(TextStartTime, locale_);
    if (!planned) {
        return;
    }
    const TimeOfDay now = host_.CurrentTimeOfDay();
    TextStartTimeColor = ToMilliseconds(*planned) < ToMilliseconds(now) ? TextColor::Red : TextColor::Lime;
    PlannedStart = *planned;

    const int numberRow = list.FindRowByText(kListNr, cbNr.Text(), false);
    if (numberRow < 0) {
        return;
    }
    list.SetRow(numberRow);
    TextCounterTime = CountdownText(PlannedStart, now, locale_);
}

namespace {

// "Startnummer 12 doppelt in der Startliste – bitte Liste berichtigen" (several: "Startnummern
// 12, 14 doppelt ..."); empty when every number is given once.
std::string NumbersTwiceNotice(const std::vector<std::string>& numbers) {
    if (numbers.empty()) {
        return {};
    }
    std::string text = numbers.size() == 1 ? "Startnummer " : "Startnummern ";
    for (std::size_t k = 0; k < numbers.size(); ++k) {
        text += (k == 0 ? "" : ", ") + numbers[k];
    }
    return text + " doppelt in der Startliste – bitte Liste berichtigen";
}

} // namespace

void Registrations::ListLoaded() {
    numbersTwice_ = NumbersTwiceNotice(results_.Checks().NumbersTwiceInStartList());
    UpdateJournalNotice();
    cbNrChange();
    // The rewrite took the armed rider away, or moved the rider's planned start: that rider's
    // automatic start is not taken for another.
    if (host_.Timer5sekRunning() && (startList_.cbNr.Text() != armedNumber_ || PlannedStart != armedPlanned_)) {
        CancelAutoStart();
    }
    FindSharedPlannedStarts();
    if (RecordedStarts() > 0) {
        // A rewrite while the competition runs: the riders already started do not count.
        SetRemainingCounters();
    } else {
        LabOstalosStart = std::to_string(startList_.cbNr.Count());
    }
}

} // namespace vandoret
