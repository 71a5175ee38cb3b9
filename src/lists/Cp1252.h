// The one codec for every file the program reads or writes: Windows-1252 on disk, UTF-8 inside.
//
// Every byte decodes to one character, so any file round-trips byte for byte: the five bytes that
// Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) decode to U+0081 etc.
//   DecodeCp1252("M\xFCller") == "Müller", EncodeCp1252("Müller") == "M\xFCller",
//   EncodeCp1252("€") == "\x80".
// On encoding, a character that Windows-1252 cannot hold, and a malformed UTF-8 byte, become '?'.
#pragma once

#include <string>
#include <string_view>

namespace vandoret {

std::string DecodeCp1252(std::string_view bytes);
// DecodeCp1252 into an existing string, replacing its content (reuses its storage).
void DecodeCp1252Into(std::string& out, std::string_view bytes);
// DecodeCp1252 into a buffer with room for 3 * bytes.size() chars; returns the end of the text.
char* DecodeCp1252To(char* out, std::string_view bytes);
std::string EncodeCp1252(std::string_view utf8);
// The same for a web page: a character Windows-1252 cannot hold becomes a numeric character
// reference, so the page shows it as it is: "€" -> "\x80", "Ł" -> "&#321;".
std::string EncodeCp1252Html(std::string_view utf8);

} // namespace vandoret
