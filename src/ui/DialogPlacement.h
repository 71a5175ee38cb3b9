// The frame and place of the program's small dialogs (yes/no, "Handzeit"): a title bar with the
// close button only, no minimise or maximise, and every time they open, centred on the window
// that owns them.
#pragma once

#include <QWidget>

namespace vandoret::ui {

inline constexpr Qt::WindowFlags kDialogFrame =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

// Centres `dialog` on its parent's window (first sized to its contents when nobody sized it).
// Without a parent it stays where it is.
void CenterOnOwnerWindow(QWidget* dialog);

} // namespace vandoret::ui
