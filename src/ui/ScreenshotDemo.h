// The screenshot run (--screenshot-demo DIR): records a few starts and finishes, then saves a
// picture of every tab, of the maximised window and of the two dialogs, and ends the program.
#pragma once

#include <QString>

namespace vandoret::ui {

class TForm1;
class TFormInfo;
class TFDlgYesNo;

void RunScreenshotDemo(TForm1& form, TFormInfo& info, TFDlgYesNo& yesNo, const QString& outDir);

// The live pages run (--live-demo PORT): records four starts and two finishes with their numbers
// and a few faults, then leaves the program running so that a browser can take pictures.
void RunLiveDemo(TForm1& form);

} // namespace vandoret::ui
