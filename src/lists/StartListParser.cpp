#include "lists/StartListParser.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <span>

#include "lists/Cp1252.h"

namespace vandoret {
namespace {

constexpr char kCtrlZ = '\x1A';

std::string_view UpToCtrlZ(std::string_view bytes) {
    if (const std::size_t eof = bytes.find(kCtrlZ); eof != std::string_view::npos) {
        bytes = bytes.substr(0, eof);
    }
    return bytes;
}

// The first c in [p, end), or end: eight bytes at a time, as fields are short and many.
const char* FindByte(const char* p, const char* end, char c) {
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
        constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
        const std::uint64_t pattern = kOnes * static_cast<unsigned char>(c);
        while (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            const std::uint64_t x = word ^ pattern;
            // The lowest marked byte is the first zero byte of x, that is the first c.
            const std::uint64_t found = (x - kOnes) & ~x & kHighBits;
            if (found != 0) {
                return p + (std::countr_zero(found) >> 3);
            }
            p += 8;
        }
    }
    while (p != end && *p != c) {
        ++p;
    }
    return p;
}

// What one pass over a line finds out: whether it holds a CR and whether it is plain ASCII.
struct LineScan {
    bool cr = false;
    bool ascii = true;
};

LineScan ScanLine(std::string_view line) {
    std::uint64_t seen = 0; // every byte or-ed together: its high bits tell non-ASCII
    std::uint64_t crs = 0;  // marks of the CR bytes
    std::size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
        constexpr std::uint64_t kPattern = 0x0101010101010101ULL * '\r';
        for (; i + 8 <= line.size(); i += 8) {
            std::uint64_t word;
            std::memcpy(&word, line.data() + i, 8);
            seen |= word;
            const std::uint64_t x = word ^ kPattern;
            crs |= ~(((x & kLow7) + kLow7) | x | kLow7); // exact: 0x80 where a byte is CR
        }
    }
    LineScan scan;
    for (; i < line.size(); ++i) {
        seen |= static_cast<unsigned char>(line[i]);
        scan.cr = scan.cr || line[i] == '\r';
    }
    scan.cr = scan.cr || crs != 0;
    scan.ascii = (seen & 0x8080808080808080ULL) == 0;
    return scan;
}

// A cell refilled on a reload keeps its storage; only room far beyond its new text is given back.
inline void GiveBackSurplus(std::string& cell) {
    if (cell.capacity() > 2 * cell.size() + 64) [[unlikely]] {
        cell.shrink_to_fit();
    }
}

// Fills the cells of a row from the first one; surplus fields find no place.
class RowFiller {
public:
    explicit RowFiller(std::span<std::string, kStartListColumns> row) : row_(row) {}
    bool Full() const { return next_ >= kStartListColumns; }
    void AddBytes(const char* begin, std::size_t size) {
        std::string& cell = row_[next_++];
        if (size == 0) {
            cell.assign(1, ' '); // an empty field keeps its place
        } else {
            cell.assign(begin, size);
        }
        GiveBackSurplus(cell);
    }
    // The inside of a quoted field: "" stands for one '"'.
    void AddQuoted(const char* begin, const char* end) {
        std::string& cell = row_[next_++];
        cell.clear();
        for (const char* p = begin; p != end; ++p) {
            cell += *p;
            if (*p == '"') {
                ++p; // the second quote of the pair
            }
        }
        if (cell.empty()) {
            cell.assign(1, ' ');
        }
        GiveBackSurplus(cell);
    }
    void AddText(const std::string& text) {
        std::string& cell = row_[next_++];
        if (text.empty()) {
            cell.assign(1, ' ');
        } else {
            cell.assign(text);
        }
        GiveBackSurplus(cell);
    }
    // Cells no field reached are empty.
    void Finish() {
        for (; next_ < kStartListColumns; ++next_) {
            row_[next_].clear();
            GiveBackSurplus(row_[next_]);
        }
    }

private:
    std::span<std::string, kStartListColumns> row_;
    std::size_t next_ = 0;
};

