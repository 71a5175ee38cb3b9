// TForm1: the window beside an open dialog, and where the keyboard goes.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QTabWidget>
#include <QToolButton>

#include "ui/Unit1.h"

namespace vandoret::ui {

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
