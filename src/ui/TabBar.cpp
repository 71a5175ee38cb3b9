#include "ui/TabBar.h"

#include <QPainter>

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
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(tabText(index)) + 18, fm.height() + 8};
}

void TabBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    for (int i = 0; i < count(); ++i) {
        const bool active = i == currentIndex();
        QRect r = tabRect(i);
        if (!active) {
            r.adjust(0, 2, 0, 0);
        }
        const TabColors colors = GetTabColors(i);
        QColor brush = colors.background.value_or(active ? kWindowBackground.lighter(112) : kWindowBackground);
        if (!active && colors.background) {
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
        p.setPen(colors.text.value_or(kTabText));
        const QRect textRect = r.adjusted(4 + 4, 2 + (active ? 2 : 0), 0, 0);
        p.drawText(textRect, Qt::AlignLeft | Qt::AlignTop, tabText(i));
    }
}

} // namespace vandoret::ui
