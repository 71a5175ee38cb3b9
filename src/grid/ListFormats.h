// What the window needs to paint the tabs and the cells of the lists, as plain data.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vandoret {

// A colour as red, green, blue.
struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// How a list cell is painted beyond the list's own settings: a background of its own (none: the
// list's colour, or the selection colours in the current row), a text colour of its own, the
// right alignment, a mark drawn after the text (it is not part of the cell's text), and a tooltip
// that says what is wrong with the cell and what to do.
struct CellFormat {
    CellFormat(std::optional<Rgb> background_ = std::nullopt, bool rightAligned_ = false)
        : background(background_), rightAligned(rightAligned_) {}
    std::optional<Rgb> background;
    bool rightAligned = false;
    std::optional<Rgb> textColor;
    std::string_view mark;
    std::string toolTip; // what the cell's colour means and what to do
    bool operator==(const CellFormat&) const = default;
};

// The background of every list where no cell format says otherwise.
inline constexpr Rgb kListBackground{208, 208, 240};
// The text of a row whose time was entered or corrected by hand (blue), and the mark beside the
// ride time it gives in the results.
inline constexpr Rgb kHandTimeText{0, 0, 255};
inline constexpr std::string_view kHandTimeMark = "H";
// The background of a cell the results cannot use as it stands (a number not in the start list
// or given twice, a pause or fault points that do not read, a pause longer than the ride); its
// tooltip names the fault.
inline constexpr Rgb kCheckBackground{255, 190, 70};
// The mark of a ride time measured across a step of the wall clock, alone and beside "H".
inline constexpr std::string_view kClockStepMark = "Uhr";
inline constexpr std::string_view kHandAndClockMark = "H Uhr";
// Beside the time of a start the program took by itself (the automatic start).
inline constexpr std::string_view kAutomaticStartMark = "Auto";
inline constexpr std::string_view kAutomaticStartTip =
    "Automatischer Start: bei der Wertung nach Reglement zählt die geplante Startzeit";
// The background of the number of a rider with a status (retired, eliminated, ...).
inline constexpr Rgb kStatusBackground{225, 225, 225};
// A cell that needs the operator's look: riders sharing a planned start, a number started twice.
inline constexpr Rgb kAttentionBackground{255, 200, 120};

// An owner-drawn tab: background and text colour. The caption stands 4 pixels right of the tab's
// left edge and 2 pixels below its top, 2 pixels lower still for the active tab.
struct TabColors {
    Rgb background;
    Rgb text;
};
inline constexpr int kTabCaptionLeft = 4;
inline constexpr int kTabCaptionTop = 2;
inline constexpr int kTabCaptionActiveDrop = 2;

} // namespace vandoret
