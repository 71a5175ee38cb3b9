// TForm1: the window beside an open dialog, where the keyboard goes, and a start list named from
// outside that waits for the dialogs to close.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include <utility>

#include "ui/Unit1.h"

namespace vandoret::ui {
namespace {
// How often a start list named while a dialog is open looks whether it may be opened.
constexpr int kPendingOpenMs = 250;
} // namespace

void TForm1::OpenStartListFile(const QString& file) {
    const bool waiting = !pendingStartList_.isEmpty();
    pendingStartList_ = file;
    if (!waiting) {
        OpenPendingStartList();
    }
}

void TForm1::OpenPendingStartList() {
    // A question or a dialog on screen is answered first: the open asks its own questions.
    if (dialogOpen_ || QApplication::activeModalWidget() != nullptr || QApplication::activePopupWidget() != nullptr) {
        QTimer::singleShot(kPendingOpenMs, this, [this] { OpenPendingStartList(); });
        return;
    }
    const QString file = std::exchange(pendingStartList_, QString());
    tk_.OpenStartListFile(file.toStdString());
    RefreshFromCore();
    FocusActiveList();
}

void TForm1::FocusActiveList() {
    QWidget* list = PageControl1->currentWidget();
    if (list != nullptr && list->focusPolicy() != Qt::NoFocus && list->isEnabled()) {
        list->setFocus(Qt::OtherFocusReason);
    } else {
        setFocus(Qt::OtherFocusReason);
    }
}

void TForm1::DialogGate(bool open) {
    if (open) {
        QWidget* focus = QApplication::focusWidget();
        focusBeforeDialog_ = focus != nullptr && focus->window() == this ? focus : nullptr;
    }
    dialogOpen_ = open;
    for (QWidget* w :
         std::initializer_list<QWidget*>{SpeedButton1, bCFG, SpeedButton2, sbLoad, cbNr, cbAutoStart, PageControl1}) {
        w->setEnabled(!open);
    }
    for (QAction* a : actions()) {
        if (a->objectName() != "mStart" && a->objectName() != "mStop") {
            a->setEnabled(!open && a->property(kDesignedEnabled).toBool());
        }
    }
    ApplyCommandStates();
    if (open) {
        return;
    }
    if (isVisible() && !isMinimized()) {
        activateWindow(); // the keyboard returns to the main window
    }
    QWidget* back = focusBeforeDialog_;
    focusBeforeDialog_ = nullptr;
    if (back != nullptr && back != cbNr && back->isVisible() && back->isEnabled() &&
        back->focusPolicy() != Qt::NoFocus) {
        back->setFocus(Qt::OtherFocusReason);
    } else {
        FocusActiveList();
    }
}

} // namespace vandoret::ui
