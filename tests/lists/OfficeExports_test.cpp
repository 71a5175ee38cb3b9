// Start lists as a spreadsheet exports them: UTF-8 with or without the byte-order mark, quoted
// cells; and saved protocols that must read back as they were written.
#include <string>
#include <vector>

#include "ListsTestSupport.h"
#include "lists/ListWriter.h"
#include "lists/StartListParser.h"
#include "lists/Utf8Text.h"

namespace vandoret::testing {
namespace {

using Cells = std::vector<std::string>;

std::vector<Cells> Parse(std::string_view bytes) {
    StartListLayout layout;
    layout.caption0 = "Startzeit";
    std::vector<Cells> out;
    for (const auto& row : ParseStartList(bytes, layout)) {
        out.emplace_back(row.begin(), row.end());
    }
    return out;
}

TEST(OfficeExports, TextCodingOfTheFile) {
    const struct {
        const char* label;
        std::string bytes; // line 2 of a file whose line 1 is plain ASCII
        const char* name;  // column 2 of row 1, as the program holds it (UTF-8)
    } cases[] = {
        {"Windows-1252", "9:30;1;M\xFCller", "M\xC3\xBCller"},
        {"UTF-8 without the mark", "9:30;1;M\xC3\xBCller", "M\xC3\xBCller"},
        {"UTF-8 with the mark",
         "\xEF\xBB\xBF"
         "9:30;1;M\xC3\xBCller",
         "M\xC3\xBCller"},
        {"ASCII with the mark",
         "\xEF\xBB\xBF"
         "9:30;1;Muller",
         "Muller"},
        {"euro sign and a four-byte character", "9:30;1;\xE2\x82\xAC \xF0\x9F\x90\x8E",
         "\xE2\x82\xAC \xF0\x9F\x90\x8E"},
        {"Windows-1252 that is valid UTF-8 reads as UTF-8", "9:30;1;\xC3\xA9", "\xC3\xA9"},
        {"one stray byte makes the whole file Windows-1252", "9:30;1;M\xC3\xBCller \xFC",
         "M\xC3\x83\xC2\xBCller \xC3\xBC"},
        {"an overlong form is no UTF-8", "9:30;1;\xC0\xAF", "\xC3\x80\xC2\xAF"},
        {"a surrogate is no UTF-8", "9:30;1;\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
        {"a sequence cut at the file end is no UTF-8", "9:30;1;\xC3\xA9\xC3", "\xC3\x83\xC2\xA9\xC3\x83"},
        {"with the mark, a damaged byte is its Windows-1252 letter",
         "\xEF\xBB\xBF"
         "9:30;1;\xC3\xA9\xFC\x80",
         "\xC3\xA9\xC3\xBC\xE2\x82\xAC"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        // The mark, when there is one, stands at the very beginning of the file.
        const bool bom = c.bytes.starts_with(kUtf8Bom);
        const std::string file = (bom ? std::string(kUtf8Bom) : "") + "Startzeit;St.Nr.;Name\r\n" +
                                 c.bytes.substr(bom ? kUtf8Bom.size() : 0) + "\r\n";
        const auto rows = Parse(file);
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0][0], "Startzeit");
        EXPECT_EQ(rows[1][2], c.name);
    }
    // A character that ends the file, without a line end.
    EXPECT_EQ(Parse("Startzeit;St.Nr.;Name\r\n9:30;1;M\xC3\xBC")[1][2], "M\xC3\xBC");
    // A stray byte that opens an eight-byte step of plain ASCII: the file (whose caption line
    // puts it at offset 32) is Windows-1252, the letter before it too.
    EXPECT_FALSE(IsValidUtf8("\xFC"
                             "abcdefg"));
    EXPECT_EQ(Parse("Startzeit;St.Nr.;Name\r\n9:30;1;\xC3\xA9\xFC"
                    "abcdefg\r\n")[1][2],
              "\xC3\x83\xC2\xA9\xC3\xBC"
              "abcdefg");
}

TEST(OfficeExports, QuotedFields) {
    const struct {
        const char* line; // line 2 of a file with start times
        Cells cells;
    } cases[] = {
        {"\"6:50\";\"12\";\"Anna M\xC3\xBCller\"", {"6:50", "12", "Anna M\xC3\xBCller", "", "", ""}},
        {"\"6:50:30\";\"12\"", {"6:50", "12", "", "", "", ""}}, // the cut after the quotes went
        {"9:30;\"Meier; Hans\";x", {"9:30", "Meier; Hans", "x", "", "", ""}},
        {"9:30;\"Der \"\"Blitz\"\"\";x", {"9:30", "Der \"Blitz\"", "x", "", "", ""}},
        {"9:30;\"\";x;\"\"\"\"", {"9:30", " ", "x", "\"", "", ""}},
        {"9:30;\"x\";", {"9:30", "x", "", "", "", ""}}, // the separator at the end is ignored
        {"9:30\t\"a\tb\"\t\t\"c\"\t", {"9:30", "a\tb", "c", "", "", ""}},
        {"9:30;\"Emil;\";\"O'Neill\"", {"9:30", "Emil;", "O'Neill", "", "", ""}},
        // Not enclosed: taken as they stand, split at every separator.
        {"9:30;\"open;x", {"9:30", "\"open", "x", "", "", ""}},
        {"9:30;\"a\"b;x", {"9:30", "\"a\"b", "x", "", "", ""}},
        {"9:30;a\"b\";x", {"9:30", "a\"b\"", "x", "", "", ""}},
        {"9:30; \"x\";\"", {"9:30", "\"x\"", "\"", "", "", ""}}, // the number loses its blanks
        {"9:30;\"a\"\";b\"", {"9:30", "a\";b", "", "", "", ""}},
        {"\"1\";\"2\";\"3\";\"4\";\"5\";\"6\";\"7\"", {"1", "2", "3", "4", "5", "6"}},
    };
    for (const auto& c : cases) {
        const auto rows = Parse(std::string("Startzeit;St.Nr.\r\n") + c.line + "\r\n");
        ASSERT_EQ(rows.size(), 2u) << c.line;
        EXPECT_EQ(rows[1], c.cells) << c.line;
    }
}

TEST(OfficeExports, QuotedCaptionLineSelectsTheLayout) {
    const auto rows = Parse("\xEF\xBB\xBF\"St.Nr.\";\"Name\"\r\n\"12\";\"Anna\"\r\n\"14\";\"Bruno\"\r\n");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (Cells{"Startzeit", "St.Nr.", "Name", "", "", ""}));
    EXPECT_EQ(rows[1], (Cells{"9:30", "12", "Anna", "", "", ""}));
    EXPECT_EQ(rows[2], (Cells{"9:35", "14", "Bruno", "", "", ""}));
    EXPECT_EQ(Parse("\"St.Nr.\"\t\"Name\"\r\n12\tAnna\r\n")[1], (Cells{"9:30", "12", "Anna", "", "", ""}));
    // A quote that encloses nothing hides "St.", as any other character in front does.
    EXPECT_EQ(Parse("\"St.Nr.;Name\n12;A")[1][0], "12");
}

// The writer quotes exactly the cells that begin with '"'; every other cell is written as before,
// and what it wrote reads back cell for cell (an empty cell as " ").
TEST(OfficeExports, SavedProtocolReadsBackAsWritten) {
    TSortGrid grid(6);
    const Cells cells[] = {
        {"Startzeit", "St.Nr.", "Name", "Pferd", "Club", "Ort"},
        {"9:30", "1", "\"Blitz\"", "\"", "Kunz \"Blitz\"", ""},
        {"9:35", "2", "\"a\"\"b", "say \"hi\"", "\"x\"y", "O'Neill; Sohn"},
    };
    grid.SetRowCount(3);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 6; ++c) {
            grid.SetCell(c, r, cells[r][static_cast<std::size_t>(c)]);
        }
    }
    const std::string text = FormatListText(grid);
    EXPECT_EQ(text, "Startzeit\tSt.Nr.\tName\tPferd\tClub\tOrt\t\r\n"
                    "9:30\t1\t\"\"\"Blitz\"\"\"\t\"\"\"\"\tKunz \"Blitz\"\t \t\r\n"
                    "9:35\t2\t\"\"\"a\"\"\"\"b\"\tsay \"hi\"\t\"\"\"x\"\"y\"\tO'Neill; Sohn\t\r\n");
    const auto rows = Parse(text);
    ASSERT_EQ(rows.size(), 3u);
    for (std::size_t r = 0; r < 3; ++r) {
        Cells expected = cells[r];
        for (std::string& cell : expected) {
            cell = cell.empty() ? " " : cell;
        }
        EXPECT_EQ(rows[r], expected) << r;
    }
}

