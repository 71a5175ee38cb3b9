// Start lists saved as "Unicode-Text" (UTF-16) or with CR alone, numbers with blanks around them,
// and numbers given twice.
#include <string>
#include <vector>

#include "ListsTestSupport.h"
#include "grid/ListColumns.h"
#include "lists/StartListParser.h"

namespace vandoret::testing {
namespace {

using Cells = std::vector<std::string>;

// The text as UTF-16 with its mark; the text holds ASCII, "ü" and one character beyond U+FFFF.
std::string Utf16(const std::u16string& text, bool little) {
    std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
    for (const char16_t u : text) {
        const char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
        bytes += little ? std::string{lo, hi} : std::string{hi, lo};
    }
    return bytes;
}

std::vector<Cells> Parse(std::string_view bytes) {
    std::vector<Cells> out;
    for (const auto& row : ParseStartList(bytes, StartListLayout{"Startzeit", 570, 5, {}})) {
        out.emplace_back(row.begin(), row.end());
    }
    return out;
}

TEST(UnicodeTextFiles, Utf16AndCrOnlyLinesAndBlanksAroundNumbers) {
    const std::u16string text = u"Startzeit\tSt.Nr.\tName\r\n9:30\t 8 \tM\u00fcller \U0001F40E\r\n9:35\t\u011a1\tB\r\n";
    const std::vector<Cells> expected = {{"Startzeit", "St.Nr.", "Name", "", "", ""},
                                         {"9:30", "8", "M\xC3\xBCller \xF0\x9F\x90\x8E", "", "", ""},
                                         {"9:35",
                                          "\xC4\x9A"
                                          "1",
                                          "B", "", "", ""}}; // U+011A holds the byte 1A: no end of file
    const struct {
        const char* label;
        std::string bytes;
    } cases[] = {
        {"UTF-16LE", Utf16(text, true)},
        {"UTF-16BE", Utf16(text, false)},
        {"CR alone", "Startzeit;St.Nr.;Name\r9:30; 8 ;M\xC3\xBCller \xF0\x9F\x90\x8E\r9:35;\xC4\x9A"
                     "1;B\r"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Parse(c.bytes), expected) << c.label;
        EXPECT_EQ(StartListReader(c.bytes, StartListLayout{}).LineCount(), 3u) << c.label;
    }
    EXPECT_TRUE(Parse("\xFF\xFE").empty()); // a mark alone is an empty file
}

class NumbersTwice : public ListsTest {};

TEST_F(NumbersTwice, MarkedInTheStartListAndNamedInTheStatusBar) {
    const std::string file = dir.File("twice.txt");
    WriteBytes(file, "Startzeit;St.Nr.;Name\r\n9:30;12;A\r\n9:35;14;B\r\n9:40;12 ;C\r\n9:45;7;D\r\n9:50;7;E\r\n");
    tk.LoadStartList(file);
    EXPECT_EQ(tk.registrations.JournalNotice, "Startnummern 12, 7 doppelt in der Startliste – bitte Liste berichtigen");
    for (int r = 1; r <= 5; ++r) {
        EXPECT_EQ(tk.GetCellFormat(kTabStartList, kListNr, r).toolTip, r == 2 ? std::string_view() : kNumberTwiceTip)
            << r;
    }
    EXPECT_EQ(tk.GetCellFormat(kTabStartList, kListName, 1).toolTip, std::string_view());
    WriteBytes(file, "Startzeit;St.Nr.;Name\r\n9:30;12;A\r\n9:35;14;B\r\n9:40;12;C\r\n");
    tk.LoadStartList(file);
    EXPECT_EQ(tk.registrations.JournalNotice, "Startnummer 12 doppelt in der Startliste – bitte Liste berichtigen");
    tk.JournalNoticeClick(); // read: the notice goes, the marks stay
    EXPECT_EQ(tk.registrations.JournalNotice, "");
    EXPECT_EQ(tk.GetCellFormat(kTabStartList, kListNr, 3).toolTip, kNumberTwiceTip);
    WriteBytes(file, "Startzeit;St.Nr.;Name\r\n9:30;12;A\r\n9:35;14;B\r\n");
    tk.LoadStartList(file);
    EXPECT_EQ(tk.registrations.JournalNotice, "");
    EXPECT_EQ(tk.GetCellFormat(kTabStartList, kListNr, 1).toolTip, std::string_view());
}

} // namespace
} // namespace vandoret::testing
