// The blank test of list cells: a text is blank when it holds nothing but blanks and control
// characters, which is also what trimming it down to nothing means.
#pragma once

#include <string_view>

namespace vandoret {

inline bool IsBlankText(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) > ' ') {
            return false;
        }
    }
    return true;
}

} // namespace vandoret
