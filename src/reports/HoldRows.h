// The day's holds on the course as the results pages list them, after the results, so the
// technical delegate can check them: number, name, held from, until, held time, reason.
#pragma once

#include <string>
#include <vector>

namespace vandoret {

class ResultsList;

struct HoldRow {
    std::string nr, name, stop, restart, held, reason; // restart and held empty while the hold is open
};

// In the order the holds began; the name from the start list (empty when the number is not in it).
std::vector<HoldRow> HoldRows(const ResultsList& results);

// The captions of the holds table and its heading.
inline constexpr const char* kHoldCaptions[] = {"St.Nr.", "Name", "Angehalten", "Weiter", "Dauer", "Grund"};
inline constexpr const char* kHoldHeading = "Angehaltene Reiter";

} // namespace vandoret
