#include "lists/StartListParser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "ListsTestSupport.h"
#include "lists/Cp1252.h"

namespace vandoret {
namespace {

using Cells = std::vector<std::string>;

Cells AsCells(const StartListRow& row) {
    return Cells(row.begin(), row.end());
}

std::vector<Cells> Parse(std::string_view bytes, std::string caption0 = "Startzeit") {
    StartListLayout layout;
    layout.caption0 = std::move(caption0);
    std::vector<Cells> out;
    for (const auto& row : ParseStartList(bytes, layout)) {
        out.push_back(AsCells(row));
    }
    return out;
}

struct LineCase {
    const char* name;
    std::string line; // the second line of a file whose first line is "Startzeit"
    Cells row;
};

void PrintTo(const LineCase& c, std::ostream* os) {
    *os << c.name;
}

class DataLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(DataLine, FillsTheColumns) {
    const auto rows = Parse("Startzeit\r\n" + GetParam().line + "\r\n");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1], GetParam().row);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, DataLine,
    ::testing::Values(LineCase{"Tabs",
                               "09:30:00\t12\tRider A\tHorse A\tClub A\tTown A",
                               {"09:30", "12", "Rider A", "Horse A", "Club A", "Town A"}},
                      LineCase{"TabRunIsOneSeparator", "09:35\t14\t\tHorse B", {"09:35", "14", "Horse B", "", "", ""}},
                      LineCase{"TabRunOfThree", "1\t\t\tRider", {"1", "Rider", "", "", "", ""}},
                      LineCase{"LeadingTabGivesEmptyField", "\t12\tRider", {" ", "12", "Rider", "", "", ""}},
                      LineCase{"LeadingTabRun", "\t\t12", {" ", "12", "", "", "", ""}},
                      LineCase{"Semicolons", "1;;Rider", {"1", " ", "Rider", "", "", ""}},
                      LineCase{"TrailingTabIgnored", "a\tb\t", {"a", "b", "", "", "", ""}},
                      LineCase{"TrailingTabRunIgnored", "a\tb\t\t\t", {"a", "b", "", "", "", ""}},
                      LineCase{"TrailingSemicolonIgnored", "a;b;", {"a", "b", "", "", "", ""}},
                      LineCase{"OnlyTheLastSemicolonIgnored", "a;b;;", {"a", "b", " ", "", "", ""}},
                      LineCase{"TabWinsOverSemicolon", "a;b\tc", {"a;b", "c", "", "", "", ""}},
                      LineCase{"NoSeparatorIsOneField", "just one field", {"just one field", "", "", "", "", ""}},
                      LineCase{"EightFieldsFillSix", "1;2;3;4;5;6;7;8", {"1", "2", "3", "4", "5", "6"}},
                      LineCase{"EmptyLineIsBlank", "", {"", "", "", "", "", ""}},
                      LineCase{"OnlySemicolon", ";", {" ", "", "", "", "", ""}},
                      LineCase{"OnlyTabs", "\t\t\t", {" ", "", "", "", "", ""}},
                      LineCase{"LoneCrDropped", "a\rb;c", {"ab", "c", "", "", "", ""}},
                      LineCase{"SecondsCut", "09:30:45;1", {"09:30", "1", "", "", "", ""}},
                      LineCase{"Windows1252Decoded",
                               "10:05\t7\tM\xFCller\tSch\xE4tzchen \x80",
                               {"10:05", "7", "Müller", "Schätzchen €", "", ""}},
                      LineCase{
                          "NulBytesKept", std::string("1;a\0b", 5), {"1", std::string("a\0b", 3), "", "", "", ""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StartListParser, CaptionLineBecomesRowZero) {
    const auto rows = Parse("Startzeit\tSt.Nr.\tName\tPferd\tClub\tOrt\r\n");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (Cells{"Startzeit", "St.Nr.", "Name", "Pferd", "Club", "Ort"}));
}

TEST(StartListParser, LineEnds) {
    EXPECT_EQ(Parse("").size(), 0u);
    EXPECT_EQ(Parse("a").size(), 1u);
    EXPECT_EQ(Parse("a\n").size(), 1u);
    EXPECT_EQ(Parse("a\r\n").size(), 1u);
    EXPECT_EQ(Parse("a\nb").size(), 2u);
    EXPECT_EQ(Parse("a\n\n").size(), 2u);
    EXPECT_EQ(Parse("a\r\nb\nc\r\n").size(), 3u);
    EXPECT_EQ(Parse("a\rb").size(), 2u); // no LF in the file: CR ends the line (old Mac files)
    EXPECT_EQ(Parse("a\rb\r").size(), 2u);
    EXPECT_EQ(Parse("a\rb\nc").size(), 2u); // with an LF anywhere every CR is dropped
    EXPECT_EQ(Parse("a\rb\nc")[0][0], "ab");
}

TEST(StartListParser, CtrlZEndsTheFile) {
    const auto rows = Parse("Startzeit\r\n9:30;1\r\n\x1A"
                            "9:35;2\r\n");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(Parse("\x1A"
                    "a\nb")
                  .size(),
              0u);
    EXPECT_EQ(Parse("ab\x1A"
                    "cd")[0][0],
              "ab");
}

TEST(StartListParser, WithoutStartTimesGeneratesThem) {
    const auto rows = Parse("St.Nr.;Name;Pferd;Club;Ort\r\n21;Rider C;;Club C\r\n\r\n23;Rider D\r\n");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (Cells{"Startzeit", "St.Nr.", "Name", "Pferd", "Club", "Ort"}));
    EXPECT_EQ(rows[1], (Cells{"9:30", "21", "Rider C", " ", "Club C", ""}));
    EXPECT_EQ(rows[2], (Cells{"9:35", "", "", "", "", ""})); // an empty line takes a start slot
    EXPECT_EQ(rows[3], (Cells{"9:40", "23", "Rider D", "", "", ""}));
}

TEST(StartListParser, GeneratedTimesFollowTheSettings) {
    StartListLayout layout;
    layout.caption0 = "Zeit";
    layout.startClock = 600; // 10:00
    layout.startInt = 2;
    const auto rows = ParseStartList("St.Nr.\n1\n2\n3", layout);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0][0], "Zeit");
    EXPECT_EQ(rows[1][0], "10:00");
    EXPECT_EQ(rows[2][0], "10:02");
    EXPECT_EQ(rows[3][0], "10:04");
}

