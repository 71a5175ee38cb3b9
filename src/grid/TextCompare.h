// Text comparisons of the lists that other parts of the program rely on.
#pragma once

#include <string_view>

namespace vandoret {

// Ride times as FormatDuration writes them: a longer text is a longer time, texts of equal length
// compare byte by byte. An empty or all-blank text counts as 20 characters long, so blank times
// sort after every real time. Negative when a sorts before b, 0 when equal, positive after.
int CompareDurationText(std::string_view a, std::string_view b);

// Texts with numbers inside them: "Gruppe 9" sorts before "Gruppe 10". The equal non-digit
// characters of both texts are dropped, common non-digit endings trimmed, and what remains is
// compared as whole numbers (byte by byte when it is not a number). An empty text on either side
// gives -1.
int CompareNumberedText(std::string_view a, std::string_view b);

} // namespace vandoret
