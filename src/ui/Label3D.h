// Label3D: a raised three-dimensional caption ("START [F4]", "STOPP [F8]") that can be clicked.
#pragma once

#include <QColor>
#include <QWidget>

namespace vandoret::ui {

class Label3D : public QWidget {
    Q_OBJECT
public:
    Label3D(const QString& text, const QColor& color, QWidget* parent = nullptr);
    QString text() const { return text_; }
    QSize sizeHint() const override;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString text_;
    QColor color_;
    bool pressed_ = false;
};

} // namespace vandoret::ui
