// The status bar's middle panel is shared by the notes of several parts of the program. Each
// part sets its own note; a warning (such as the journal's) wins over the live results address,
// and when the warning is cleared the address shows again.
#pragma once

#include <QString>

class QLabel;

namespace vandoret::ui {

void SetMiddlePanelAddress(QLabel* panel, const QString& address, const QString& tip = QString());
void SetMiddlePanelWarning(QLabel* panel, const QString& warning, bool alarm = false);

} // namespace vandoret::ui
