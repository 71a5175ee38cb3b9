// The help on F1. On Windows the program's ".chm" beside it is shown through the HTML Help
// library "HHCTRL.OCX", loaded at program start (a warning once when it is missing) and unloaded
// at the end. Elsewhere the same help, as HTML pages in the program's resources, opens in the
// default browser.
#pragma once

#include <string>

namespace vandoret::ui {

// Program initialisation, before any window exists.
void LoadHelpLibrary();
// Program end: releases the viewer, waits 100 ms and unloads the library.
void UnloadHelpLibrary();
// Shows the table of contents of chmFile, owned by the window `owner` (a native window handle).
// False when there is no library or no such file; nothing is shown then.
bool ShowHelpContents(const std::string& chmFile, void* owner);

} // namespace vandoret::ui
