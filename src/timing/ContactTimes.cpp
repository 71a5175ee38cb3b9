// Starts and finishes taken by the contacts: recorded at the moment the waiting thread saw the
// line change, and every change of the lines journaled.
#include "timing/Registrations.h"

namespace vandoret {
namespace {

// Runs `action` with `slot` holding `value`, and clears the slot afterwards whatever happens.
template <typename Action> void WithEventTime(std::optional<TimeOfDay>& slot, TimeOfDay value, Action action) {
    struct Reset {
        std::optional<TimeOfDay>& slot;
        ~Reset() { slot.reset(); }
    } reset{slot};
    slot = value;
    action();
}

} // namespace

void Registrations::RegisterStartAt(TimeOfDay when) {
    WithEventTime(ContactEventTime, when, [this] { RegisterStart(); });
}

void Registrations::RegisterFinishAt(TimeOfDay when) {
    WithEventTime(ContactEventTime, when, [this] { RegisterFinish(); });
}

TimeOfDay Registrations::ClockNow() {
    return ContactEventTime ? *ContactEventTime : host_.CurrentTimeOfDay();
}

void Registrations::ContactLinesChanged(TimeOfDay when, bool dsr, bool cts, bool rlsd) {
    if (journal) {
        journal->ContactLines(ToMilliseconds(when),
                              ContactLinesText(dsr, cts, rlsd, StartContactFree, FinishContactFree));
    }
}

} // namespace vandoret
