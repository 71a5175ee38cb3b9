// Loading the start list file into the start list, the number list and the window state.
#include <filesystem>
#include <string>

#include "ListsTestSupport.h"

namespace vandoret::testing {
namespace {

using Cells = std::vector<std::string>;

const char* const kFile = "Startzeit\tSt.Nr.\tName\tPferd\tClub\tOrt\r\n"
                          "09:30:00\t12\tRider A\tHorse A\tClub A\tTown A\r\n"
                          "09:35\t14\t\tHorse B\r\n"
                          "09:40\t16\tRider C\tHorse C\tClub C\tTown C\r\n";

class LoadStartList : public ListsTest {};

TEST_F(LoadStartList, FillsTheListNumbersCaptionAndWatchedName) {
    const std::string file = dir.File("Starterliste.txt");
    WriteBytes(file, kFile);
    tk.LoadStartList(file);

    ASSERT_EQ(tk.startList.SortGrid1.RowCount(), 4);
    EXPECT_EQ(Row1(0), (Cells{"Startzeit", "St.Nr.", "Name", "Pferd", "Club", "Ort"}));
    EXPECT_EQ(Row1(1), (Cells{"09:30", "12", "Rider A", "Horse A", "Club A", "Town A"}));
    EXPECT_EQ(Row1(2), (Cells{"09:35", "14", "Horse B", "", "", ""}));
    EXPECT_EQ(tk.startList.cbNr.Items, (Cells{"12", "14", "16"}));
    EXPECT_EQ(tk.startList.cbNr.ItemIndex, 0); // nothing was selected: the first position
    EXPECT_EQ(tk.registrations.LabOstalosStart, "3");
    EXPECT_EQ(tk.startList.StartListFileName(), file);
    EXPECT_EQ(tk.startList.WindowCaption, "Vandoret " + file);
}

TEST_F(LoadStartList, TimerIsOffDuringTheLoadAndOnAfter) {
    const std::string file = dir.File("a.txt");
    WriteBytes(file, kFile);
    for (const std::string& name : {file, dir.File("missing.txt")}) {
        host.timer1Disables = 0;
        host.processMessagesCalls = 0;
        tk.LoadStartList(name);
        EXPECT_EQ(host.timer1Disables, 1) << name;
        EXPECT_TRUE(host.timer1) << name;
        EXPECT_FALSE(host.busy) << name;
        EXPECT_EQ(host.processMessagesCalls, 1) << name;
    }
}

TEST_F(LoadStartList, WithoutStartTimesKeepsTheTimeCaptionAndGeneratesTimes) {
    const std::string file = dir.File("ohne.txt");
    WriteBytes(file, "St.Nr.;Name;Pferd;Club;Ort\r\n21;Rider C;;Club C\r\n22;Rider D\r\n23;Rider E\r\n");
    tk.LoadStartList(file);
    ASSERT_EQ(tk.startList.SortGrid1.RowCount(), 4);
    EXPECT_EQ(tk.startList.SortGrid1.Cells(0, 0), "Startzeit");
    EXPECT_EQ(Row1(1), (Cells{"9:30", "21", "Rider C", " ", "Club C", ""}));
    EXPECT_EQ(tk.startList.SortGrid1.Cells(0, 2), "9:35");
    EXPECT_EQ(tk.startList.SortGrid1.Cells(0, 3), "9:40");
}

TEST_F(LoadStartList, SelectionFollowsTheNumberOrKeepsThePosition) {
    const std::string file = dir.File("s.txt");
    WriteBytes(file, kFile);
    tk.LoadStartList(file);
    tk.startList.cbNr.ItemIndex = 1; // rider 14

    // 14 moves to the last row: the selection follows it.
    WriteBytes(file, "Startzeit;St.Nr.\n9:30;12\n9:40;16\n9:45;14\n");
    tk.LoadStartList(file);
    EXPECT_EQ(tk.startList.cbNr.ItemIndex, 2);
    EXPECT_EQ(tk.startList.cbNr.Text(), "14");

    // 14 is gone: the same position stays selected.
    WriteBytes(file, "Startzeit;St.Nr.\n9:30;12\n9:40;16\n9:45;18\n");
    tk.LoadStartList(file);
    EXPECT_EQ(tk.startList.cbNr.ItemIndex, 2);

    // A shorter list: the position is beyond the end, nothing is selected, surplus rows vanish.
    WriteBytes(file, "Startzeit;St.Nr.\n9:30;12\n");
    tk.LoadStartList(file);
    EXPECT_EQ(tk.startList.cbNr.ItemIndex, -1);
    EXPECT_EQ(tk.startList.SortGrid1.RowCount(), 2);
    EXPECT_EQ(tk.registrations.LabOstalosStart, "1");
}

TEST_F(LoadStartList, OtherListsAreNotTouched) {
    tk.registrations.SortGrid2.SetCell(1, 1, "09:30:04,7");
    tk.registrations.SortGrid3.SetCell(1, 1, "09:40:00,0");
    const std::string file = dir.File("s.txt");
    WriteBytes(file, kFile);
    tk.LoadStartList(file);
    EXPECT_EQ(tk.registrations.SortGrid2.Cells(1, 1), "09:30:04,7");
    EXPECT_EQ(tk.registrations.SortGrid3.Cells(1, 1), "09:40:00,0");
}

// Files that cannot be read empty the start list and change nothing else.
class UnreadableStartList : public LoadStartList, public ::testing::WithParamInterface<const char*> {};

TEST_P(UnreadableStartList, EmptiesTheListOnly) {
    const std::string good = dir.File("good.txt");
    WriteBytes(good, kFile);
    tk.LoadStartList(good);
    tk.startList.cbNr.ItemIndex = 2;

    std::string bad = dir.File("bad.txt");
    const std::string kind = GetParam();
    if (kind == "folder") {
        std::filesystem::create_directory(bad);
    } else if (kind == "vanished") {
        bad = good; // the watched file is deleted between its stamp and the read
        std::filesystem::remove(good);
    } else if (kind == "empty name") {
        bad.clear();
    } else if (kind == "device") {
        bad = "/dev/zero"; // reads without end
        if (!std::filesystem::exists(bad)) {
            GTEST_SKIP() << "no such device here";
        }
    }
    tk.LoadStartList(bad);

    EXPECT_EQ(tk.startList.SortGrid1.RowCount(), 2);
    EXPECT_TRUE(tk.startList.SortGrid1.IsBlankRow(1));
    EXPECT_EQ(tk.startList.SortGrid1.Cells(1, 0), "St.Nr.");
    EXPECT_EQ(tk.startList.cbNr.Items, (Cells{"12", "14", "16"}));
    EXPECT_EQ(tk.startList.cbNr.ItemIndex, 2);
    EXPECT_EQ(tk.registrations.LabOstalosStart, "3");
    EXPECT_EQ(tk.startList.StartListFileName(), good);
    EXPECT_EQ(tk.startList.WindowCaption, "Vandoret " + good);
    EXPECT_TRUE(host.timer1);
    EXPECT_FALSE(host.busy);
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnreadableStartList,
                         ::testing::Values("missing", "folder", "vanished", "empty name", "device"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), ' ', '_');
                             return name;
                         });

