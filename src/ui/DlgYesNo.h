// TFDlgYesNo: the confirmation dialog through which every destructive or final action is asked.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace vandoret::ui {

class TFDlgYesNo : public QDialog {
    Q_OBJECT
public:
    explicit TFDlgYesNo(QWidget* parent = nullptr);

    // Sets the question; a text holding "?" shows the question icon with "Ja"/"Nein", any other
    // text the warning icon with "OK"/"Abbrechen".
    void AskYesNo(const QString& question);
    // AskYesNo, then shows the dialog modally: true only for the first button.
    bool Ask(const QString& question);

    QLabel* Details = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Icon = nullptr;
    QLabel* Icon2 = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    // Centred on the owner's window each time it opens.
    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace vandoret::ui
