#include "lists/StartListParser.h"

#include <algorithm>
#include <cstring>
#include <limits>

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

// Fills the cells of a row from its first cell still empty; surplus fields find no place.
class RowFiller {
public:
    explicit RowFiller(StartListRow& row) : row_(row) {}
    bool Full() const { return next_ >= kStartListColumns; }
    void AddBytes(const char* begin, const char* end) {
        std::string& cell = row_[static_cast<std::size_t>(next_++)];
        if (begin == end) {
            cell.assign(1, ' '); // an empty field keeps its place
        } else {
            DecodeCp1252Into(cell, std::string_view(begin, static_cast<std::size_t>(end - begin)));
        }
    }
    void AddText(std::string text) {
        if (!Full()) {
            row_[static_cast<std::size_t>(next_++)] = text.empty() ? std::string(1, ' ') : std::move(text);
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
    const bool tabs = std::memchr(line.data(), '\t', line.size()) != nullptr;
    const char sep = tabs ? '\t' : ';';
    const char* p = line.data();
    const char* const end = p + line.size();
    while (!filler.Full()) {
        const char* q = p;
        while (q != end && *q != sep) {
            ++q;
        }
        filler.AddBytes(p, q);
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

std::size_t CountStartListLines(std::string_view bytes) {
    bytes = UpToCtrlZ(bytes);
    if (bytes.empty()) {
        return 0;
    }
    const auto breaks = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
    return bytes.back() == '\n' ? breaks : breaks + 1;
}

std::size_t ParseStartList(std::string_view bytes, const StartListLayout& layout, const StartListRowSink& sink) {
    bytes = UpToCtrlZ(bytes);
    bool generated = false;
    std::int64_t planned = layout.startClock;
    std::string withoutCr;
    StartListRow row;
    std::size_t index = 0;
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    while (p != end) {
        const auto* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        const char* lineEnd = lf ? lf : end;
        std::string_view line(p, static_cast<std::size_t>(lineEnd - p));
        p = lf ? lf + 1 : end;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1); // CR LF, the common line end
        }
        if (std::memchr(line.data(), '\r', line.size()) != nullptr) {
            withoutCr.assign(line.data(), line.size());
            withoutCr.erase(std::remove(withoutCr.begin(), withoutCr.end(), '\r'), withoutCr.end());
            line = withoutCr;
        }

        for (std::string& cell : row) {
            cell.clear();
        }
        RowFiller filler(row);
        if (generated || (index == 0 && line.substr(0, 3) == "St.")) {
            if (index == 0) {
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
        sink(index++, row);
    }
    return index;
}

std::vector<StartListRow> ParseStartList(std::string_view bytes, const StartListLayout& layout) {
    std::vector<StartListRow> rows;
    rows.reserve(CountStartListLines(bytes));
    ParseStartList(bytes, layout, [&rows](std::size_t, StartListRow& row) { rows.push_back(std::move(row)); });
    return rows;
}

} // namespace vandoret
