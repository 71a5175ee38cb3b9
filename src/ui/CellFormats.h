// Colours and alignment of list cells and tabs, in one place.
//
// The start times and stop times lists colour their time columns and right-align the contact
// number; the current row keeps the selection colours. When the core offers these formats as
// data, this is the one file to switch over.
#pragma once

#include <QColor>
#include <optional>

namespace vandoret::ui {

struct CellFormat {
    std::optional<QColor> background; // none: the list's own colour
    bool alignRight = false;
};

// tab: the list's tab index; row: grid row (0 = captions); currentRow: the list's current row.
CellFormat GetCellFormat(int tab, int col, int row, int currentRow);

struct TabColors {
    std::optional<QColor> background; // none: the page control's own colours
    std::optional<QColor> text;
};
TabColors GetTabColors(int tab);

inline const QColor kGridBackground{208, 208, 240};
inline const QColor kWindowBackground{0xC8, 0xC2, 0xD6};
inline const QColor kTabText{34, 53, 81};

} // namespace vandoret::ui
