#include "grid/SortGrid.h"

#include <gtest/gtest.h>

namespace vandoret {
namespace {

TEST(SortGrid, NeverFewerThanTwoRows) {
    TSortGrid grid(3);
    std::vector<std::string> messages;
    grid.OnMessage = [&](const std::string& m) { messages.push_back(m); };
    EXPECT_EQ(grid.RowCount(), 2);
    grid.SetRowCount(5);
    grid.SetCell(0, 4, "x");
    for (int count : {1, 0, -3}) {
        grid.SetRowCount(count);
    }
    EXPECT_EQ(grid.RowCount(), 5);
    EXPECT_EQ(grid.Cells(0, 4), "x");
    EXPECT_EQ(messages, std::vector<std::string>(3, "Rowsize too small"));
    grid.SetRowCount(2);
    EXPECT_EQ(grid.RowCount(), 2);
}

TEST(SortGrid, OutOfRangeCellsAreHarmless) {
    TSortGrid grid(2);
    grid.SetCell(5, 1, "x");
    grid.SetCell(-1, 1, "x");
    grid.SetCell(0, 9, "x");
    EXPECT_EQ(grid.Cells(5, 1), "");
    EXPECT_EQ(grid.Cells(0, -1), "");
    EXPECT_TRUE(grid.IsBlankRow(1));
}

TEST(SortGrid, BlankRowTest) {
    const struct {
        std::vector<std::string> cells;
        bool blank;
    } cases[] = {
        {{"", ""}, true}, {{" ", "\t"}, true}, {{"\r\n", " "}, true}, {{" ", "x"}, false}, {{"ä", ""}, false},
    };
    for (const auto& c : cases) {
        TSortGrid grid(2);
        grid.SetCell(0, 1, c.cells[0]);
        grid.SetCell(1, 1, c.cells[1]);
        EXPECT_EQ(grid.IsBlankRow(1), c.blank) << c.cells[0] << '|' << c.cells[1];
    }
}

TEST(SortGrid, FindRowByTextFirstMatchAndCase) {
    TSortGrid grid(2);
    grid.SetRowCount(5);
    grid.SetCell(1, 0, "abc"); // the caption row is never searched
    grid.SetCell(1, 2, "Abc");
    grid.SetCell(1, 3, "abc");
    grid.SetCell(1, 4, "abc");
    EXPECT_EQ(grid.FindRowByText(1, "abc", false), 3);
    EXPECT_EQ(grid.FindRowByText(1, "abc", true), 2);
    EXPECT_EQ(grid.FindRowByText(1, "ABC", true), 2);
    EXPECT_EQ(grid.FindRowByText(1, "xyz", false), -1);
    EXPECT_EQ(grid.FindRowByText(7, "abc", false), -1);
    EXPECT_EQ(grid.FindRowByText(1,
                                 "\xC3\x84"
                                 "bc",
                                 true),
              -1); // only A-Z fold
}

TEST(SortGrid, RowOperations) {
    TSortGrid grid(2);
    grid.SetRowCount(4);
    grid.SetCell(0, 1, "a");
    grid.SetCell(1, 1, "b");
    grid.CopyRow(1, 3);
    EXPECT_EQ(grid.RowText(3), "ab");
    grid.BlankRow(1);
    EXPECT_TRUE(grid.IsBlankRow(1));
    grid.DeleteRow(1);
    EXPECT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(grid.RowText(2), "ab");
    grid.DeleteRow(2);
    grid.DeleteRow(1);
    EXPECT_EQ(grid.RowCount(), 2); // the last data row is blanked, not removed
    EXPECT_EQ(grid.AddRow(), 2);
}

TEST(SortGrid, ViewStateStaysInsideTheList) {
    TSortGrid grid(3);
    grid.SetRowCount(6);
    grid.SetRow(5);
    EXPECT_EQ(grid.Selection(), (GridRect{0, 5, 2, 5}));
    grid.SetTopRow(4);
    grid.SetRowCount(3);
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(grid.TopRow(), 2);
    EXPECT_EQ(grid.Selection().bottom, 2);
    const auto before = grid.Revision();
    grid.SetCell(0, 1, "x");
    EXPECT_GT(grid.Revision(), before);
}

using Rows = std::vector<std::vector<std::string>>;

Rows AllRows(const TSortGrid& grid) {
    Rows rows(static_cast<std::size_t>(grid.RowCount()));
    for (int r = 0; r < grid.RowCount(); ++r) {
        for (int c = 0; c < grid.ColCount(); ++c) {
            rows[static_cast<std::size_t>(r)].push_back(grid.Cells(c, r));
        }
    }
    return rows;
}

// A list of five rows with the current row 3, the top row 3 and rows 3 to 4 selected.
TSortGrid FiveRows(int cols) {
    TSortGrid grid(cols);
    grid.SetRowCount(5);
    for (int r = 0; r < 5; ++r) {
        grid.SetCell(0, r, "old" + std::to_string(r));
    }
    grid.SetTopRow(3);
    grid.SetSelection(GridRect{1, 3, 2, 4}); // the current row becomes 3
    return grid;
}

TEST(SortGrid, AssignRowsReplacesEveryRow) {
    const struct {
        const char* name;
        Rows given;
        Rows expected;
        int row, topRow;
        GridRect selection;
    } cases[] = {
        {"no rows: two blank rows", {}, {{"", "", ""}, {"", "", ""}}, 1, 1, {1, 1, 2, 1}},
        {"captions only: one blank data row", {{"A", "B", "C"}}, {{"A", "B", "C"}, {"", "", ""}}, 1, 1, {1, 1, 2, 1}},
        {"short rows padded, long rows cut",
         {{"A"}, {"1", "2", "3", "4"}, {}},
         {{"A", "", ""}, {"1", "2", "3"}, {"", "", ""}},
         2,
         2,
         {1, 2, 2, 2}},
        {"same count: the view stays",
         {{"a"}, {"b"}, {"c"}, {"d"}, {"e"}},
         {{"a", "", ""}, {"b", "", ""}, {"c", "", ""}, {"d", "", ""}, {"e", "", ""}},
         3,
         3,
         {1, 3, 2, 4}},
        {"more rows: the view stays", Rows(7, {"x", "y", "z"}), Rows(7, {"x", "y", "z"}), 3, 3, {1, 3, 2, 4}},
    };
    for (const auto& c : cases) {
        TSortGrid grid = FiveRows(3);
        std::vector<std::string> messages;
        grid.OnMessage = [&](const std::string& m) { messages.push_back(m); };
        const auto before = grid.Revision();
        Rows given = c.given;
        grid.AssignRows(std::move(given));
        EXPECT_EQ(AllRows(grid), c.expected) << c.name;
        EXPECT_EQ(grid.ColCount(), 3) << c.name;
        EXPECT_EQ(grid.Row(), c.row) << c.name;
        EXPECT_EQ(grid.TopRow(), c.topRow) << c.name;
        EXPECT_EQ(grid.Selection(), c.selection) << c.name;
        EXPECT_GT(grid.Revision(), before) << c.name;
        EXPECT_TRUE(messages.empty()) << c.name;
    }
}

TEST(SortGrid, AssignRowsResortsOnlyWhenTheCountChanges) {
    TSortGrid grid(1);
    grid.SortOptions.UpdateOnSizeChange = true;
    int busy = 0;
    grid.OnBusy = [&](bool on) { busy += on ? 1 : 0; };
    grid.AssignRows(Rows{{"Name"}, {"b"}}); // two rows before, two after
    EXPECT_EQ(busy, 0);
    grid.AssignRows(Rows{{"Name"}, {"c"}, {"a"}, {"b"}});
    EXPECT_EQ(busy, 1);
    EXPECT_EQ(AllRows(grid), (Rows{{"Name"}, {"a"}, {"b"}, {"c"}}));
    grid.AssignRows(Rows{{"Name"}, {"z"}, {"y"}, {"x"}});
    EXPECT_EQ(AllRows(grid), (Rows{{"Name"}, {"z"}, {"y"}, {"x"}}));
}

TEST(SortGrid, TakeRowsEmptiesTheListAndGivesBackItsRows) {
    TSortGrid grid = FiveRows(3);
    std::vector<std::string> messages;
    grid.OnMessage = [&](const std::string& m) { messages.push_back(m); };
    const Rows before = AllRows(grid);
    const auto revision = grid.Revision();

    Rows taken = grid.TakeRows();
    EXPECT_EQ(taken, before);
    EXPECT_EQ(AllRows(grid), (Rows{before[0], {"", "", ""}})); // as SetRowCount(2) and BlankRow(1)
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.TopRow(), 1);
    EXPECT_EQ(grid.Selection(), (GridRect{1, 1, 2, 1}));
    EXPECT_GT(grid.Revision(), revision);
    EXPECT_TRUE(messages.empty());

    // The rows taken go back in unchanged.
    grid.AssignRows(std::move(taken));
    EXPECT_EQ(AllRows(grid), before);

    // A list of two rows: row 1 is blanked all the same.
    TSortGrid two(2);
    two.SetCell(0, 0, "cap");
    two.SetCell(1, 1, "x");
    EXPECT_EQ(two.TakeRows(), (Rows{{"cap", ""}, {"", "x"}}));
    EXPECT_EQ(AllRows(two), (Rows{{"cap", ""}, {"", ""}}));
}

} // namespace
} // namespace vandoret
