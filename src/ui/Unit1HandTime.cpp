// TForm1: F7 "Handzeit" and Shift+F7, the correction of the current row; F5 "Anhalten" and
// Shift+F5 "Weiter", the holds on the course.
#include "ui/DialogRun.h"
#include "ui/HandTimeDialog.h"
#include "ui/HoldDialog.h"
#include "ui/Unit1.h"

namespace vandoret::ui {

void TForm1::HandTimeClick(bool correction) {
    const std::optional<HandTimeEntry> entry = correction ? tk_.CorrectHandTime() : tk_.NewHandTime();
    if (!entry) {
        return; // Shift+F7 on a tab without times, or on a row without one
    }
    THandTimeDialog dialog(tk_, *entry, this);
    RunDialog(dialog);
    RefreshFromCore();
}

void TForm1::HoldClick(bool restart) {
    RunHold(tk_.NewHold(restart));
}

void TForm1::RunHold(const HoldEntry& entry) {
    THoldDialog dialog(tk_, entry, this);
    RunDialog(dialog);
    RefreshFromCore();
}

} // namespace vandoret::ui
