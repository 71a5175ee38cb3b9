#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

#include "grid/HeaderClick.h"
#include "grid/SortCompare.h"
#include "grid/SortGrid.h"

namespace vandoret {
namespace {

using Rows = std::vector<std::vector<std::string>>;

TSortGrid MakeGrid(const Rows& rows) {
    TSortGrid grid(static_cast<int>(rows.front().size()));
    grid.SetRowCount(static_cast<int>(rows.size()) + 1);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            grid.SetCell(static_cast<int>(c), static_cast<int>(r) + 1, rows[r][c]);
        }
    }
    return grid;
}

std::vector<std::string> Column(const TSortGrid& grid, int col) {
    std::vector<std::string> out;
    for (int r = 1; r < grid.RowCount(); ++r) {
        out.push_back(grid.Cells(col, r));
    }
    return out;
}

using V = std::vector<std::string>;

TEST(SortOnColumn, StylesAndDirections) {
    const struct {
        TSortStyle style;
        TSortDirection direction;
        V input;
        V expected;
    } cases[] = {
        {TSortStyle::ssNumeric, TSortDirection::sdAscending, {"10", "9", "9,5"}, {"9", "9,5", "10"}},
        {TSortStyle::ssNormal, TSortDirection::sdAscending, {"10", "9", "9,5"}, {"10", "9", "9,5"}},
        {TSortStyle::ssNumeric, TSortDirection::sdDescending, {"10", "9", "9,5"}, {"10", "9,5", "9"}},
        {TSortStyle::ssNumericExtended,
         TSortDirection::sdAscending,
         {"Gruppe 10", "Gruppe 9", "Gruppe 1"},
         {"Gruppe 1", "Gruppe 9", "Gruppe 10"}},
        {TSortStyle::ssNormal,
         TSortDirection::sdAscending,
         {"Zoo", "\xC3\x84rger", "anna", "Anna"},
         {"anna", "Anna", "Zoo", "\xC3\x84rger"}},
        {TSortStyle::ssNormal, TSortDirection::sdDescending, {"anna", "Zoo", "Anna"}, {"Zoo", "anna", "Anna"}},
        {TSortStyle::ssTime, TSortDirection::sdAscending, {"10:00", "9:30", "09:45:10"}, {"9:30", "09:45:10", "10:00"}},
        {TSortStyle::ssAutomatic, TSortDirection::sdAscending, {"10", "9", "9,5"}, {"9", "9,5", "10"}},
        {TSortStyle::ssAutomatic, TSortDirection::sdAscending, {"b", "10", "9"}, {"10", "9", "b"}},
    };
    for (const auto& c : cases) {
        Rows rows;
        for (const auto& text : c.input) {
            rows.push_back({text});
        }
        TSortGrid grid = MakeGrid(rows);
        grid.SortOptions.SortStyle = c.style;
        grid.SortOptions.SortDirection = c.direction;
        grid.SortOnColumn(0);
        EXPECT_EQ(Column(grid, 0), c.expected) << c.input.front();
        EXPECT_FALSE(grid.Updating());
    }
}

