#include "timing/Timekeeper.h"

namespace vandoret {

Timekeeper::Timekeeper(Host& host, Locale locale) : host_(host), locale_(locale) {}

} // namespace vandoret
