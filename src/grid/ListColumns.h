// The columns of the five lists, each index next to the caption row 0 shows for it.
//
// Every rule that reads or writes a cell names its column here, so a column that moves moves in
// one place. Example: the stop time of row r of the stop list is stopTimes.Cells(kStopTime, r).
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace vandoret {

// The tabs of the page control, in order, one list each; the index is the page index.
enum TabIndex : int { kTabStartList = 0, kTabStartTimes = 1, kTabStopTimes = 2, kTabResults = 3, kTabEventing = 4 };

// "Startliste" (SortGrid1), as the start list file gives it.
inline constexpr int kListPlanned = 0; // "Startzeit": the planned start, hh:mm
inline constexpr int kListNr = 1;      // "St.Nr."
inline constexpr int kListName = 2;    // "Name"
inline constexpr int kListHorse = 3;   // "Pferd"
inline constexpr int kListClub = 4;    // "Club"
inline constexpr int kListTown = 5;    // "Ort"
inline constexpr std::array<std::string_view, 6> kStartListCaptions{"Startzeit", "St.Nr.", "Name",
                                                                    "Pferd",     "Club",   "Ort"};

// "Startzeiten" (SortGrid2): one row a start.
inline constexpr int kStartRowNr = 0; // "Kontakt-Nr.": "1.", "2.", …
inline constexpr int kStartTime = 1;  // "Startzeit": hh:mm:ss,z
inline constexpr int kStartNr = 2;    // "St.Nr."
inline constexpr std::array<std::string_view, 3> kStartTimesCaptions{"Kontakt-Nr.", "Startzeit", "St.Nr."};

// "Stoppzeiten" (SortGrid3): one row a finish.
inline constexpr int kStopRowNr = 0;      // "Kontakt-Nr."
inline constexpr int kStopTime = 1;       // "Stoppzeit": hh:mm:ss,z
inline constexpr int kStopNr = 2;         // "St.Nr.", typed by the operator
inline constexpr int kStopPause = 3;      // "Pausen": time held on the course; "!" when the rider has no start
inline constexpr int kStopTimePoints = 4; // "EZ-Pkt.": the time penalties, written by the results
inline constexpr int kStopFaults = 5;     // "F.-Pkt.": fault points, typed by the operator
inline constexpr std::array<std::string_view, 6> kStopTimesCaptions{"Kontakt-Nr.", "Stoppzeit", "St.Nr.",
                                                                    "Pausen",      "EZ-Pkt.",   "F.-Pkt."};

// The columns of the stop list the operator types into: "St.Nr.", "Pausen" and "F.-Pkt.".
constexpr bool StopListColumnEditable(int col) {
    return col == kStopNr || col == kStopPause || col == kStopFaults;
}

// "Ergebnisse" (SortGrid4): built from the three lists above.
inline constexpr int kResultPlace = 0;  // "Platz"
inline constexpr int kResultNr = 1;     // "St.Nr."
inline constexpr int kResultName = 2;   // "Name"
inline constexpr int kResultHorse = 3;  // "Pferd"
inline constexpr int kResultClub = 4;   // "Club"
inline constexpr int kResultTown = 5;   // "Ort"
inline constexpr int kResultTime = 6;   // "Zeit": the ride time
inline constexpr int kResultPoints = 7; // "Punkte"
inline constexpr std::array<std::string_view, 8> kResultsCaptions{"Platz", "St.Nr.", "Name", "Pferd",
                                                                  "Club",  "Ort",    "Zeit", "Punkte"};

// "Vielseitigkeit" (SortGrid5): the start list from "St.Nr." on, without the planned start.
inline constexpr int kEventingNr = 0; // "St.Nr."
inline constexpr std::array<std::string_view, 5> kEventingCaptions{"St.Nr.", "Name", "Pferd", "Club", "Ort"};

// Row 0 of `grid` gets the captions.
template <typename Grid, std::size_t N>
void WriteCaptions(Grid& grid, const std::array<std::string_view, N>& captions) {
    for (std::size_t c = 0; c < N; ++c) {
        grid.SetCell(static_cast<int>(c), 0, std::string(captions[c]));
    }
}

} // namespace vandoret