TEST_F(LoadStartList, EmptyFileKeepsCaptionsAndGivesOneEmptyNumber) {
    const std::string file = dir.File("empty.txt");
    WriteBytes(file, "");
    tk.LoadStartList(file);
    EXPECT_EQ(Row1(0), (Cells{"Startzeit", "St.Nr.", "Name", "Pferd", "Club", "Ort"}));
    EXPECT_EQ(tk.startList.SortGrid1.RowCount(), 2);
    EXPECT_TRUE(tk.startList.SortGrid1.IsBlankRow(1));
    EXPECT_EQ(tk.startList.cbNr.Items, (Cells{""}));
    EXPECT_EQ(tk.startList.StartListFileName(), file);
}

TEST_F(LoadStartList, CaptionLineOnlyGivesABlankFirstRow) {
    const std::string file = dir.File("caps.txt");
    WriteBytes(file, "Zeit;Nr\r\n");
    tk.LoadStartList(file);
    EXPECT_EQ(tk.startList.SortGrid1.RowCount(), 2);
    EXPECT_EQ(tk.startList.SortGrid1.Cells(0, 0), "Zeit");
    EXPECT_EQ(tk.startList.SortGrid1.Cells(2, 0), ""); // row 0 is the file's line, not the old captions
    EXPECT_TRUE(tk.startList.SortGrid1.IsBlankRow(1));
}

