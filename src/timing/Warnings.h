// What the lists show of riders who share a planned start or a number started twice.
#pragma once

#include <string>

#include "grid/SortGrid.h"

namespace vandoret {

// True when another row of the start list has the same planned start as `row` (blank ones aside).
bool SharesPlannedStart(const TSortGrid& startList, int row);

// A start row whose number has another start row: the first of them (the one the results use) or
// a later one.
enum class RepeatedStart { None, First, Later };
RepeatedStart StartRepetition(const TSortGrid& startTimes, int row);

// The first number with more than one start row; empty when there is none.
std::string NumberStartedTwice(const TSortGrid& startTimes);

} // namespace vandoret
