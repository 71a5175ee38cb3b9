#include "ui/Pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace vandoret::ui::pictures {
namespace {

const QColor kInk(34, 53, 81);

QPixmap Blank(int w, int h) {
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    return pm;
}

void Prepare(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
}

QPixmap DrawTool(Tool tool) {
    QPixmap pm = Blank(28, 28);
    QPainter p(&pm);
    Prepare(p);
    QPen pen(kInk, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    QFont f("Arial");
    switch (tool) {
    case Tool::Help:
    case Tool::Info: {
        p.setBrush(tool == Tool::Help ? QColor(60, 130, 220) : QColor(40, 160, 90));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRectF(3, 3, 22, 22));
        p.setPen(Qt::white);
        f.setBold(true);
        f.setPixelSize(17);
        p.setFont(f);
        p.drawText(QRectF(3, 3, 22, 22), Qt::AlignCenter, tool == Tool::Help ? "?" : "i");
        break;
    }
    case Tool::Settings: {
        p.setBrush(QColor(150, 160, 175));
        QPainterPath gear;
        const QPointF c(14, 14);
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(c);
            p.rotate(i * 45.0);
            p.drawRoundedRect(QRectF(-2.5, -12.5, 5, 7), 1, 1);
            p.restore();
        }
        p.drawEllipse(c, 8.5, 8.5);
        p.setBrush(Qt::white);
        p.drawEllipse(c, 3.5, 3.5);
        break;
    }
    case Tool::Open: {
        p.setBrush(QColor(240, 200, 90));
        p.drawRoundedRect(QRectF(3, 7, 22, 16), 2, 2);
        p.setBrush(QColor(250, 220, 120));
        QPolygonF flap({QPointF(7, 12), QPointF(26, 12), QPointF(22, 23), QPointF(3, 23)});
        p.drawPolygon(flap);
        break;
    }
    case Tool::Save: {
        p.setBrush(QColor(70, 110, 190));
        p.drawRoundedRect(QRectF(4, 4, 20, 20), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(8, 4, 12, 7));
        p.setBrush(QColor(220, 225, 235));
        p.drawRect(QRectF(8, 15, 12, 9));
        break;
    }
    case Tool::Print: {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(8, 3, 12, 8));
        p.setBrush(QColor(140, 150, 165));
        p.drawRoundedRect(QRectF(3, 10, 22, 10), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(8, 16, 12, 9));
        p.drawLine(QPointF(10, 20), QPointF(18, 20));
        break;
    }
    case Tool::Clear: {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5, 3, 16, 21));
        for (int y = 8; y <= 18; y += 5) {
            p.drawLine(QPointF(8, y), QPointF(18, y));
        }
        p.setPen(QPen(QColor(200, 30, 30), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(14, 14), QPointF(25, 25));
        p.drawLine(QPointF(25, 14), QPointF(14, 25));
        break;
    }
    case Tool::DeleteLine: {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3, 4, 22, 20));
        p.setBrush(QColor(90, 151, 244));
        p.drawRect(QRectF(3, 11, 22, 6));
        p.setPen(QPen(QColor(200, 30, 30), 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 14), QPointF(20, 14));
        break;
    }
    case Tool::Web: {
        p.setBrush(QColor(120, 180, 240));
        p.drawEllipse(QRectF(3, 3, 22, 22));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(9, 3, 10, 22));
        p.drawLine(QPointF(3, 14), QPointF(25, 14));
        p.drawLine(QPointF(5, 8.5), QPointF(23, 8.5));
        p.drawLine(QPointF(5, 19.5), QPointF(23, 19.5));
        break;
    }
    }
    return pm;
}

QPixmap Disabled(const QPixmap& pm) {
    QImage img = pm.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y);
            const int g = 160 + qGray(c) / 4;
            img.setPixel(x, y, qRgba(g, g, g, qAlpha(c) / 2));
        }
    }
    return QPixmap::fromImage(img);
}

} // namespace

