#include "grid/HeaderClick.h"

namespace vandoret {

bool IsOnColumnEdge(int x, int colLeft, int colRight) {
    return x - colLeft <= kColumnEdgeZone || colRight - x <= kColumnEdgeZone;
}

SortArrow CaptionSortArrow(const TSortGrid& grid, int col) {
    if (!grid.SortOptions.CanSort || col != grid.SortOptions.SortCol) {
        return SortArrow::None;
    }
    return grid.SortOptions.SortDirection == TSortDirection::sdAscending ? SortArrow::Up : SortArrow::Down;
}

void THeaderClick::MouseDown(const HeaderHit& hit) {
    pressedCol_ = hit.col;
}

bool THeaderClick::MouseUp(TSortGrid& grid, const HeaderHit& hit, MouseButton button) {
    const int pressed = pressedCol_;
    pressedCol_ = -1;
    if (hit.row != 0 || hit.col < 0 || hit.col != pressed || IsOnColumnEdge(hit.x, hit.colLeft, hit.colRight)) {
        return false;
    }
    TSortOptions& options = grid.SortOptions;
    if (button == MouseButton::Right) {
        options.SortDirection = TSortDirection::sdDescending;
    } else if (options.SortDirection == TSortDirection::sdDescending) {
        options.SortDirection = TSortDirection::sdAscending;
    } else {
        options.SortDirection = hit.col == options.SortCol ? TSortDirection::sdDescending : TSortDirection::sdAscending;
    }
    grid.SortOnColumn(hit.col);
    return true;
}

} // namespace vandoret
