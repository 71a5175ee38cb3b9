// Stand-ins for the start and finish registrations and the lock switch, used by the contact tests
// only while the timing operations are not part of the core (extra.cmake adds this file then).
// They do what the contacts rely on: a start appends a row with the time read through ClockNow
// to the start times list and locks the start contact; a finish appends a row to the stop times
// list; ImageLSClick inverts a lock. Each is compiled only while the core lacks it.
#include "timing/Timekeeper.h"

namespace vandoret {

namespace {

[[maybe_unused]] void Append(TSortGrid& grid, const std::string& time) {
    int row = grid.RowCount() - 1;
    if (!grid.IsBlankRow(row)) {
        row = grid.AddRow();
    }
    grid.SetCell(0, row, std::to_string(row));
    grid.SetCell(1, row, time);
}

} // namespace

#ifndef VANDORET_HAVE_REGISTER_START
void Timekeeper::RegisterStart() {
    Append(SortGrid2, FormatClock(ClockNow(), ClockForm::HhNnSsZ, locale()));
    if (StartContactFree) {
        ImageLSClick(LockIndicator::Start);
    }
}
#endif

#ifndef VANDORET_HAVE_REGISTER_FINISH
void Timekeeper::RegisterFinish() {
    Append(SortGrid3, FormatClock(ClockNow(), ClockForm::HhNnSsZ, locale()));
}
#endif

#ifndef VANDORET_HAVE_IMAGE_LS_CLICK
void Timekeeper::ImageLSClick(LockIndicator which) {
    bool& lock = which == LockIndicator::Start ? StartContactFree : FinishContactFree;
    lock = !lock;
}
#endif

} // namespace vandoret
