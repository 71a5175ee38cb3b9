// Saving a list as a protocol text file.
#include "lists/ListWriter.h"

#include <exception>

#include "lists/Cp1252.h"
#include "lists/TextFile.h"
#include "lists/Utf8Text.h"

namespace vandoret {

std::string FormatListText(const TSortGrid& grid) {
    std::string text;
    for (int r = 0; r < grid.RowCount(); ++r) {
        for (int c = 0; c < grid.ColCount(); ++c) {
            const std::string& cell = grid.Cells(c, r);
            if (cell.starts_with('"') || cell.find('\t') != std::string::npos) {
                // The reader would take a quoted cell's quotes away, and split a cell at a TAB (one
                // read from a quoted field): quote it as CSV does.
                text += '"';
                for (const char ch : cell) {
                    text += ch;
                    if (ch == '"') {
                        text += '"';
                    }
                }
                text += '"';
            } else {
                text += cell.empty() ? std::string_view(" ") : std::string_view(cell);
            }
            text += '\t';
        }
        text += "\r\n";
    }
    std::string bytes = EncodeCp1252(text);
    std::string utf16;
    if (DecodeCp1252(bytes) != text || DetectTextCoding(bytes).utf8 || DecodeUtf16WithMark(bytes, utf16)) {
        // A character Windows-1252 cannot hold (a list opened from a UTF-8 file), or Windows-1252
        // bytes that the reader would take for UTF-8 ("Ã¤" is C3 A4, UTF-8 for "ä") or for UTF-16
        // (a first cell beginning "þÿ" or "ÿþ" is FE FF or FF FE, its byte-order mark): UTF-8 with
        // its byte-order mark, which the reader knows, so every cell comes back as it was.
        return std::string(kUtf8Bom) + text;
    }
    return bytes;
}

std::string SaveFailedMessage(const std::string& fileName) {
    return "Liste nicht gespeichert: " + fileName;
}

} // namespace vandoret
