// The owner-drawn tabs of the page control: each tab in its colour, the caption 4 pixels from the
// left and 2 from the top, the active tab's caption 2 pixels lower still.
#pragma once

#include <QTabBar>
#include <QTabWidget>

namespace vandoret::ui {

class TabBar : public QTabBar {
    Q_OBJECT
public:
    explicit TabBar(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    QSize tabSizeHint(int index) const override;
};

// The page control with the owner-drawn tab bar.
class PageControl : public QTabWidget {
    Q_OBJECT
public:
    explicit PageControl(QWidget* parent = nullptr) : QTabWidget(parent) { setTabBar(new TabBar(this)); }
};

} // namespace vandoret::ui