QIcon ToolIcon(Tool tool) {
    const QPixmap pm = DrawTool(tool);
    QIcon icon(pm);
    icon.addPixmap(Disabled(pm), QIcon::Disabled);
    return icon;
}

QPixmap Banner(int width, int height) {
    QPixmap pm(std::max(width, 1), std::max(height, 1));
    QPainter p(&pm);
    QLinearGradient g(0, 0, 0, height);
    g.setColorAt(0, QColor(58, 78, 120));
    g.setColorAt(1, QColor(30, 44, 74));
    p.fillRect(pm.rect(), g);
    p.setPen(QColor(255, 255, 255, 28));
    for (int x = -height; x < width; x += 14) {
        p.drawLine(x, height, x + height, 0);
    }
    return pm;
}

QPixmap Logo() {
    QPixmap pm = Blank(189, 41);
    QPainter p(&pm);
    Prepare(p);
    // A stylised stopwatch beside the name.
    p.setPen(QPen(QColor(255, 210, 80), 2.2));
    p.setBrush(QColor(255, 255, 255, 30));
    p.drawEllipse(QRectF(8, 9, 26, 26));
    p.drawLine(QPointF(21, 9), QPointF(21, 5));
    p.drawLine(QPointF(17, 4), QPointF(25, 4));
    p.drawLine(QPointF(21, 22), QPointF(21, 13));
    p.drawLine(QPointF(21, 22), QPointF(27, 25));
    QFont f("Arial");
    f.setBold(true);
    f.setPixelSize(22);
    f.setItalic(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(42, 2, 145, 26), Qt::AlignLeft | Qt::AlignVCenter, "Vandoret");
    f.setPixelSize(10);
    f.setBold(false);
    f.setItalic(false);
    p.setFont(f);
    p.setPen(QColor(200, 215, 240));
    p.drawText(QRectF(43, 26, 145, 13), Qt::AlignLeft | Qt::AlignVCenter, "Zeitmessung Gelände");
    return pm;
}

QPixmap DisplayBackground(int width, int height) {
    QPixmap pm(width, height);
    QPainter p(&pm);
    QLinearGradient g(0, 0, 0, height);
    g.setColorAt(0, QColor(18, 18, 22));
    g.setColorAt(1, QColor(2, 2, 4));
    p.fillRect(pm.rect(), g);
    p.setPen(QColor(60, 60, 70));
    p.drawRect(pm.rect().adjusted(0, 0, -1, -1));
    return pm;
}

QPixmap LockIndicator(bool free) {
    QPixmap pm = Blank(32, 31);
    QPainter p(&pm);
    Prepare(p);
    const QColor body = free ? QColor(40, 170, 70) : QColor(205, 40, 40);
    p.setPen(QPen(QColor(90, 90, 100), 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    if (free) {
        p.drawArc(QRectF(12, 2, 14, 16), 0, 180 * 16);
        p.drawLine(QPointF(26, 10), QPointF(26, 14));
    } else {
        p.drawArc(QRectF(9, 3, 14, 16), 0, 180 * 16);
        p.drawLine(QPointF(9, 11), QPointF(9, 15));
        p.drawLine(QPointF(23, 11), QPointF(23, 15));
    }
    p.setPen(QPen(body.darker(140), 1));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(5, 14, 22, 15), 3, 3);
    p.setBrush(Qt::white);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(14, 18, 4, 4));
    p.drawRect(QRectF(15, 21, 2, 4));
    return pm;
}

QPixmap StatusIndicator(bool countdown) {
    QPixmap pm = Blank(24, 24);
    QPainter p(&pm);
    Prepare(p);
    QRadialGradient g(QPointF(10, 9), 12);
    const QColor c = countdown ? QColor(60, 230, 90) : QColor(120, 120, 130);
    g.setColorAt(0, c.lighter(160));
    g.setColorAt(1, c.darker(130));
    p.setBrush(g);
    p.setPen(QPen(QColor(30, 30, 30), 1));
    p.drawEllipse(QRectF(2, 2, 20, 20));
    p.setPen(QPen(countdown ? QColor(10, 60, 20) : QColor(60, 60, 60), 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12, 12), QPointF(12, 6));
    p.drawLine(QPointF(12, 12), QPointF(16, 14));
    return pm;
}

