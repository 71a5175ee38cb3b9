// The comparisons behind the sorting of the lists, and the text conversions they read with.
//
// Styles (TSortStyle):
//   ssAutomatic, ssNormal  byte by byte, unsigned codes (as a C string compare)
//   ssNumeric              as floating-point numbers with the locale's decimal separator
//   ssNumericExtended      CompareNumberedText
//   ssDateTime             as German date and time "dd.mm.yyyy hh:nn:ss" (or a time alone)
//   ssTime                 as a time of day "hh:nn[:ss[,zzz]]"
//   ssCustom               the options' CustomCompare
// A pair that does not convert under its style falls back to the byte-wise comparison, so a sort
// never stops on bad text. Texts are UTF-8, so byte order is character-code order: "Ärger" sorts
// after "Zoo", as it does in the Windows-1252 files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "grid/SortGrid.h"
#include "grid/TextCompare.h"

namespace vandoret {

// One data row while a sort pass runs: its key text, its position in the row order the pass
// starts from (1 for the first data row), and the options the comparison follows.
struct TSortedListEntry {
    std::string Str;
    int Position = 0;
    const TSortOptions* Options = nullptr;
};

// Compares by the options' SortStyle (after folding A-Z unless SortCaseSensitive), then by
// position, smaller first, whatever the direction; the style's result is negated for
// sdDescending. Never 0 for two entries of different positions.
int CompareSortEntries(const TSortedListEntry& a, const TSortedListEntry& b);

// The same order as CompareSortEntries, with the folding and the conversions done once per row
// instead of once per comparison: what a sort pass uses.
struct TSortKey {
    std::string Str;             // folded unless SortCaseSensitive
    std::optional<double> Value; // the converted value under a numeric, date-time or time style
    int Position = 0;
};
TSortKey MakeSortKey(const TSortedListEntry& entry);
int CompareSortKeys(const TSortKey& a, const TSortKey& b, const TSortOptions& options);

// The byte-wise comparison: -1, 0 or 1.
int CompareBytes(std::string_view a, std::string_view b);

// Folds the letters A-Z to lower case; everything else, umlauts among them, stays.
std::string FoldAsciiLower(std::string_view text);

// The conversions of the styles. Blanks around the text are allowed; the whole text must be used.
//   ParseSortNumber("9,5") == 9.5, ParseSortNumber(" -1,5e3 ") == -1500, ParseSortNumber("9.5") fails.
std::optional<double> ParseSortNumber(std::string_view text, const Locale& locale);
// A date d.m.yyyy (or d.m.yy, or d.m for the year 2000), optionally followed by a blank and a
// time, or a time alone; days since 30 Dec 1899 plus the time as a day fraction.
std::optional<double> ParseSortDateTime(std::string_view text, const Locale& locale);
// A whole number as the platform's integer conversion reads it: blanks in front, an optional
// sign, decimal digits, within 32 bits. "2,5", "", "3 " and "x" are not whole numbers.
std::optional<std::int32_t> ParseWholeNumber(std::string_view text);
// A time of day (ParseTimeOfDay).
std::optional<double> ParseSortTime(std::string_view text, const Locale& locale);

} // namespace vandoret
