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

} // namespace vandoret
