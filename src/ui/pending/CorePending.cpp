// Stand-ins for timing operations that are declared but whose subsystem has not landed yet.
//
// They are weak and live in their own library, linked after vandoret_core, so the real
// definitions win as soon as they exist. Delete this file once the timing operations are in.
#include "timing/Timekeeper.h"

#if defined(__GNUC__)
#define VANDORET_PENDING __attribute__((weak))
#else
#define VANDORET_PENDING
#endif

namespace vandoret {

VANDORET_PENDING void Timekeeper::Timer1Timer() {
    StaticText1 = FormatClock(host().CurrentTimeOfDay(), ClockForm::HhNnSs, locale());
}
VANDORET_PENDING void Timekeeper::Timer5sekTimer() {}
VANDORET_PENDING void Timekeeper::ShiftStartTimes() {}
VANDORET_PENDING void Timekeeper::RegisterStart() {}
VANDORET_PENDING void Timekeeper::RegisterFinish() {}
VANDORET_PENDING void Timekeeper::cbNrChange() {}
VANDORET_PENDING void Timekeeper::SelectRider(int index) {
    cbNr.ItemIndex = index;
}
VANDORET_PENDING int Timekeeper::FindNextPlannedStart() {
    return -1;
}
VANDORET_PENDING void Timekeeper::LoadSoundFiles() {}
VANDORET_PENDING void Timekeeper::PlaySoundFile(const std::string&) {}
VANDORET_PENDING void Timekeeper::UpdateRemainingCounters() {}
VANDORET_PENDING void Timekeeper::ImageStatusClick() {
    CounterOn = !CounterOn;
}
VANDORET_PENDING void Timekeeper::ImageSoundClick() {
    settings.Sound = !settings.Sound;
}
VANDORET_PENDING void Timekeeper::ImageLSClick(LockIndicator which) {
    bool& flag = which == LockIndicator::Start ? StartContactFree : FinishContactFree;
    flag = !flag;
}

} // namespace vandoret

namespace vandoret {

VANDORET_PENDING void ComputeAllowedTime(Settings&) {}

} // namespace vandoret