TEST_F(LoadStartList, OnlySeparators) {
    const std::string file = dir.File("seps.txt");
    WriteBytes(file, "\t\t\t\r\n;;;;;;;;;;\r\n\t\r\n;\n\n");
    tk.LoadStartList(file);
    ASSERT_EQ(tk.startList.SortGrid1.RowCount(), 5);
    EXPECT_EQ(Row1(0), (Cells{" ", "", "", "", "", ""}));
    EXPECT_EQ(Row1(1), (Cells{" ", " ", " ", " ", " ", " "}));
    EXPECT_EQ(tk.startList.cbNr.Count(), 4);
}

TEST_F(LoadStartList, NulBytesAreDataAndTheByteOrderMarkGoes) {
    const std::string file = dir.File("odd.txt");
    WriteBytes(file, std::string("\xEF\xBB\xBFSt.Nr.;Name\r\n1\0;A\0B\r\n", 24));
    tk.LoadStartList(file);
    ASSERT_EQ(tk.startList.SortGrid1.RowCount(), 2);
    // Without the mark the line begins with "St.": the file has no start times.
    EXPECT_EQ(Row1(0), (Cells{"Startzeit", "St.Nr.", "Name", "", "", ""}));
    EXPECT_EQ(Row1(1), (Cells{"9:30", std::string("1\0", 2), std::string("A\0B", 3), "", "", ""}));
}

TEST_F(LoadStartList, LineOfOneMegabyte) {
    const std::string file = dir.File("long.txt");
    std::string longField(1 << 20, 'x');
    WriteBytes(file, "Startzeit;St.Nr.;Name\r\n9:30;1;" + longField + "\r\n9:35;2;B\r\n");
    tk.LoadStartList(file);
    ASSERT_EQ(tk.startList.SortGrid1.RowCount(), 3);
    EXPECT_EQ(tk.startList.SortGrid1.Cells(2, 1).size(), longField.size());
    EXPECT_EQ(tk.startList.cbNr.Items, (Cells{"1", "2"}));
}

