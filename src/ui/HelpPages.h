// The bundled help pages for the browser: copied, once per run, into a folder of the program's
// own, created fresh and readable by the user alone (QTemporaryDir), kept until the program
// ends. No fixed path is used and nothing already there is followed or written through.
#pragma once

#include <QString>

namespace vandoret::ui {

// Writes the pages (again, should they have been removed) and returns the start page, empty
// when no folder could be made.
QString WriteHelpPages();

} // namespace vandoret::ui
