// Placeholder until the start list reader lands: loading leaves everything as it is.
#include "timing/Timekeeper.h"

namespace vandoret {

void Timekeeper::LoadStartList(const std::string& /*fileName*/) {}

} // namespace vandoret
