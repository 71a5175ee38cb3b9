// Telling a UTF-8 start list from a Windows-1252 one, and reading it.
//
// Offices export start lists from spreadsheets either in the Windows code page or as "CSV UTF-8",
// with or without a byte-order mark. A file is read as UTF-8 when it begins with the UTF-8
// byte-order mark (the mark is no text and is dropped), or when it is valid UTF-8 and holds at
// least one multi-byte sequence; anything else is Windows-1252. German text in Windows-1252 is
// practically never valid UTF-8 ("ü" is a lone 0xFC), so those files read as ever; a Windows-1252
// text that happens to be valid UTF-8 ("Ã©" is C3 A9) reads as UTF-8.
//
//   "\xEF\xBB\xBFName"     -> UTF-8, text "Name"
//   "M\xC3\xBCller"        -> UTF-8 (valid, one multi-byte sequence)
//   "M\xFCller", "Muller"  -> Windows-1252
#pragma once

#include <string>
#include <string_view>

namespace vandoret {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

struct TextCoding {
    bool utf8 = false; // read the bytes as UTF-8
    bool valid = true; // the bytes are valid UTF-8 (only a file with the mark may be invalid)
    bool bom = false;  // the bytes begin with the byte-order mark
};

// Spreadsheets also save "Unicode-Text": UTF-16 with its byte-order mark, FF FE (little-endian)
// or FE FF (big-endian). Such bytes are decoded into UTF-8 (the mark dropped, a lone surrogate
// as U+FFFD, an odd last byte dropped) into out, and true is returned; other bytes give false
// and leave out alone.
bool DecodeUtf16WithMark(std::string_view bytes, std::string& out);

// Decides how the bytes of a start list are read (see above).
TextCoding DetectTextCoding(std::string_view bytes);

// True when bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing above
// U+10FFFF); multiByte tells whether a sequence of two or more bytes was seen.
bool IsValidUtf8(std::string_view bytes, bool* multiByte = nullptr);

// UTF-8 bytes that may hold faults (a file with the mark, damaged later): every well-formed
// sequence is kept, every other byte is taken as its Windows-1252 character, so the text inside
// the program is always valid UTF-8 and no byte is lost. Replaces out's content.
void DecodeUtf8LenientInto(std::string& out, std::string_view bytes);

} // namespace vandoret