// The separator of a line: TAB if it holds one, else ';'.
char LineSeparator(std::string_view line) {
    const char* const end = line.data() + line.size();
    return FindByte(line.data(), end, '\t') != end ? '\t' : ';';
}

// The closing quote of a quoted field that opens with the '"' at p, or nullptr when the field is
// not enclosed in quotes (no closing '"' right before the separator or the line end).
const char* ClosingQuote(const char* p, const char* end, char sep) {
    const char* q = p + 1;
    for (;;) {
        q = FindByte(q, end, '"');
        if (q == end) {
            return nullptr;
        }
        if (q + 1 != end && q[1] == '"') {
            q += 2; // "" inside the quotes
            continue;
        }
        return q + 1 == end || q[1] == sep ? q : nullptr;
    }
}

// Splits one line (without CR and LF) into fields and hands them to the row.
void SplitLine(std::string_view line, RowFiller& filler) {
    if (line.empty()) {
        return;
    }
    const char* p = line.data();
    const char* const end = p + line.size();
    const char sep = LineSeparator(line);
    const bool tabs = sep == '\t';
    while (!filler.Full()) {
        const char* q = nullptr; // the separator after the field, or end
        if (*p == '"') {
            if (const char* close = ClosingQuote(p, end, sep)) {
                filler.AddQuoted(p + 1, close);
                q = close + 1;
            }
        }
        if (q == nullptr) {
            q = FindByte(p, end, sep);
            filler.AddBytes(p, static_cast<std::size_t>(q - p));
        }
        if (q == end) {
            return;
        }
        p = q + 1;
        if (tabs) {
            while (p != end && *p == '\t') {
                ++p; // a run of TABs is one separator
            }
        }
        if (p == end) {
            return; // a separator at the very end of the line
        }
    }
}

// Whether the first field of the caption line begins with "St.", the layout without start times.
bool WithoutStartTimes(std::string_view line) {
    if (line.starts_with('"')) {
        const char* const end = line.data() + line.size();
        if (const char* close = ClosingQuote(line.data(), end, LineSeparator(line))) {
            // "St." holds no quote, so the inside begins with it exactly when the field does.
            return std::string_view(line.data() + 1, static_cast<std::size_t>(close - line.data() - 1))
                .starts_with("St.");
        }
    }
    return line.starts_with("St.");
}

// The cut of the seconds, in place. It goes on until no ':' is left at position 4 or later, so a
// cut text stays as it is when cut again: a saved list that is opened again keeps its cells
// ("09:60:00:1" gives "09:60", not "09:60:1", which the next open would cut to "09:60").
void CutSeconds(std::string& text) {
    std::size_t chars = 0; // characters (UTF-8 sequences) before the current byte
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        if ((b & 0xC0) == 0x80) {
            ++i;
            continue; // continuation byte of the character just counted
        }
        if (b == ':' && chars >= 3) {
            std::size_t end = i + 1;
            for (int taken = 0; taken < 2 && end < text.size(); ++taken) {
                ++end;
                while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
                    ++end;
                }
            }
            text.erase(i, end - i);
            continue; // what follows now stands at i
        }
        ++chars;
        ++i;
    }
}

// The start number without the blanks (spaces, TABs) around it, so it shows as the operator types
// it; a field of blanks alone stays as it is (the mark of an empty field).
void TrimNumber(std::string& number) {
    std::size_t begin = 0;
    std::size_t end = number.size();
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (begin < end && blank(number[begin])) {
        ++begin;
    }
    while (end > begin && blank(number[end - 1])) {
        --end;
    }
    if (begin < end && (begin > 0 || end < number.size())) {
        number = number.substr(begin, end - begin);
    }
}

std::int32_t Saturate(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

} // namespace

std::string CutStartSeconds(std::string text) {
    CutSeconds(text);
    return text;
}

