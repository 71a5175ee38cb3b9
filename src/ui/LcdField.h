// A time field of the clock panel in the seven-segment display font.
//
// text() is the core's text unchanged; only the drawing adapts it to the font, whose "." is a
// decimal point on the digit before it: a "." that stands for a missing digit is drawn as a
// blank digit with its point, so "..:..:..,." keeps the width of "00:00:00,0".
#pragma once

#include <QLabel>

namespace vandoret::ui {

class LcdField : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    // Whether the seven-segment font is in use (otherwise the text is drawn as it is).
    void SetSegmentFont(bool on) { segmentFont_ = on; }
    // Draws the text in the faint colour of unlit segments, as a display that is switched off.
    void SetUnlit(bool on);
    bool Unlit() const { return unlit_; }
    static QString DisplayText(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool segmentFont_ = false;
    bool unlit_ = false;
};

} // namespace vandoret::ui
