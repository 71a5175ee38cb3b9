// The protocol text format of a saved list, as a pure function: every cell followed by a TAB
// (an empty cell written as " "), CR LF after every row, caption row first, Windows-1252.
#pragma once

#include <string>

#include "results/SortGrid.h"

namespace vandoret {

std::string FormatListText(const TSortGrid& grid);

} // namespace vandoret
