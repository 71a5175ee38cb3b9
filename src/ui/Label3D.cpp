#include "ui/Label3D.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace vandoret::ui {

Label3D::Label3D(const QString& text, const QColor& color, QWidget* parent)
    : QWidget(parent), text_(text), color_(color) {
    QFont f("Arial");
    f.setPixelSize(22);
    f.setBold(true);
    setFont(f);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_TranslucentBackground);
}

QSize Label3D::sizeHint() const {
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(text_) + 8, fm.height() + 6};
}

void Label3D::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(font());
    const QRect r = rect().adjusted(2, 1, -3, -3);
    const int shift = pressed_ ? 1 : 0;
    // Shadow below right, highlight above left, the face on top: a raised caption.
    p.setPen(QColor(0, 0, 0, 150));
    p.drawText(r.translated(2, 2), Qt::AlignLeft | Qt::AlignVCenter, text_);
    p.setPen(color_.lighter(170));
    p.drawText(r.translated(-1 + shift, -1 + shift), Qt::AlignLeft | Qt::AlignVCenter, text_);
    p.setPen(color_);
    p.drawText(r.translated(shift, shift), Qt::AlignLeft | Qt::AlignVCenter, text_);
}

void Label3D::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressed_ = true;
        update();
    }
}

void Label3D::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && pressed_) {
        pressed_ = false;
        update();
        if (rect().contains(event->position().toPoint())) {
            emit clicked();
        }
    }
}

} // namespace vandoret::ui
