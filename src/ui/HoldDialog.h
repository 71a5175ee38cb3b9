// THoldDialog: F5 "Anhalten" (a fence judge stopped one or more riders) and Shift+F5 "Weiter"
// (they go on). It only forwards: the core checks the entry and records it
// (Timekeeper::ApplyHold); the dialog shows the core's message and stays open until the entry is
// accepted or cancelled. Starts and finishes go on while it is open.
#pragma once

#include <QDialog>

#include "timing/Timekeeper.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace vandoret::ui {

class THoldDialog : public QDialog {
    Q_OBJECT
public:
    THoldDialog(Timekeeper& tk, const HoldEntry& entry, QWidget* parent = nullptr);

    HoldEntry Entry() const;

    QLineEdit* edNumbers = nullptr;
    QLineEdit* edTime = nullptr;
    QLineEdit* edReason = nullptr; // "Anhalten" only
    QLabel* lbMessage = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    void setVisible(bool visible) override;

public slots:
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    Timekeeper& tk_;
    HoldEntry entry_;
};

} // namespace vandoret::ui
