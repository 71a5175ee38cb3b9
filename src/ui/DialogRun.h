// The program's dialogs run beside the main window, not over it.
//
// A dialog run by RunDialog does not block the main window: the operator can still click
// "START [F4]" and "STOPP [F8]" there while it is open. The main window is told through its gate
// when the first dialog opens and after the last one closed, and disables its other controls
// meanwhile. A dialog run while another one is open is modal, as QDialog::exec() makes it.
//
// StartStopKeys takes F4 and F8 wherever the keyboard is: while a dialog, a message box, a file
// dialog or a drop-down has it, the key is the main window's start or finish and never reaches
// the dialog, which stays as it was. A held key takes one start or finish: the repeats of F4 and
// F8 are dropped everywhere. In the main window itself its items "Start" and "Stopp" take them.
#pragma once

#include <QObject>
#include <functional>

class QDialog;
class QWidget;

namespace vandoret::ui {

// Called with true when the first dialog opens, with false after the last one closed; unset:
// nothing. The main window sets it for its lifetime.
void SetDialogGate(std::function<void(bool open)> gate);
// True while a dialog runs through RunDialog.
bool DialogRunning();
// Shows `dialog` and waits until it is finished; returns its result, as QDialog::exec() does.
int RunDialog(QDialog& dialog);

class StartStopKeys : public QObject {
    Q_OBJECT
public:
    // Installs itself on the application for its lifetime.
    StartStopKeys(QWidget* mainWindow, std::function<void()> start, std::function<void()> stop);
    ~StartStopKeys() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* mainWindow_;
    std::function<void()> start_;
    std::function<void()> stop_;
};

} // namespace vandoret::ui
