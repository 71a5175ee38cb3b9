#include "ui/TabBar.h"

#include <QPainter>

#include "timing/Timekeeper.h"
#include "ui/CellFormats.h"

namespace vandoret::ui {

TabBar::TabBar(QWidget* parent) : QTabBar(parent) {
    QFont f("Arial");
    f.setPixelSize(16);
    setFont(f);
    setCursor(Qt::PointingHandCursor);
    setDrawBase(false);
    setExpanding(false);
}

QSize TabBar::tabSizeHint(int index) const {
    // Wide enough for the bold caption of the active tab after its left margin.
    QFont bold = font();
    bold.setBold(true);
    const QFontMetrics fm(bold);
    return {fm.horizontalAdvance(tabText(index)) + kTabCaptionLeft + 4 + 10, fm.height() + 8};
}

void TabBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    for (int i = 0; i < count(); ++i) {
        const bool active = i == currentIndex();
        QRect r = tabRect(i);
        if (!active) {
            r.adjust(0, 2, 0, 0);
        }
        const std::optional<TabColors> colors = Pages::PageControl1TabColors(i);
        QColor brush =
            colors ? ToQColor(colors->background) : (active ? kWindowBackground.lighter(112) : kWindowBackground);
        if (!active && colors) {
            brush = brush.lighter(115);
        }
        p.fillRect(r.adjusted(0, 0, -1, 0), brush);
        p.setPen(active ? QColor(60, 60, 80) : QColor(130, 126, 150));
        p.drawLine(r.topLeft(), r.topRight() - QPoint(1, 0));
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.drawLine(r.topRight() - QPoint(1, 0), r.bottomRight() - QPoint(1, 0));
        QFont f = font();
        f.setBold(active);
        p.setFont(f);
        p.setPen(colors ? ToQColor(colors->text) : kTabText);
        const QRect textRect =
            r.adjusted(kTabCaptionLeft + 4, kTabCaptionTop + (active ? kTabCaptionActiveDrop : 0), 0, 0);
        p.drawText(textRect, Qt::AlignLeft | Qt::AlignTop, tabText(i));
    }
}

} // namespace vandoret::ui
