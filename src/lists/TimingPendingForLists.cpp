// TEMPORARY: stand-ins for timing operations the list commands call, until the timing core is
// merged. Delete this file at that merge.
#include "timing/Timekeeper.h"

namespace vandoret {

void Timekeeper::cbNrChange() {}
int Timekeeper::FindNextPlannedStart() {
    return -1;
}
void Timekeeper::UpdateRemainingCounters() {}

} // namespace vandoret
