// THandTimeDialog: "Handzeit", the entry of a start or finish by hand (F7) and the correction of
// a recorded one (Shift+F7). It only forwards: the core checks the entry and writes it
// (Timekeeper::ApplyHandTime); the dialog shows the core's message and stays open until the
// entry is accepted or cancelled. Timers and contacts go on while it is open.
#pragma once

#include <QDialog>

#include "timing/Timekeeper.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vandoret::ui {

class THandTimeDialog : public QDialog {
    Q_OBJECT
public:
    THandTimeDialog(Timekeeper& tk, const HandTimeEntry& entry, QWidget* parent = nullptr);

    // The entry as the fields now give it.
    HandTimeEntry Entry() const;

    QRadioButton* rbStart = nullptr;
    QRadioButton* rbZiel = nullptr;
    QLineEdit* edNumber = nullptr;
    QLineEdit* edTime = nullptr;
    QComboBox* cbReason = nullptr;
    QLabel* lbOld = nullptr;     // a correction: the row and its old time
    QLabel* lbMessage = nullptr; // why the entry was refused
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    // Centred on the owner's window each time it opens.
    void setVisible(bool visible) override;

public slots:
    // OK: hands the entry to the core; closes only when it was written.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    Timekeeper& tk_;
    HandTimeEntry entry_;
};

} // namespace vandoret::ui
