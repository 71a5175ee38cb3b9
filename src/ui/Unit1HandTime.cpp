// TForm1: F7 "Handzeit" and Shift+F7, the correction of the current row.
#include "ui/DialogRun.h"
#include "ui/HandTimeDialog.h"
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

} // namespace vandoret::ui