StartListReader::StartListReader(std::string_view bytes, StartListLayout layout)
    : layout_(std::move(layout)), planned_(layout_.startClock) {
    if (DecodeUtf16WithMark(bytes, utf16_)) {
        bytes = utf16_; // UTF-8 from here on, without a mark
    }
    bytes_ = UpToCtrlZ(bytes);
    coding_ = DetectTextCoding(bytes_);
    if (coding_.bom) {
        bytes_.remove_prefix(kUtf8Bom.size());
    }
    // Old Mac files end their lines with CR alone; a file with any LF keeps CR LF and LF.
    if (bytes_.find('\n') == std::string_view::npos && bytes_.find('\r') != std::string_view::npos) {
        lineEnd_ = '\r';
    }
}

std::size_t StartListReader::LineCount() const {
    if (bytes_.empty()) {
        return 0;
    }
    std::size_t breaks = 0;
    std::size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        // Count the LF bytes eight at a time: mark each zero byte of word ^ LF exactly.
        constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
        constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
        const std::uint64_t kPattern = kOnes * static_cast<unsigned char>(lineEnd_);
        for (; i + 8 <= bytes_.size(); i += 8) {
            std::uint64_t word;
            std::memcpy(&word, bytes_.data() + i, 8);
            const std::uint64_t x = word ^ kPattern;
            const std::uint64_t zero = ~(((x & kLow7) + kLow7) | x | kLow7);
            // Each marked byte holds 0x80 alone: gather the marks into the top byte.
            breaks += static_cast<std::size_t>(((zero >> 7) * kOnes) >> 56);
        }
    }
    for (; i < bytes_.size(); ++i) {
        breaks += bytes_[i] == lineEnd_ ? 1 : 0;
    }
    return bytes_.back() == lineEnd_ ? breaks : breaks + 1;
}

bool StartListReader::Next(StartListRow& row) {
    return Next(std::span<std::string, kStartListColumns>(row));
}

bool StartListReader::Next(std::span<std::string, kStartListColumns> row) {
    if (pos_ >= bytes_.size()) {
        return false;
    }
    const char* const begin = bytes_.data() + pos_;
    const std::size_t rest = bytes_.size() - pos_;
    const auto* lf = static_cast<const char*>(std::memchr(begin, lineEnd_, rest));
    std::string_view line(begin, lf ? static_cast<std::size_t>(lf - begin) : rest);
    pos_ += line.size() + 1;
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1); // CR LF, the common line end
    }
    const LineScan scan = ScanLine(line);
    if (scan.cr) {
        withoutCr_.assign(line.data(), line.size());
        withoutCr_.erase(std::remove(withoutCr_.begin(), withoutCr_.end(), '\r'), withoutCr_.end());
        line = withoutCr_;
    }

    if (!scan.ascii && !(coding_.utf8 && coding_.valid)) {
        // The line is decoded as a whole: the UTF-8 forms of the Windows-1252 letters hold no
        // byte below 0x80, so the separators stay where they were.
        if (coding_.utf8) {
            DecodeUtf8LenientInto(decoded_, line); // a file with the mark that is not valid UTF-8
            line = decoded_;
        } else {
            if (decoded_.size() < line.size() * 3) {
                decoded_.resize(line.size() * 3);
            }
            const char* const end = DecodeCp1252To(decoded_.data(), line);
            line = std::string_view(decoded_.data(), static_cast<std::size_t>(end - decoded_.data()));
        }
    }

    RowFiller filler(row);
    if (generated_ || (index_ == 0 && WithoutStartTimes(line))) {
        if (index_ == 0) {
            filler.AddText(layout_.caption0);
        } else {
            filler.AddText(FormatMinutes(Saturate(planned_), layout_.locale));
            planned_ += layout_.startInt;
        }
        generated_ = true;
    }
    SplitLine(line, filler);
    filler.Finish();
    CutSeconds(row[0]);
    if (index_ > 0) {
        TrimNumber(row[1]);
    }
    ++index_;
    return true;
}

std::vector<StartListRow> ParseStartList(std::string_view bytes, const StartListLayout& layout) {
    StartListReader reader(bytes, layout);
    std::vector<StartListRow> rows(reader.LineCount());
    for (StartListRow& row : rows) {
        reader.Next(row);
    }
    return rows;
}

} // namespace vandoret
