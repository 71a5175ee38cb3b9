// Placeholder until the result computation lands.
#include "timing/Timekeeper.h"

namespace vandoret {

void Timekeeper::BuildResults() {}
void Timekeeper::RankResults() {}
void Timekeeper::PageControl1Change() {}

} // namespace vandoret