TEST(SortOnColumn, InconsistentComparisonsKeepEveryRow) {
    // Under the numbered-text style "007" and "7" each sort after the other and empty texts sort
    // before each other: the sort must still keep every row, once.
    const V pool = {"", "7", "007", "a1", "b2", "a10", "Gruppe 9", "Gruppe 10", "", "x", "10", "010", "1a", "a"};
    Rows rows;
    for (int i = 0; i < 300; ++i) {
        rows.push_back({pool[(i * 7 + i / 5) % pool.size()], std::to_string(i)});
    }
    for (const auto style : {TSortStyle::ssNumericExtended, TSortStyle::ssCustom}) {
        TSortGrid grid = MakeGrid(rows);
        grid.SortOptions.SortStyle = style;
        grid.OnGetSortStyle = [style](TSortGrid& sender, int, TSortStyle& s) {
            s = style;
            sender.SortOptions.CustomCompare = [](std::string_view, std::string_view) { return -1; };
        };
        grid.SortOnColumn(0);
        V ids = Column(grid, 1);
        std::sort(ids.begin(), ids.end());
        V expected;
        for (const auto& r : rows) {
            expected.push_back(r[1]);
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(ids, expected);
    }
}

TEST(SortOnColumn, GuessedStyleIsKept) {
    TSortGrid grid = MakeGrid({{"10"}, {"9"}});
    grid.SortOptions.SortStyle = TSortStyle::ssAutomatic;
    grid.SortOnColumn(0);
    EXPECT_EQ(grid.SortOptions.SortStyle, TSortStyle::ssNumeric);
    const struct {
        V cells;
        TSortStyle style;
    } guesses[] = {
        {{"1", "2,5"}, TSortStyle::ssNumeric},          {{"1.2.2024", "3.4.2024 10:00"}, TSortStyle::ssDateTime},
        {{"9:30", "10:00:05"}, TSortStyle::ssDateTime}, // a time alone is also a date and time
        {{"9:30", "x"}, TSortStyle::ssNormal},          {{"1", ""}, TSortStyle::ssNormal},
    };
    for (const auto& g : guesses) {
        Rows rows;
        for (const auto& t : g.cells) {
            rows.push_back({t});
        }
        EXPECT_EQ(MakeGrid(rows).GuessColumnStyle(0), g.style) << g.cells.front();
    }
}

TEST(SortOnColumn, SecondaryKeysAndStability) {
    // Columns: key, tie-breaker, original order.
    const Rows rows = {{"b", "2", "r1"}, {"a", "2", "r2"}, {"b", "1", "r3"}, {"a", "2", "r4"}, {"b", "1", "r5"}};
    for (const auto direction : {TSortDirection::sdAscending, TSortDirection::sdDescending}) {
        TSortGrid grid = MakeGrid(rows);
        grid.SortOptions.SecondaryIndex = "1";
        grid.SortOptions.SortDirection = direction;
        grid.SortOnColumn(0);
        const V expected = direction == TSortDirection::sdAscending ? V{"r2", "r4", "r3", "r5", "r1"}
                                                                    : V{"r1", "r3", "r5", "r2", "r4"};
        EXPECT_EQ(Column(grid, 2), expected);
        EXPECT_EQ(grid.SortOptions.SortCol, 0);
    }
}

TEST(SortOnColumn, BadSecondaryEntriesAreSkipped) {
    const Rows rows = {{"b", "2"}, {"a", "2"}, {"a", "1"}};
    for (const char* secondary : {"1", "x,1", "1,99", "-1, 1", "1,,0", " 1 ", "0,1,0"}) {
        TSortGrid grid = MakeGrid(rows);
        grid.SortOptions.SecondaryIndex = secondary;
        grid.SortOnColumn(0);
        EXPECT_EQ(Column(grid, 1), (V{"1", "2", "2"})) << secondary;
        EXPECT_FALSE(grid.Updating()) << secondary;
    }
}

TEST(SortOnColumn, NothingWhenSortingIsOffOrColumnIsBad) {
    TSortGrid grid = MakeGrid({{"b"}, {"a"}});
    grid.SortOptions.CanSort = false;
    grid.SortOnColumn(0);
    EXPECT_EQ(Column(grid, 0), (V{"b", "a"}));
    grid.SortOptions.CanSort = true;
    grid.SortOnColumn(5);
    grid.SortOnColumn(-1);
    EXPECT_EQ(Column(grid, 0), (V{"b", "a"}));
    EXPECT_EQ(grid.SortOptions.SortCol, 0);
    EXPECT_FALSE(grid.Updating());
}

TEST(SortOnColumn, SelectionFollowsItsRows) {
    TSortGrid grid = MakeGrid({{"d"}, {"c"}, {"b"}, {"a"}});
    grid.SetSelection(GridRect{0, 2, 0, 3}); // "c" and "b"
    grid.SortOnColumn(0);
    EXPECT_EQ(grid.Selection(), (GridRect{0, 2, 0, 3}));
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(grid.Cells(0, grid.Row()), "b");

    grid.SetRow(1); // "a"
    grid.SortOptions.SortDirection = TSortDirection::sdDescending;
    grid.SortOnColumn(0);
    EXPECT_EQ(grid.Row(), 4);
    EXPECT_EQ(grid.Cells(0, grid.Row()), "a");

    // Rows that the sort tears apart: the first of them in the new order stays selected.
    TSortGrid torn = MakeGrid({{"a"}, {"c"}, {"b"}});
    torn.SetSelection(GridRect{0, 1, 0, 2}); // "a", "c"
    torn.SortOptions.SortDirection = TSortDirection::sdDescending;
    torn.SortOnColumn(0); // c, b, a
    EXPECT_EQ(torn.Selection(), (GridRect{0, 1, 0, 1}));
    EXPECT_EQ(torn.Cells(0, 1), "c");
}

TEST(SortOnColumn, HandlerStylesCustomComparisonAndBracket) {
    TSortGrid grid = MakeGrid({{"2", "x"}, {"10", "y"}});
    grid.SortOptions.SecondaryIndex = "1";
    std::vector<std::pair<int, TSortStyle>> calls;
    grid.OnGetSortStyle = [&](TSortGrid& sender, int col, TSortStyle& style) {
        calls.emplace_back(col, style);
        EXPECT_TRUE(sender.Updating());
        if (col == 0) {
            style = TSortStyle::ssCustom;
            sender.SortOptions.CustomCompare = [](std::string_view a, std::string_view b) {
                return static_cast<int>(a.size()) - static_cast<int>(b.size());
            };
        }
    };
    std::vector<bool> busy;
    int endUpdates = 0;
    grid.OnBusy = [&](bool b) { busy.push_back(b); };
    grid.OnEndUpdate = [&] { ++endUpdates; };
    grid.SortOptions.UpdateOnSizeChange = true;
    grid.SortOnColumn(0);
    // Least significant key first; the style variable starts as ssAutomatic and carries over.
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], std::make_pair(1, TSortStyle::ssAutomatic));
    EXPECT_EQ(calls[1], std::make_pair(0, TSortStyle::ssAutomatic));
    EXPECT_EQ(Column(grid, 0), (V{"2", "10"}));
    EXPECT_EQ(grid.SortOptions.SortStyle, TSortStyle::ssCustom);
    EXPECT_FALSE(grid.SortOptions.CustomCompare);
    EXPECT_EQ(busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(endUpdates, 1);
    EXPECT_TRUE(grid.SortOptions.UpdateOnSizeChange);
}