QPixmap Speaker() {
    QPixmap pm = Blank(32, 32);
    QPainter p(&pm);
    Prepare(p);
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(QColor(90, 100, 120));
    QPolygonF cone({QPointF(4, 12), QPointF(10, 12), QPointF(18, 5), QPointF(18, 27), QPointF(10, 20), QPointF(4, 20)});
    p.drawPolygon(cone);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(14, 10, 10, 12), -50 * 16, 100 * 16);
    p.drawArc(QRectF(14, 6, 16, 20), -50 * 16, 100 * 16);
    return pm;
}

QPixmap SoundOverlay(bool on) {
    QPixmap pm = Blank(15, 15);
    QPainter p(&pm);
    Prepare(p);
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(on ? QColor(30, 160, 60) : QColor(200, 30, 30));
    p.drawEllipse(QRectF(0.5, 0.5, 14, 14));
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (on) {
        p.drawPolyline(QPolygonF({QPointF(4, 7.5), QPointF(6.5, 10), QPointF(11, 5)}));
    } else {
        p.drawLine(QPointF(4.5, 4.5), QPointF(10.5, 10.5));
        p.drawLine(QPointF(10.5, 4.5), QPointF(4.5, 10.5));
    }
    return pm;
}

QPixmap QuestionIcon() {
    QPixmap pm = Blank(32, 32);
    QPainter p(&pm);
    Prepare(p);
    QPainterPath bubble;
    bubble.addEllipse(QRectF(1, 1, 30, 25));
    QPolygonF tail({QPointF(8, 21), QPointF(6, 31), QPointF(15, 24)});
    bubble.addPolygon(tail);
    bubble = bubble.simplified();
    p.setPen(QPen(QColor(110, 120, 140), 1.2));
    p.setBrush(Qt::white);
    p.drawPath(bubble);
    QFont f("Arial");
    f.setBold(true);
    f.setPixelSize(20);
    p.setFont(f);
    p.setPen(QColor(30, 80, 200));
    p.drawText(QRectF(1, 1, 30, 25), Qt::AlignCenter, "?");
    return pm;
}

QPixmap WarningIcon() {
    QPixmap pm = Blank(32, 32);
    QPainter p(&pm);
    Prepare(p);
    QPolygonF tri({QPointF(16, 2), QPointF(31, 29), QPointF(1, 29)});
    p.setPen(QPen(QColor(120, 90, 0), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(255, 210, 0));
    p.drawPolygon(tri);
    QFont f("Arial");
    f.setBold(true);
    f.setPixelSize(19);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(QRectF(1, 8, 30, 21), Qt::AlignCenter, "!");
    return pm;
}

QPixmap SortArrow(bool up) {
    QPixmap pm = Blank(7, 7);
    QPainter p(&pm);
    Prepare(p);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    if (up) {
        p.drawPolygon(QPolygonF({QPointF(3.5, 1), QPointF(7, 6), QPointF(0, 6)}));
    } else {
        p.drawPolygon(QPolygonF({QPointF(0, 1), QPointF(7, 1), QPointF(3.5, 6)}));
    }
    return pm;
}

QIcon ApplicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        QPixmap pm = Blank(size, size);
        QPainter p(&pm);
        Prepare(p);
        p.scale(size / 32.0, size / 32.0);
        QLinearGradient g(0, 0, 0, 32);
        g.setColorAt(0, QColor(70, 95, 145));
        g.setColorAt(1, QColor(30, 44, 74));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
        p.setPen(QPen(QColor(255, 210, 80), 2.4, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(7, 9, 18, 18));
        p.drawLine(QPointF(16, 9), QPointF(16, 5));
        p.drawLine(QPointF(16, 18), QPointF(16, 12));
        p.drawLine(QPointF(16, 18), QPointF(20, 21));
        icon.addPixmap(pm);
    }
    return icon;
}

} // namespace vandoret::ui::pictures
