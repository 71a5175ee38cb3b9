// Writing and reading the registry export text form of the settings file.
#include "settings/RegFileFormat.h"

#include <cstdio>

namespace vandoret {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kEol = "\r\n";
constexpr std::size_t kHexLineWidth = 76; // regedit wraps hex values near 80 columns

// Registry type numbers as regedit writes them in hex(n).
constexpr std::uint32_t kRegSz = 1, kRegExpandSz = 2, kRegBinary = 3, kRegDword = 4;

std::string Hex2(std::uint32_t v) {
    char buf[3];
    std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned>(v & 0xFF));
    return buf;
}

std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
        }
        out += c;
    }
    out += '"';
    return out;
}

// "hex:", "hex(2):" ... followed by the bytes, wrapped as regedit wraps them.
std::string HexValue(const std::string& prefix, std::string_view type, const std::vector<std::uint8_t>& bytes) {
    std::string out = prefix + std::string(type);
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out += Hex2(bytes[i]);
        if (i + 1 < bytes.size()) {
            out += ',';
            if (out.size() - lineStart >= kHexLineWidth) {
                out += '\\';
                out += kEol;
                lineStart = out.size();
                out += "  ";
            }
        }
    }
    return out;
}

bool NeedsHexText(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return true;
        }
    }
    return false;
}

std::vector<std::uint8_t> TextBytes(std::string_view text) {
    std::vector<std::uint8_t> bytes = Utf8ToUtf16Le(text);
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

std::string FormatValue(const std::string& name, const RegValue& v) {
    const std::string prefix = Quote(name) + "=";
    switch (v.type) {
    case RegType::Dword: {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%08x", static_cast<unsigned>(v.dword));
        return prefix + "dword:" + buf;
    }
    case RegType::Sz:
        if (NeedsHexText(v.text)) {
            return HexValue(prefix, "hex(1):", TextBytes(v.text));
        }
        return prefix + Quote(v.text);
    case RegType::ExpandSz:
        return HexValue(prefix, "hex(2):", TextBytes(v.text));
    case RegType::Binary:
        return HexValue(prefix, "hex:", v.binary);
    case RegType::Other: {
        char buf[24];
        std::snprintf(buf, sizeof buf, "hex(%x):", static_cast<unsigned>(v.dword));
        return HexValue(prefix, buf, v.binary);
    }
    case RegType::Unreadable:
        return v.text; // the line as it stood, name included
    }
    return prefix + "hex:";
}

// ---- Reading ---------------------------------------------------------------------------------

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// A hex number of 1 to 8 digits, nothing else.
std::optional<std::uint32_t> ParseHexNumber(std::string_view s) {
    if (s.empty() || s.size() > 8) {
        return std::nullopt;
    }
    std::uint32_t v = 0;
    for (char c : s) {
        const int d = HexDigit(c);
        if (d < 0) {
            return std::nullopt;
        }
        v = (v << 4) | static_cast<std::uint32_t>(d);
    }
    return v;
}

// A quoted text at the start of s with \\ and \" escapes; pos is set behind the closing quote.
std::optional<std::string> ParseQuoted(std::string_view s, std::size_t& pos) {
    if (s.empty() || s[0] != '"') {
        return std::nullopt;
    }
    std::string out;
    for (std::size_t i = 1; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"') {
            pos = i + 1;
            return out;
        }
        if (c == '\\') {
            if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) {
                return std::nullopt;
            }
            out += s[++i];
        } else {
            out += c;
        }
    }
    return std::nullopt; // no closing quote
}

// "00,ff, 12" (blanks allowed around each byte); an empty list is no bytes.
std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view s) {
    std::vector<std::uint8_t> bytes;
    s = Trim(s);
    if (s.empty()) {
        return bytes;
    }
    while (true) {
        const std::size_t comma = s.find(',');
        const std::string_view item = Trim(s.substr(0, comma));
        if (item.size() != 2 || HexDigit(item[0]) < 0 || HexDigit(item[1]) < 0) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(HexDigit(item[0]) * 16 + HexDigit(item[1])));
        if (comma == std::string_view::npos) {
            return bytes;
        }
        s.remove_prefix(comma + 1);
    }
}

// A REG_SZ / REG_EXPAND_SZ in UTF-16LE, with or without its terminating zero.
std::optional<std::string> TextFromBytes(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() % 2 != 0) {
        return std::nullopt;
    }
    std::size_t size = bytes.size();
    if (size >= 2 && bytes[size - 1] == 0 && bytes[size - 2] == 0) {
        size -= 2;
    }
    return Utf16LeToUtf8(bytes.data(), size);
}

