// The Windows shell's verbs ("open", "print") on a file or web address.
#pragma once

#include <string>

namespace vandoret::ui {

// Windows only: ShellExecute with the verb; false when the shell could not do it. Elsewhere it
// does nothing and returns false (the caller uses the browser and the print dialog instead).
bool WindowsShellVerb(const std::string& verb, const std::string& target);

} // namespace vandoret::ui
