// The frame and place of the program's small dialogs (yes/no, "Handzeit"): a title bar with the
// close button only, no minimise or maximise, and every time they open, centred on the window
// that owns them.
#pragma once

#include <QWidget>

class QDialog;
class QHBoxLayout;
class QLabel;
class QPushButton;

namespace vandoret::ui {

inline constexpr Qt::WindowFlags kDialogFrame =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

// Centres `dialog` on its parent's window (first sized to its contents when nobody sized it).
// Without a parent it stays where it is.
void CenterOnOwnerWindow(QWidget* dialog);

// The parts the entry dialogs ("Handzeit", "Anhalten") share: the red line that says why an entry
// was refused (hidden until then), and "OK" (the default, to accept()) with "Abbrechen" (reject())
// at the right of a row.
QLabel* NewRefusalLabel(QWidget* dialog);
QHBoxLayout* NewOkCancelRow(QDialog* dialog, QPushButton*& ok, QPushButton*& cancel);

} // namespace vandoret::ui