TEST(SortOnColumn, BracketDoesNotNest) {
    TSortGrid grid = MakeGrid({{"b"}, {"a"}});
    grid.SortOptions.UpdateOnSizeChange = true;
    grid.BeginUpdate();
    EXPECT_FALSE(grid.SortOptions.UpdateOnSizeChange);
    grid.SortOnColumn(0); // opens and closes the bracket itself
    EXPECT_FALSE(grid.Updating());
    EXPECT_TRUE(grid.SortOptions.UpdateOnSizeChange);
    grid.EndUpdate(); // outside the bracket: nothing
    EXPECT_TRUE(grid.SortOptions.UpdateOnSizeChange);
}

TEST(SortOnColumn, ResortsOnSizeChangeWhenAsked) {
    TSortGrid grid = MakeGrid({{"b"}, {"a"}});
    grid.SortOptions.UpdateOnSizeChange = true;
    grid.SortOptions.SortCol = 0;
    grid.SetRowCount(4); // a blank row joins and sorts first
    EXPECT_EQ(Column(grid, 0), (V{"", "a", "b"}));
    grid.SetCell(0, 1, "c"); // a cell write is no size change
    EXPECT_EQ(Column(grid, 0), (V{"c", "a", "b"}));
    grid.AddRow();
    EXPECT_EQ(Column(grid, 0), (V{"", "a", "b", "c"}));
}

HeaderHit Caption(int col, int x = 50) {
    return HeaderHit{col, 0, x, 0, 100};
}

TEST(HeaderClick, DirectionRules) {
    TSortGrid grid = MakeGrid({{"a", "x"}, {"c", "y"}, {"b", "z"}});
    THeaderClick click;
    const struct {
        int col;
        MouseButton button;
        V expected; // column 0 after the click
        TSortDirection direction;
    } steps[] = {
        {0, MouseButton::Left, {"a", "b", "c"}, TSortDirection::sdAscending},  // SortCol is 0 already
        {0, MouseButton::Left, {"c", "b", "a"}, TSortDirection::sdDescending}, // second click reverses
        {0, MouseButton::Left, {"a", "b", "c"}, TSortDirection::sdAscending},  // third: ascending again
        {0, MouseButton::Right, {"c", "b", "a"}, TSortDirection::sdDescending},
        {0, MouseButton::Right, {"c", "b", "a"}, TSortDirection::sdDescending}, // right: always descending
        {1, MouseButton::Left, {"a", "c", "b"}, TSortDirection::sdAscending},   // after descending: ascending
        {0, MouseButton::Left, {"a", "b", "c"}, TSortDirection::sdAscending},   // another column: ascending
    };
    grid.SortOptions.SortCol = 1;
    int step = 0;
    for (const auto& s : steps) {
        if (step == 0) {
            grid.SortOptions.SortCol = 1; // first click on a column that is not the sort column
        }
        click.MouseDown(Caption(s.col));
        EXPECT_TRUE(click.MouseUp(grid, Caption(s.col), s.button)) << step;
        EXPECT_EQ(Column(grid, 0), s.expected) << step;
        EXPECT_EQ(grid.SortOptions.SortDirection, s.direction) << step;
        EXPECT_EQ(CaptionSortArrow(grid, s.col),
                  s.direction == TSortDirection::sdAscending ? SortArrow::Up : SortArrow::Down);
        ++step;
    }
    EXPECT_EQ(CaptionSortArrow(grid, 1), SortArrow::None);
}

