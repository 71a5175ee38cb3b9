#include "ui/LcdField.h"

#include <QPainter>

namespace vandoret::ui {

QString LcdField::DisplayText(const QString& text) {
    QString out;
    out.reserve(text.size() * 2);
    for (const QChar c : text) {
        if (c == '.') {
            out += "!."; // blank digit ("!" in the font) with its point
        } else if (c == ' ') {
            out += '!';
        } else {
            out += c;
        }
    }
    return out;
}

namespace {
constexpr int kGhostAlpha = 18; // the unlit segments behind the digits
constexpr int kUnlitAlpha = 64; // digits of a display that is switched off
} // namespace

void LcdField::SetUnlit(bool on) {
    if (unlit_ != on) {
        unlit_ = on;
        update();
    }
}

void LcdField::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setFont(font());
    const QRect r = contentsRect();
    const QString shown = segmentFont_ ? DisplayText(text()) : text();
    if (segmentFont_) {
        // The unlit segments, faintly, as on a real display.
        QColor ghost = palette().color(QPalette::WindowText);
        ghost.setAlpha(kGhostAlpha);
        QString all = shown;
        for (QChar& c : all) {
            if (c.isDigit() || c == '!' || c == '-') {
                c = '8';
            }
        }
        p.setPen(ghost);
        p.drawText(r, alignment(), all);
    }
    QColor colour = palette().color(QPalette::WindowText);
    if (unlit_) {
        colour.setAlpha(kUnlitAlpha);
    }
    p.setPen(colour);
    p.drawText(r, alignment(), shown);
}

} // namespace vandoret::ui
