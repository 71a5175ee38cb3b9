// Colours of the window itself. The list cell formats and the tab colours are the core's
// (Timekeeper::GetCellFormat, Pages::PageControl1TabColors); these helpers turn them into Qt.
#pragma once

#include <QColor>

#include "grid/ListFormats.h"

namespace vandoret::ui {

inline QColor ToQColor(const Rgb& c) {
    return QColor(c.r, c.g, c.b);
}

inline const QColor kGridBackground{kListBackground.r, kListBackground.g, kListBackground.b};
inline const QColor kWindowBackground{0xC8, 0xC2, 0xD6};
inline const QColor kTabText{34, 53, 81};

} // namespace vandoret::ui
