// The protocol text format of a saved list, as a pure function: every cell followed by a TAB
// (an empty cell written as " "), CR LF after every row, caption row first, Windows-1252. A cell
// that begins with '"' or holds a TAB is written in quotes with its quotes doubled
// ("a" -> """a""", a<TAB>b -> "a<TAB>b"), so the reader gives it back as it was; every other
// cell is written as it stands. A list holding a character that Windows-1252 cannot hold, or
// whose Windows-1252 bytes the reader would take for UTF-8 ("Ã¤"), is written as UTF-8 after a
// byte-order mark instead, so that nothing changes.
#pragma once

#include <string>

#include "grid/SortGrid.h"

namespace vandoret {

std::string FormatListText(const TSortGrid& grid);

// What the operator is told when a list could not be saved under that name.
std::string SaveFailedMessage(const std::string& fileName);

} // namespace vandoret