std::optional<RegValue> ParseData(std::string_view data) {
    if (!data.empty() && data[0] == '"') {
        std::size_t end = 0;
        std::optional<std::string> text = ParseQuoted(data, end);
        if (!text || !Trim(data.substr(end)).empty()) {
            return std::nullopt;
        }
        return RegValue::Sz(std::move(*text));
    }
    if (data.substr(0, 6) == "dword:") {
        const std::optional<std::uint32_t> v = ParseHexNumber(Trim(data.substr(6)));
        if (!v) {
            return std::nullopt;
        }
        return RegValue::Dword(*v);
    }
    std::uint32_t type = kRegBinary;
    if (data.substr(0, 4) == "hex:") {
        data.remove_prefix(4);
    } else if (data.substr(0, 4) == "hex(") {
        const std::size_t close = data.find("):");
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        const std::optional<std::uint32_t> t = ParseHexNumber(data.substr(4, close - 4));
        if (!t) {
            return std::nullopt;
        }
        type = *t;
        data.remove_prefix(close + 2);
    } else {
        return std::nullopt;
    }
    std::optional<std::vector<std::uint8_t>> bytes = ParseHexBytes(data);
    if (!bytes) {
        return std::nullopt;
    }
    switch (type) {
    case kRegBinary:
        return RegValue::Binary(std::move(*bytes));
    case kRegSz:
    case kRegExpandSz: {
        std::optional<std::string> text = TextFromBytes(*bytes);
        if (!text) {
            return RegValue::Other(type, std::move(*bytes));
        }
        return type == kRegSz ? RegValue::Sz(std::move(*text)) : RegValue::ExpandSz(std::move(*text));
    }
    case kRegDword:
        if (bytes->size() == 4) {
            return RegValue::Dword(
                static_cast<std::uint32_t>((*bytes)[0]) | static_cast<std::uint32_t>((*bytes)[1]) << 8 |
                static_cast<std::uint32_t>((*bytes)[2]) << 16 | static_cast<std::uint32_t>((*bytes)[3]) << 24);
        }
        return RegValue::Other(type, std::move(*bytes));
    default:
        return RegValue::Other(type, std::move(*bytes));
    }
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        if (nl == std::string_view::npos) {
            break;
        }
        text.remove_prefix(nl + 1);
    }
    return lines;
}

// Value names match without regard to case, as in the registry.
bool SameName(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

const RegValue* RegFile::Find(const std::string& name) const {
    for (const auto& [n, v] : values) {
        if (SameName(n, name)) {
            return &v;
        }
    }
    return nullptr;
}

void RegFile::Set(const std::string& name, const RegValue& value) {
    for (auto& [n, v] : values) {
        if (SameName(n, name)) {
            v = value; // the name keeps the spelling it has in the file
            if (value.type == RegType::Unreadable) {
                n = name; // but a line kept as it stood is written with its own spelling
            }
            return;
        }
    }
    values.emplace_back(name, value);
}

std::string FormatRegFile(const RegFile& file) {
    std::string out(kHeader);
    out += kEol;
    out += kEol;
    out += "[" + file.key + "]";
    out += kEol;
    for (const auto& [name, value] : file.values) {
        out += FormatValue(name, value);
        out += kEol;
    }
    out += kEol;
    return out;
}

std::optional<RegFile> ParseRegFile(std::string_view text) {
    std::string converted;
    if (text.size() >= 2 && static_cast<std::uint8_t>(text[0]) == 0xFF && static_cast<std::uint8_t>(text[1]) == 0xFE) {
        // regedit itself writes UTF-16LE with a byte order mark.
        if (text.size() % 2 != 0) {
            return std::nullopt;
        }
        converted = Utf16LeToUtf8(reinterpret_cast<const std::uint8_t*>(text.data()) + 2, text.size() - 2);
        text = converted;
    } else if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }

    const std::vector<std::string_view> lines = SplitLines(text);
    std::size_t i = 0;
    while (i < lines.size() && Trim(lines[i]).empty()) {
        ++i;
    }
    if (i == lines.size() || Trim(lines[i]) != kHeader) {
        return std::nullopt;
    }
    ++i;

    RegFile file;
    bool haveKey = false;
    for (; i < lines.size(); ++i) {
        std::string_view line = Trim(lines[i]);
        if (line.empty() || line[0] == ';') {
            continue;
        }
        if (line[0] == '[') {
            // One key only; a key to delete ("[-...") is not a settings key either.
            if (haveKey || line.back() != ']' || line.size() < 3 || line[1] == '-') {
                return std::nullopt;
            }
            file.key = std::string(line.substr(1, line.size() - 2));
            haveKey = true;
            continue;
        }
        if (!haveKey) {
            return std::nullopt;
        }
        // A value line that cannot be read is kept as it stands: it reads as that value mistyped
        // and is written back unchanged, so one bad line costs no other value.
        const std::size_t first = i;
        std::size_t pos = 0;
        const std::optional<std::string> name = ParseQuoted(line, pos);
        std::optional<RegValue> value;
        bool cutShort = false; // a hex value continued past the end of the file
        if (name) {
            const std::string_view rest = Trim(line.substr(pos));
            if (!rest.empty() && rest[0] == '=') {
                std::string data(Trim(rest.substr(1)));
                // A hex value goes on over lines that end in a backslash.
                while (data.substr(0, 3) == "hex" && !data.empty() && data.back() == '\\' && !cutShort) {
                    data.pop_back();
                    cutShort = i + 1 >= lines.size();
                    if (!cutShort) {
                        data += Trim(lines[++i]);
                    }
                }
                value = cutShort ? std::nullopt : ParseData(data);
            }
        }
        if (value) {
            file.Set(*name, *value);
            continue;
        }
        if (cutShort) {
            break; // the file ends inside this value: it is lost with the rest of the file
        }
        std::string raw;
        for (std::size_t k = first; k <= i; ++k) {
            raw += k > first ? kEol : std::string_view();
            raw += lines[k];
        }
        if (name) {
            file.Set(*name, RegValue::Unreadable(std::move(raw)));
        } else {
            file.values.emplace_back(std::string(), RegValue::Unreadable(std::move(raw)));
        }
    }
    if (!haveKey) {
        return std::nullopt;
    }
    return file;
}

} // namespace vandoret
