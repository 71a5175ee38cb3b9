#include "results/SortGrid.h"

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

} // namespace
} // namespace vandoret
