#include "lists/Utf8Text.h"

#include <cstdint>
#include <cstring>

#include "lists/Cp1252.h"

namespace vandoret {
namespace {

// The length of the well-formed UTF-8 sequence at bytes[i] (a lead byte of 0x80 or above), or 0.
std::size_t SequenceLength(std::string_view bytes, std::size_t i) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    std::size_t length = 0;
    unsigned char low = 0x80;  // the range of the second byte, narrowed against overlong forms,
    unsigned char high = 0xBF; // surrogates and code points above U+10FFFF
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        low = b0 == 0xE0 ? 0xA0 : 0x80;
        high = b0 == 0xED ? 0x9F : 0xBF;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        low = b0 == 0xF0 ? 0x90 : 0x80;
        high = b0 == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (bytes.size() - i < length) {
        return 0;
    }
    const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
    if (b1 < low || b1 > high) {
        return 0;
    }
    for (std::size_t k = 2; k < length; ++k) {
        if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

bool AsciiWord(std::string_view bytes, std::size_t i) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + i, 8);
    return (word & 0x8080808080808080ULL) == 0;
}

} // namespace

bool IsValidUtf8(std::string_view bytes, bool* multiByte) {
    bool seen = false;
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (i + 8 <= bytes.size() && AsciiWord(bytes, i)) {
            i += 8; // plain ASCII, the bulk of every list, eight bytes at a time
            continue;
        }
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = SequenceLength(bytes, i);
        if (length == 0) {
            if (multiByte != nullptr) {
                *multiByte = seen;
            }
            return false;
        }
        seen = true;
        i += length;
    }
    if (multiByte != nullptr) {
        *multiByte = seen;
    }
    return true;
}

TextCoding DetectTextCoding(std::string_view bytes) {
    TextCoding coding;
    if (bytes.starts_with(kUtf8Bom)) {
        coding.utf8 = true;
        coding.bom = true;
        coding.valid = IsValidUtf8(bytes.substr(kUtf8Bom.size()));
        return coding;
    }
    bool multiByte = false;
    coding.valid = IsValidUtf8(bytes, &multiByte);
    coding.utf8 = coding.valid && multiByte;
    return coding;
}

void DecodeUtf8LenientInto(std::string& out, std::string_view bytes) {
    out.clear();
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            out += bytes[i++];
            continue;
        }
        std::size_t length = SequenceLength(bytes, i);
        if (length == 0) {
            char buffer[3];
            const char* const end = DecodeCp1252To(buffer, bytes.substr(i, 1));
            out.append(buffer, static_cast<std::size_t>(end - buffer));
            length = 1;
        } else {
            out.append(bytes.data() + i, length);
        }
        i += length;
    }
}

namespace {

void AppendCodePoint(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

bool DecodeUtf16WithMark(std::string_view bytes, std::string& out) {
    if (bytes.size() < 2) {
        return false;
    }
    const auto b0 = static_cast<unsigned char>(bytes[0]);
    const auto b1 = static_cast<unsigned char>(bytes[1]);
    const bool little = b0 == 0xFF && b1 == 0xFE;
    if (!little && !(b0 == 0xFE && b1 == 0xFF)) {
        return false;
    }
    const std::size_t units = bytes.size() / 2;
    const auto unit = [&](std::size_t k) {
        const auto lo = static_cast<unsigned char>(bytes[2 * k + (little ? 0 : 1)]);
        const auto hi = static_cast<unsigned char>(bytes[2 * k + (little ? 1 : 0)]);
        return static_cast<std::uint32_t>(lo | hi << 8);
    };
    out.clear();
    out.reserve(bytes.size());
    for (std::size_t k = 1; k < units; ++k) {
        const std::uint32_t u = unit(k);
        if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units && unit(k + 1) >= 0xDC00 && unit(k + 1) <= 0xDFFF) {
            AppendCodePoint(out, 0x10000 + ((u - 0xD800) << 10) + (unit(k + 1) - 0xDC00));
            ++k;
        } else {
            AppendCodePoint(out, u >= 0xD800 && u <= 0xDFFF ? 0xFFFD : u);
        }
    }
    return true;
}

} // namespace vandoret