class OfficeFiles : public ListsTest {};

// An office's "CSV UTF-8" export with every cell quoted, loaded as the watch loads it.
TEST_F(OfficeFiles, QuotedUtf8ExportLoads) {
    const std::string file = dir.File("Starterliste.txt");
    WriteBytes(file, "\xEF\xBB\xBF\"Startzeit\";\"St.Nr.\";\"Name\";\"Pferd\";\"Club\";\"Ort\"\r\n"
                     "\"6:50\";\"1\";\"Anna M\xC3\xBCller\";\"Stra\xC3\x9F"
                     "enfeger\";\"RV S\xC3\xBC"
                     "d\";\"\"\r\n"
                     "\"6:55\";\"2\";\"Zo\xC3\xAB O'Neill\";\"Blitz\";\"\";\"Kiel\"\r\n");
    tk.LoadStartList(file);
    ASSERT_EQ(tk.startList.SortGrid1.RowCount(), 3);
    EXPECT_EQ(Row1(0), (Cells{"Startzeit", "St.Nr.", "Name", "Pferd", "Club", "Ort"}));
    EXPECT_EQ(Row1(1), (Cells{"6:50", "1", "Anna M\xC3\xBCller",
                              "Stra\xC3\x9F"
                              "enfeger",
                              "RV S\xC3\xBC"
                              "d",
                              " "}));
    EXPECT_EQ(Row1(2), (Cells{"6:55", "2", "Zo\xC3\xAB O'Neill", "Blitz", " ", "Kiel"}));
    EXPECT_EQ(tk.startList.cbNr.Items, (Cells{"1", "2"}));
    EXPECT_EQ(tk.registrations.Edit1, "Anna M\xC3\xBCller");
    EXPECT_EQ(tk.registrations.TextStartTime, "6:50:00"); // the start time is a time again

    // Saved by the program (Windows-1252) and opened again: the same list.
    tk.pages.ActiveTab = kTabStartList;
    const std::string saved = dir.File("Protokoll.txt");
    tk.pages.SaveListText(saved);
    EXPECT_NE(ReadBytes(saved).find("Anna M\xFCller\tStra\xDF"
                                    "enfeger"),
              std::string::npos);
    const std::vector<Cells> before = {Row1(0), Row1(1), Row1(2)};
    tk.LoadStartList(saved);
    ASSERT_EQ(tk.startList.SortGrid1.RowCount(), 3);
    EXPECT_EQ((std::vector<Cells>{Row1(0), Row1(1), Row1(2)}), before);
}

} // namespace
} // namespace vandoret::testing
