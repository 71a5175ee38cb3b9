// The start list file format, as pure functions from bytes to rows (no files, no list state), so
// the reader can be tested and measured on its own.
//
// Rules: a 0x1A (Ctrl+Z) ends the data; the bytes are UTF-8 when they begin with the byte-order
// mark (dropped) or are valid UTF-8 with a multi-byte sequence, else Windows-1252 (Utf8Text.h).
// UTF-16 with its mark (FF FE or FE FF) is decoded first. LF ends a line, every CR is dropped; in
// a file without any LF each CR ends a line (old Mac files). The last line needs no line end. Each line is split at
// TABs if it has one (a run of TABs counts as one separator), else at ";". A separator at the
// very end of a line is ignored. A field enclosed in double quotes (a '"' at its start, the
// closing '"' right before a separator or the line end) is read as CSV writes it: the quotes go,
// "" inside stands for one '"', and separators inside do not split; any other field is taken as
// it stands, quotes and all.
// Fields fill the six columns from the left, an empty field is stored as " ", surplus fields are
// dropped; cells no field reached stay empty. The start number (column 1 of the data rows) loses
// the blanks around it. When line 1 begins with "St." (its first field
// once the quotes are gone) the file has no start times: every line gets a first field in front
// (line 1: the previous column-0 caption; data line k: StartClock + (k - 1) * StartInt minutes as
// FormatMinutes writes them). Finally the seconds are cut from column 0 of every row
// (CutStartSeconds).
//
//   "09:30:00\t12\tRider A"  -> {"09:30", "12", "Rider A", "", "", ""}
//   "1;;Rider"               -> {"1", " ", "Rider", "", "", ""}
//   "6:50";"a;b""c"          -> {"6:50", "a;b\"c", "", "", "", ""}   (quotes as in the file)
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/TimeValues.h"
#include "lists/Utf8Text.h"

namespace vandoret {

inline constexpr int kStartListColumns = 6;
using StartListRow = std::array<std::string, kStartListColumns>;

struct StartListLayout {
    std::string caption0;          // column-0 caption before the load (UTF-8), e.g. "Startzeit"
    std::int32_t startClock = 570; // first generated start, minutes after midnight
    std::int32_t startInt = 5;     // minutes between generated starts
    Locale locale;
};

// The rows of a start list file: row 0 from line 1 (the captions), row k from line k + 1.
// An empty input gives no rows. Never throws except std::bad_alloc.
std::vector<StartListRow> ParseStartList(std::string_view bytes, const StartListLayout& layout);

// The same, one row at a time, for callers that move the cells straight into their list.
// bytes must outlive the reader.
class StartListReader {
public:
    StartListReader(std::string_view bytes, StartListLayout layout);
    StartListReader(const StartListReader&) = delete; // it may point into its own decoded text
    StartListReader& operator=(const StartListReader&) = delete;
    // The number of rows the reader gives in all.
    std::size_t LineCount() const;
    // Fills row with the next line's cells (every cell is overwritten); false at the end.
    bool Next(StartListRow& row);
    // The same into the first cells of a list row; the cells keep their storage where it fits.
    bool Next(std::span<std::string, kStartListColumns> row);

private:
    std::string utf16_; // the text of a UTF-16 file, in UTF-8
    std::string_view bytes_;
    TextCoding coding_;
    char lineEnd_ = '\n';
    StartListLayout layout_;
    std::size_t pos_ = 0;
    std::size_t index_ = 0;
    bool generated_ = false;
    std::int64_t planned_ = 0;
    std::string withoutCr_;
    std::string decoded_; // the current line in UTF-8, when it had to be decoded; only grows
};

// The cut of the seconds: a ':' at character position 4 or later (counted from 1) is removed
// together with the two characters after it, and again while such a ':' is left, so a cut text
// is cut no further. "09:30:15" -> "09:30", "9:30:00" -> "9:30", "09:30:00:5" -> "09:30";
// "10:05" and "Startzeit" stay as they are.
std::string CutStartSeconds(std::string text);

} // namespace vandoret
