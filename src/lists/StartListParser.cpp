#include "lists/StartListParser.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "lists/Cp1252.h"

namespace vandoret {
namespace {

constexpr char kCtrlZ = '\x1A';

// Decodes one field; plain ASCII (the common case) is copied as it is.
void AssignField(std::string& cell, std::string_view bytes) {
    if (bytes.empty()) {
        cell = " ";
        return;
    }
    const bool ascii =
        std::none_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (ascii) {
        cell.assign(bytes.data(), bytes.size());
    } else {
        cell = DecodeCp1252(bytes);
    }
}

// Fills the cells of row from its first cell still empty; returns false once all are taken.
class RowFiller {
public:
    explicit RowFiller(StartListRow& row) : row_(row) {}
    bool Full() const { return next_ >= kStartListColumns; }
    void AddBytes(std::string_view field) {
        if (!Full()) {
            AssignField(row_[static_cast<std::size_t>(next_++)], field);
        }
    }
    void AddText(std::string text) {
        if (!Full()) {
            row_[static_cast<std::size_t>(next_++)] = text.empty() ? std::string(" ") : std::move(text);
        }
    }

private:
    StartListRow& row_;
    int next_ = 0;
};

// Splits one line (without CR and LF) into fields and hands them to the row.
void SplitLine(std::string_view line, RowFiller& filler) {
    if (line.empty()) {
        return;
    }
    const bool tabs = line.find('\t') != std::string_view::npos;
    const char sep = tabs ? '\t' : ';';
    std::size_t pos = 0;
    while (!filler.Full()) {
        const std::size_t next = line.find(sep, pos);
        if (next == std::string_view::npos) {
            filler.AddBytes(line.substr(pos));
            return;
        }
        filler.AddBytes(line.substr(pos, next - pos));
        pos = next + 1;
        if (tabs) {
            while (pos < line.size() && line[pos] == '\t') {
                ++pos;
            }
        }
        if (pos >= line.size()) {
            return; // a separator at the very end of the line
        }
    }
}

std::int32_t Saturate(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

} // namespace

std::string CutStartSeconds(std::string text) {
    int chars = 0; // characters (UTF-8 sequences) before the current byte
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if ((b & 0xC0) == 0x80) {
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
            return text;
        }
        ++chars;
    }
    return text;
}

std::vector<StartListRow> ParseStartList(std::string_view bytes, const StartListLayout& layout) {
    if (const std::size_t eof = bytes.find(kCtrlZ); eof != std::string_view::npos) {
        bytes = bytes.substr(0, eof);
    }
    std::vector<StartListRow> rows;
    rows.reserve(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);

    bool generated = false;
    std::int64_t planned = layout.startClock;
    std::string withoutCr;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find('\n', pos);
        if (end == std::string_view::npos) {
            end = bytes.size();
        }
        std::string_view line = bytes.substr(pos, end - pos);
        pos = end + 1;
        if (line.find('\r') != std::string_view::npos) {
            withoutCr.assign(line.data(), line.size());
            withoutCr.erase(std::remove(withoutCr.begin(), withoutCr.end(), '\r'), withoutCr.end());
            line = withoutCr;
        }

        StartListRow& row = rows.emplace_back();
        RowFiller filler(row);
        const bool first = rows.size() == 1;
        if (generated || (first && line.substr(0, 3) == "St.")) {
            if (first) {
                filler.AddText(layout.caption0);
            } else {
                filler.AddText(FormatMinutes(Saturate(planned), layout.locale));
                planned += layout.startInt;
            }
            generated = true;
        }
        SplitLine(line, filler);
        if (row[0].find(':') != std::string::npos) {
            row[0] = CutStartSeconds(std::move(row[0]));
        }
    }
    return rows;
}

} // namespace vandoret
