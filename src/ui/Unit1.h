// TForm1: the main window. It forwards input to the Timekeeper and draws its state.
#pragma once

#include <QMainWindow>

namespace vandoret::ui {

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
};

} // namespace vandoret::ui