TEST(HeaderClick, NotAClick) {
    const struct {
        HeaderHit press;
        HeaderHit release;
    } cases[] = {
        {Caption(0), Caption(1)},                  // released in another column
        {Caption(0), HeaderHit{0, 1, 50, 0, 100}}, // released in a data row
        {Caption(0, 50), Caption(0, 3)},           // on the left edge zone
        {Caption(0, 50), Caption(0, 5)},
        {Caption(0, 50), Caption(0, 97)},         // on the right edge zone
        {HeaderHit{-1, -1, 0, 0, 0}, Caption(0)}, // pressed outside the cells
    };
    for (const auto& c : cases) {
        TSortGrid grid = MakeGrid({{"b"}, {"a"}});
        THeaderClick click;
        click.MouseDown(c.press);
        EXPECT_FALSE(click.MouseUp(grid, c.release, MouseButton::Left));
        EXPECT_EQ(Column(grid, 0), (V{"b", "a"}));
    }
    // A release without a press before it does nothing either.
    TSortGrid grid = MakeGrid({{"b"}, {"a"}});
    THeaderClick click;
    EXPECT_FALSE(click.MouseUp(grid, Caption(0), MouseButton::Left));
    EXPECT_TRUE(IsOnColumnEdge(105, 100, 200));
    EXPECT_FALSE(IsOnColumnEdge(106, 100, 200));
    EXPECT_FALSE(IsOnColumnEdge(194, 100, 200));
    EXPECT_TRUE(IsOnColumnEdge(195, 100, 200));
}

// A row's mark (a hand time) is no part of its text and goes wherever the row goes.
TEST(RowMarks, FollowTheirRowsThroughEveryChangeOfShape) {
    const auto marked = [](const TSortGrid& grid) {
        std::string text; // the column 0 texts of the marked rows
        for (int r = 0; r < grid.RowCount() + 1; ++r) {
            text += grid.RowMarked(r) ? grid.Cells(0, r) : std::string();
        }
        return text;
    };
    const struct {
        const char* name;
        std::function<void(TSortGrid&)> change;
        const char* expected;
    } cases[] = {
        {"sorted descending",
         [](TSortGrid& g) {
             g.SortOptions.SortDirection = TSortDirection::sdDescending;
             g.SortOnColumn(0);
         },
         "db"},
        {"deleted above", [](TSortGrid& g) { g.DeleteRow(1); }, "bd"},
        {"deleted itself", [](TSortGrid& g) { g.DeleteRow(2); }, "d"},
        {"copied over", [](TSortGrid& g) { g.CopyRow(2, 1); }, "bbd"},
        {"blanked", [](TSortGrid& g) { g.BlankRow(2); }, "d"},
        {"cut off", [](TSortGrid& g) { g.SetRowCount(3); }, "b"},
        {"row added", [](TSortGrid& g) { g.SetCell(0, g.AddRow(), "e"); }, "bd"},
        {"cleared",
         [](TSortGrid& g) {
             g.SetRowCount(2);
             g.BlankRow(1);
         },
         ""},
        {"replaced",
         [](TSortGrid& g) {
             g.AssignRows({{"h"}, {"b"}, {"d"}});
         },
         ""},
        {"taken", [](TSortGrid& g) { g.TakeRows(); }, ""},
        {"cell edited", [](TSortGrid& g) { g.SetCell(0, 2, "x"); }, "xd"},
    };
    for (const auto& c : cases) {
        TSortGrid grid = MakeGrid({{"a"}, {"b"}, {"c"}, {"d"}});
        grid.SetRowMarked(2, true);
        grid.SetRowMarked(4, true);
        grid.SetRowMarked(99, true); // out of range: ignored
        const std::uint64_t revision = grid.Revision();
        c.change(grid);
        EXPECT_EQ(marked(grid), c.expected) << c.name;
        EXPECT_NE(grid.Revision(), revision) << c.name;
    }
}

} // namespace
} // namespace vandoret
