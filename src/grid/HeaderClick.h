// The header click of a list: the rule that turns a mouse press and release on the caption row
// into a sort. The window reports the press and the release with the cell under the mouse and the
// horizontal extent of that cell's column; the rule decides and sorts.
#pragma once

#include "grid/SortGrid.h"

namespace vandoret {

enum class MouseButton { Left, Right, Middle };

// Where the mouse is: the cell (col, row) under it, its x position and the x positions of the
// left and right edges of that column, all in the same pixel coordinates.
struct HeaderHit {
    int col = -1;
    int row = -1;
    int x = 0;
    int colLeft = 0;
    int colRight = 0;
};

// The zone within 5 pixels of a column's left or right edge belongs to resizing the column.
inline constexpr int kColumnEdgeZone = 5;
bool IsOnColumnEdge(int x, int colLeft, int colRight);

// The arrow the caption of a sortable list's sort column shows.
enum class SortArrow { None, Up, Down };
SortArrow CaptionSortArrow(const TSortGrid& grid, int col);

class THeaderClick {
public:
    // A button went down on the list.
    void MouseDown(const HeaderHit& hit);
    // The button came up: when this completes a header click, sets the direction and sorts.
    // True when a sort was asked for (it does nothing itself when the list's CanSort is off).
    bool MouseUp(TSortGrid& grid, const HeaderHit& hit, MouseButton button);

private:
    int pressedCol_ = -1;
};

} // namespace vandoret
