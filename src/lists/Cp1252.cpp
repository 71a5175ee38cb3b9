#include "lists/Cp1252.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

namespace vandoret {
namespace {

// Code points of the bytes 0x80..0x9F; the undefined ones map to themselves.
constexpr std::array<char16_t, 32> kHigh = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                            0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The Windows-1252 byte of cp, or 0 when the code page has none (U+0000 is ASCII anyway).
char EncodeCodePoint(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        return static_cast<char>(cp);
    }
    for (std::size_t i = 0; i < kHigh.size(); ++i) {
        if (kHigh[i] == cp) {
            return static_cast<char>(0x80 + i);
        }
    }
    return 0;
}

// The UTF-8 form of each byte 0x80..0xFF.
struct Utf8Form {
    std::array<char, 3> bytes{};
    std::size_t length = 0;
};

constexpr std::array<Utf8Form, 128> MakeUtf8Forms() {
    std::array<Utf8Form, 128> forms{};
    for (std::size_t i = 0; i < forms.size(); ++i) {
        const char32_t cp = i < 0x20 ? kHigh[i] : static_cast<char32_t>(0x80 + i);
        if (cp < 0x800) {
            forms[i].bytes = {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F)), 0};
            forms[i].length = 2;
        } else {
            forms[i].bytes = {static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
                              static_cast<char>(0x80 | (cp & 0x3F))};
            forms[i].length = 3;
        }
    }
    return forms;
}

constexpr std::array<Utf8Form, 128> kUtf8Forms = MakeUtf8Forms();

// The length of the leading run of ASCII bytes, eight at a time.
std::size_t AsciiPrefix(std::string_view bytes) {
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        if ((word & 0x8080808080808080ULL) != 0) {
            break;
        }
    }
    while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) < 0x80) {
        ++i;
    }
    return i;
}

} // namespace

namespace {

// Writes the UTF-8 form of bytes to p; plain ASCII is copied eight bytes at a time.
char* DecodeTo(char* p, std::string_view bytes) {
    const char* in = bytes.data();
    const char* const end = in + bytes.size();
    while (in != end) {
        if (end - in >= 8) {
            std::uint64_t word;
            std::memcpy(&word, in, 8);
            if ((word & 0x8080808080808080ULL) == 0) {
                std::memcpy(p, in, 8);
                p += 8;
                in += 8;
                continue;
            }
        }
        const auto b = static_cast<unsigned char>(*in++);
        if (b < 0x80) {
            *p++ = static_cast<char>(b);
        } else {
            const Utf8Form& form = kUtf8Forms[b - 0x80];
            p[0] = form.bytes[0];
            p[1] = form.bytes[1];
            p[2] = form.bytes[2];
            p += form.length;
        }
    }
    return p;
}

} // namespace

char* DecodeCp1252To(char* out, std::string_view bytes) {
    return DecodeTo(out, bytes);
}

void DecodeCp1252Into(std::string& out, std::string_view bytes) {
    // This runs for every cell of a loaded list: plain ASCII is copied as it is, short text is
    // decoded on the stack and copied once, long text is written into room for the longest
    // result and cut to size.
    const std::size_t ascii = AsciiPrefix(bytes);
    if (ascii == bytes.size()) {
        out.assign(bytes.data(), bytes.size());
        return;
    }
    constexpr std::size_t kShort = 128;
    if (bytes.size() <= kShort) {
        char buffer[kShort * 3];
        std::memcpy(buffer, bytes.data(), ascii);
        const char* const end = DecodeTo(buffer + ascii, bytes.substr(ascii));
        out.assign(buffer, static_cast<std::size_t>(end - buffer));
        return;
    }
    out.resize(ascii + (bytes.size() - ascii) * 3);
    char* const begin = out.data();
    std::memcpy(begin, bytes.data(), ascii);
    const char* const end = DecodeTo(begin + ascii, bytes.substr(ascii));
    out.resize(static_cast<std::size_t>(end - begin));
    if (out.capacity() > 2 * out.size() + 64) {
        out.shrink_to_fit(); // give back the room it did not need
    }
}

std::string DecodeCp1252(std::string_view bytes) {
    std::string out;
    DecodeCp1252Into(out, bytes);
    return out;
}

namespace {

std::string Encode(std::string_view utf8, bool references) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        const int extra = c >= 0xF0 && c < 0xF8 ? 3 : c >= 0xE0 && c < 0xF0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= utf8.size()) {
            out += '?';
            ++i;
            continue;
        }
        char32_t cp = c & (0x3F >> extra);
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(utf8[i + k]);
            if ((cc & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (!ok) {
            out += '?';
            ++i;
            continue;
        }
        if (const char b = EncodeCodePoint(cp); b != 0 || cp == 0) {
            out += b;
        } else if (references) {
            out += "&#" + std::to_string(static_cast<std::uint32_t>(cp)) + ";";
        } else {
            out += '?';
        }
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

} // namespace

std::string EncodeCp1252(std::string_view utf8) {
    return Encode(utf8, false);
}

std::string EncodeCp1252Html(std::string_view utf8) {
    return Encode(utf8, true);
}

} // namespace vandoret