TEST_F(LoadStartList, FiftyMegabytes) {
    const std::string file = dir.File("big.txt");
    {
        // 50 000 lines of about 1 KB: long cells, so the test stays quick.
        std::string line = "9:30:59\t";
        line += std::string(200, 'n') + "\t" + std::string(200, 'r') + "\t" + std::string(200, 'h') + "\t" +
                std::string(200, 'c') + "\t" + std::string(200, 'o') + "\t" + std::string(40, 'z') + "\r\n";
        std::string bytes = "Startzeit\tSt.Nr.\r\n";
        bytes.reserve(52'000'000);
        while (bytes.size() < 50'000'000) {
            bytes += line;
        }
        WriteBytes(file, bytes);
    }
    tk.LoadStartList(file);
    EXPECT_GT(tk.startList.SortGrid1.RowCount(), 40'000);
    EXPECT_EQ(tk.startList.SortGrid1.Cells(0, 1), "9:30");
    EXPECT_EQ(tk.startList.SortGrid1.Cells(5, tk.startList.SortGrid1.RowCount() - 1), std::string(200, 'o'));
    EXPECT_EQ(tk.startList.cbNr.Count(), tk.startList.SortGrid1.RowCount() - 1);
    EXPECT_EQ(tk.startList.StartListFileName(), file);
}

// A reload refills the rows of the previous content: nothing of it may show through.
TEST_F(LoadStartList, ReloadsLeaveNothingOfThePreviousContent) {
    using Rows = std::vector<Cells>;
    const std::string longText(40, 'L'); // longer than a string keeps in place
    const std::string longLine =
        "09:30:15\t" + longText + "\t" + longText + "\t" + longText + "\t" + longText + "\t" + longText + "\r\n";
    const struct {
        const char* name;
        std::string bytes;
        Rows rows;
    } steps[] = {
        {"long cells",
         "Startzeit\tSt.Nr.\tName\tPferd\tClub\tOrt\r\n" + longLine + longLine + longLine,
         {{"Startzeit", "St.Nr.", "Name", "Pferd", "Club", "Ort"},
          {"09:30", longText, longText, longText, longText, longText},
          {"09:30", longText, longText, longText, longText, longText},
          {"09:30", longText, longText, longText, longText, longText}}},
        {"fewer fields and rows",
         "Zeit;Nr\r\n9:31;M\xFCller\r\n",
         {{"Zeit", "Nr", "", "", "", ""}, {"9:31", "M\xC3\xBCller", "", "", "", ""}}},
        {"more rows, an empty line",
         "St.Nr.;Name\n7;A\n\n8;" + longText + "\n",
         {{"Zeit", "St.Nr.", "Name", "", "", ""}, // column 0 keeps the caption of the load before
          {"9:30", "7", "A", "", "", ""},
          {"9:35", "", "", "", "", ""},
          {"9:40", "8", longText, "", "", ""}}},
        {"caption line only", "a\tb\tc\td\te\tf\tg\r\n", {{"a", "b", "c", "d", "e", "f"}, {"", "", "", "", "", ""}}},
        {"empty file", "", {{"a", "b", "c", "d", "e", "f"}, {"", "", "", "", "", ""}}},
    };
    const std::string file = dir.File("reload.txt");
    for (const auto& step : steps) {
        WriteBytes(file, step.bytes);
        tk.LoadStartList(file);
        Rows rows;
        for (int r = 0; r < tk.startList.SortGrid1.RowCount(); ++r) {
            rows.push_back(Row1(r));
        }
        EXPECT_EQ(rows, step.rows) << step.name;
        EXPECT_EQ(tk.startList.StartListFileName(), file) << step.name;
    }
}

// Columns the list has beyond the file's six: row 0 keeps its captions, data cells are blank.
// Columns it lacks: the fields for them are not kept.
TEST_F(LoadStartList, ListsOfOtherWidths) {
    const std::string file = dir.File("width.txt");
    WriteBytes(file, kFile);
    tk.startList.SortGrid1.SetColCount(8);
    tk.startList.SortGrid1.SetCell(6, 0, "Extra");
    tk.LoadStartList(file);
    tk.startList.SortGrid1.SetCell(7, 2, "typed in");
    tk.LoadStartList(file);
    ASSERT_EQ(tk.startList.SortGrid1.RowCount(), 4);
    EXPECT_EQ(Row1(0), (Cells{"Startzeit", "St.Nr.", "Name", "Pferd", "Club", "Ort", "Extra", ""}));
    EXPECT_EQ(Row1(2), (Cells{"09:35", "14", "Horse B", "", "", "", "", ""}));

    tk.startList.SortGrid1.SetColCount(3);
    tk.LoadStartList(file);
    ASSERT_EQ(tk.startList.SortGrid1.RowCount(), 4);
    EXPECT_EQ(Row1(1), (Cells{"09:30", "12", "Rider A"}));
    EXPECT_EQ(tk.startList.cbNr.Items, (Cells{"12", "14", "16"}));
}

} // namespace
} // namespace vandoret::testing