TEST(StartListParser, EmptyPreviousCaptionBecomesSpace) {
    EXPECT_EQ(Parse("St.Nr.;Name", "")[0][0], " ");
}

TEST(StartListParser, OnlyStDotInLineOneSelectsTheLayout) {
    for (const char* first : {"st.Nr.;Name", "\tSt.Nr.\tName", " St.Nr.;Name", "\"St.Nr.;Name", " \"St.Nr.\";Name"}) {
        const auto rows = Parse(std::string(first) + "\n12;Rider");
        ASSERT_EQ(rows.size(), 2u) << first;
        EXPECT_EQ(rows[1][0], "12") << first;
    }
    // "St." in a later line is data.
    EXPECT_EQ(Parse("Startzeit\nSt.Nr.;x")[1][0], "St.Nr.");
}

TEST(StartListParser, ByteOrderMarkIsDropped) {
    const auto rows = Parse("\xEF\xBB\xBFStartzeit;St.Nr.");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], "Startzeit");
    // Behind the mark, "St." selects the layout without start times.
    EXPECT_EQ(Parse("\xEF\xBB\xBFSt.Nr.;Name\n12;Rider")[1], (Cells{"9:30", "12", "Rider", "", "", ""}));
    EXPECT_TRUE(Parse("\xEF\xBB\xBF").empty()); // a mark alone is an empty file
}

TEST(StartListParser, CutOfTheSeconds) {
    const std::pair<const char*, const char*> cases[] = {
        {"09:30:15", "09:30"},   {"9:30:00", "9:30"},        {"9:30", "9:30"},
        {"10:05", "10:05"},      {"Startzeit", "Startzeit"}, {"", ""},
        {"abc:", "abc"},         {"abc:d", "abc"},           {"ab:cd:ef:gh", "ab:cd"},
        {"äbc:de", "äbc"},       {"xyz:ä€z", "xyzz"},        {":::::", ":::"},
        {"09:60:00:1", "09:60"}, {"abcd:ef:gh:i", "abcd"}};
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(CutStartSeconds(in), out) << in;
        // Cut again, a cut text stays: a saved list opened again keeps its cells.
        EXPECT_EQ(CutStartSeconds(out), out) << out;
    }
}

} // namespace
} // namespace vandoret

