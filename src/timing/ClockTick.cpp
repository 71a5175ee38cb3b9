// The 100 ms tick: the clock, the countdown to the selected rider's planned start with the ready
// signal and the automatic start, and the watch on the start list file. Also the shift of the
// remaining planned starts.
#include <string>

#include "timing/Countdown.h"
#include "timing/Timekeeper.h"

namespace vandoret {

void Timekeeper::Timer1Timer() {
    const TimeOfDay now = host().CurrentTimeOfDay();
    StaticText1 = FormatClock(now, ClockForm::HhNnSs, locale());

    // Once armed, the counter stays at "00:00" until the start has been taken.
    if (PlannedStart >= 0 && CounterOn && !host().Timer5sekRunning()) {
        TextCounterTime = CountdownText(PlannedStart, now, locale());
        if (CountdownShows(TextCounterTime, 5, locale())) {
            PlaySoundFile(ReadySoundFile);
            if (!StartContactFree) {
                ImageLSClick(LockIndicator::Start);
            }
        } else if (CountdownShows(TextCounterTime, 0, locale())) {
            host().StartTimer5sek();
        }
    }

    WatchStartList();
    RetryJournal(now);
    JournalSelection();
}

void Timekeeper::WatchStartList() {
    if (!watchLooked_ && StartListWatchPath.empty()) {
        ResolveStartListPath(); // the first tick of the run, unless start-up did it
    }
    const FileSignature state = host().FileState(StartListWatchPath);
    if (state == watchLoaded_) {
        watchPending_.reset();
        watchLooked_ = true;
        return;
    }
    // A changed file is loaded once it has stayed the same for a tick; the first look of the run
    // does not wait.
    if (watchLooked_ && watchPending_ != state) {
        watchPending_ = state;
        return;
    }
    watchLooked_ = true;
    watchPending_.reset();
    const bool firstSeen = StartListStamp == -1;
    try {
        LoadStartList(StartListFileName(), StartListWatchPath);
    } catch (...) {
        // The load promises not to fail; should it, the clock must keep running all the same.
        host().SetTimer1Enabled(true);
    }
    if (firstSeen) {
        SelectRider(FindNextPlannedStart());
    }
    if (ActiveTab == kTabResults) {
        // Names the office corrected reach the shown results (and the next web page) at once.
        BuildResults();
        RankResults();
        if (journal) {
            journal->CellsWritten();
        }
    }
    StartListStamp = state.stamp;
    watchLoaded_ = state;
}

void Timekeeper::Timer5sekTimer() {
    RegisterStart();
}

void Timekeeper::ShiftStartTimes() {
    TimeOfDay t = host().CurrentTimeOfDay() + kOneMinute;
    const TimeOfDay step = static_cast<double>(settings.StartInt) / 24.0 / 60.0;
    for (int r = SortGrid1.Row(); r < SortGrid1.RowCount(); ++r) {
        SortGrid1.SetCell(0, r, FormatClock(t, ClockForm::HhNn, locale()));
        t += step;
    }
    SelectRider(0);
    UpdateRemainingCounters();
}

} // namespace vandoret
