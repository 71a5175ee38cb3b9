#include "ui/CellFormats.h"

#include "timing/Timekeeper.h"

namespace vandoret::ui {

CellFormat GetCellFormat(int tab, int col, int row, int currentRow) {
    CellFormat format;
    if (row == 0 || (tab != kTabStartTimes && tab != kTabStopTimes)) {
        return format;
    }
    format.alignRight = col == 0;
    if (row == currentRow) {
        return format;
    }
    if (tab == kTabStartTimes) {
        if (col == 1) {
            format.background = QColor(216, 255, 216);
        }
    } else {
        if (col == 1 || col == 4) {
            format.background = QColor(255, 216, 216);
        } else if (col == 2 || col == 3 || col == 5) {
            format.background = QColor(255, 255, 255);
        }
    }
    return format;
}

TabColors GetTabColors(int tab) {
    switch (tab) {
    case kTabStartTimes:
        return {QColor(89, 236, 120), QColor(3, 176, 9)};
    case kTabStopTimes:
        return {QColor(246, 93, 95), QColor(178, 15, 3)};
    case kTabResults:
        return {QColor(90, 151, 244), QColor(76, 66, 58)};
    default:
        return {};
    }
}

} // namespace vandoret::ui
