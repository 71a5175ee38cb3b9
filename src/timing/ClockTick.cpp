// The 100 ms tick's clock and countdown to the selected rider's planned start with the ready
// signal and the automatic start. Also the shift of the remaining planned starts.
#include <string>

#include "grid/ListColumns.h"
#include "timing/Countdown.h"
#include "timing/Registrations.h"

namespace vandoret {

void Registrations::Tick(TimeOfDay now) {
    WatchClock(now);
    StaticText1 = FormatClock(now, ClockForm::HhNnSs, locale_);

    // Once armed, the counter stays at "00:00" until the start has been taken.
    if (PlannedStart >= 0 && CounterOn && !host_.Timer5sekRunning()) {
        TextCounterTime = CountdownText(PlannedStart, now, locale_);
        if (CountdownShows(TextCounterTime, 5, locale_)) {
            PlaySoundFile(ReadySoundFile);
            if (!StartContactFree) {
                ImageLSClick(LockIndicator::Start);
            }
        } else if (CountdownShows(TextCounterTime, 0, locale_)) {
            host_.StartTimer5sek();
            armedNumber_ = startList_.cbNr.Text();
            armedPlanned_ = PlannedStart;
        }
    }
    UpdateWarnings(now);
}

void Registrations::Timer5sekTimer() {
    if (startList_.cbNr.ItemIndex < 0) {
        return; // an automatic start belongs to a rider
    }
    automaticStart_ = true;
    RegisterStart();
    automaticStart_ = false;
}

void Registrations::ShiftStartTimes() {
    TSortGrid& list = startList_.SortGrid1;
    TimeOfDay t = host_.CurrentTimeOfDay() + kOneMinute;
    const TimeOfDay step = static_cast<double>(settings_.StartInt) / 24.0 / 60.0;
    for (int r = list.Row(); r < list.RowCount(); ++r) {
        list.SetCell(kListPlanned, r, FormatClock(t, ClockForm::HhNn, locale_));
        t += step;
    }
    SelectRider(0);
    UpdateRemainingCounters();
    FindSharedPlannedStarts();
}

} // namespace vandoret
