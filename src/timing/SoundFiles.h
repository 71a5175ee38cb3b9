// Where the three signal sounds lie. The program finds them relative to its own folder, never by
// a path fixed at build time:
// - beside the program (the build folder, the unpacked Windows folder) first,
// - else in the data folder of an installation, `../share/vandoret/sounds/` from the program's
//   folder (`/usr/bin/Vandoret` finds `/usr/share/vandoret/sounds/Audio-Start.wav`).
// A sound found in neither place gives the empty path, which plays nothing.
#pragma once

#include <string>

namespace vandoret {

// The installed sound folder relative to the program's folder (the install rules use the same).
inline constexpr const char* kInstalledSoundFolder = "../share/vandoret/sounds/";

// programDir ends with a separator (Host::ProgramDir); the result is a normalised UTF-8 path.
std::string LocateSoundFile(const std::string& programDir, const std::string& name);

} // namespace vandoret
