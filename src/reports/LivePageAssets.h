// The style sheet and the script every live page carries inline (nothing is loaded from elsewhere).
#pragma once

#include <string_view>

namespace vandoret {

std::string_view LivePageStyle();
std::string_view LivePageScript();

} // namespace vandoret
