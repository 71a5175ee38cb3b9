// Stand-ins for core operations that are declared but whose subsystem has not landed yet.
//
// They are weak and live in their own library, linked after vandoret_core, so the real
// definitions win as soon as they exist. Delete this file once the settings subsystem is in.
#include "settings/Settings.h"

#if defined(__GNUC__)
#define VANDORET_PENDING __attribute__((weak))
#else
#define VANDORET_PENDING
#endif

namespace vandoret {

VANDORET_PENDING void ComputeAllowedTime(Settings&) {}

} // namespace vandoret