namespace vandoret {
namespace {

// The loading steps carried out literally on text: collapse TAB runs, turn the separators into
// line breaks, put the generated first field in front, split as a list of lines.
std::vector<Cells> ReferenceParse(std::string bytes, const StartListLayout& layout) {
    bytes = bytes.substr(0, bytes.find('\x1A'));
    const char lineEnd = bytes.find('\n') == std::string::npos ? '\r' : '\n';
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find(lineEnd, pos);
        if (end == std::string::npos) {
            end = bytes.size();
        }
        std::string line = bytes.substr(pos, end - pos);
        std::erase(line, '\r');
        lines.push_back(line);
        pos = end + 1;
    }
    std::vector<Cells> rows;
    bool generated = false;
    int planned = layout.startClock;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string line = lines[i];
        while (line.find("\t\t") != std::string::npos) {
            line.replace(line.find("\t\t"), 2, "\t");
        }
        const char sep = line.find('\t') != std::string::npos ? '\t' : ';';
        std::replace(line.begin(), line.end(), sep, '\n');
        std::string text = DecodeCp1252(line);
        if (generated || (i == 0 && lines[0].rfind("St.", 0) == 0)) {
            text = (i == 0 ? layout.caption0 : FormatMinutes(planned, layout.locale)) + "\n" + text;
            if (i > 0) {
                planned += layout.startInt;
            }
            generated = true;
        }
        std::vector<std::string> fields;
        std::size_t p = 0;
        while (p < text.size()) {
            std::size_t e = text.find('\n', p);
            if (e == std::string::npos) {
                e = text.size();
            }
            fields.push_back(text.substr(p, e - p));
            p = e + 1;
        }
        Cells row(6);
        for (std::size_t f = 0; f < fields.size() && f < 6; ++f) {
            row[f] = fields[f].empty() ? " " : fields[f];
        }
        row[0] = CutStartSeconds(row[0]);
        const std::size_t first = row[1].find_first_not_of(" \t");
        if (i > 0 && first != std::string::npos) {
            row[1] = row[1].substr(first, row[1].find_last_not_of(" \t") + 1 - first);
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(StartListParser, AgreesWithTheLiteralStepsOnRandomInput) {
    const char alphabet[] = {'a',  'B',  '1', '9',    ':',  ';',    ';',    '\t',   '\t', '\t', '\r',
                             '\n', '\n', ' ', '\x1A', '\0', '\xFC', '\x80', '\x81', 'S',  't',  '.'};
    std::uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = round % 3 == 0 ? "St." : "";
        // Some inputs long enough for fields of many eight-byte steps.
        const std::size_t length = next() % (round % 4 == 0 ? 400 : 60);
        for (std::size_t i = 0; i < length; ++i) {
            bytes += alphabet[next() % sizeof alphabet];
        }
        StartListLayout layout;
        layout.caption0 = round % 2 ? "Startzeit" : "";
        std::vector<Cells> parsed;
        for (const auto& row : ParseStartList(bytes, layout)) {
            parsed.push_back(AsCells(row));
        }
        ASSERT_EQ(parsed, ReferenceParse(bytes, layout))
            << "input #" << round << ": " << ::testing::PrintToString(bytes);
        EXPECT_EQ(StartListReader(bytes, layout).LineCount(), parsed.size());
    }
}

// A reload refills the rows the list held before: whatever the earlier files were, the list ends
// up as the literal steps read the new one.
class ReloadAgainstLiteralSteps : public testing::ListsTest {};

TEST_F(ReloadAgainstLiteralSteps, RandomFilesInTurn) {
    const char alphabet[] = {'a', 'B', '1', ':', ';', '\t', '\t', '\r', '\n', '\n', ' ', '\xE4', '\x80', 'S', 't', '.'};
    std::uint32_t seed = 4711;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    const std::string file = dir.File("random.txt");
    for (int round = 0; round < 300; ++round) {
        std::string bytes = round % 3 == 0 ? "St." : "";
        const std::size_t length = next() % (round % 2 ? 600 : 40);
        for (std::size_t i = 0; i < length; ++i) {
            bytes += alphabet[next() % sizeof alphabet];
        }
        testing::WriteBytes(file, bytes);
        StartListLayout layout;
        layout.caption0 = tk.startList.SortGrid1.Cells(0, 0);
        Cells captions = Row1(0);
        tk.LoadStartList(file);

        std::vector<Cells> expected = ReferenceParse(bytes, layout);
        if (expected.empty()) {
            expected.push_back(captions); // an empty file keeps the captions
        }
        if (expected.size() < 2) {
            expected.emplace_back(6); // and a list never has fewer than two rows
        }
        std::vector<Cells> shown;
        for (int r = 0; r < tk.startList.SortGrid1.RowCount(); ++r) {
            shown.push_back(Row1(r));
        }
        ASSERT_EQ(shown, expected) << "file #" << round << ": " << ::testing::PrintToString(bytes);
        EXPECT_EQ(tk.startList.cbNr.Count(), tk.startList.SortGrid1.RowCount() - 1);
    }
}

} // namespace
} // namespace vandoret
