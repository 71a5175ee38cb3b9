#include <gtest/gtest.h>

#include "results/ResultsFixture.h"

namespace vandoret::testing {
namespace {

using V = std::vector<std::string>;

CommandStates States(bool save, bool cls, bool delLine, bool results) {
    CommandStates s;
    s.sbSave = s.eS1 = save;
    s.sbCLS = cls;
    s.sbDelLine = delLine;
    s.sbPrint = s.Drucker1 = s.Druk1 = s.sbHTML = s.eH1 = results;
    return s;
}

bool operator==(const CommandStates& a, const CommandStates& b) {
    return a.sbSave == b.sbSave && a.eS1 == b.eS1 && a.sbCLS == b.sbCLS && a.sbDelLine == b.sbDelLine &&
           a.sbPrint == b.sbPrint && a.Drucker1 == b.Drucker1 && a.Druk1 == b.Druk1 && a.sbHTML == b.sbHTML &&
           a.eH1 == b.eH1;
}

TEST(PageControl1Change, StatesBeforeTheFirstChange) {
    ResultsLists lists;
    EXPECT_TRUE(lists.tk.pages.Commands == States(true, true, true, false));
}

TEST(PageControl1Change, CommandStatesPerTab) {
    const struct {
        bool startListFilled;
        int tab;
        CommandStates expected;
    } cases[] = {
        {true, kTabStartList, States(true, true, true, false)},
        {true, kTabStartTimes, States(false, true, false, false)}, // start times still empty
        {true, kTabStopTimes, States(false, true, false, false)},
        {true, kTabResults, States(true, true, true, true)}, // the blank result row is numbered "1"
        {true, kTabEventing, States(false, true, true, false)},
        {false, kTabStartList, States(false, false, false, false)},
        {false, kTabStartTimes, States(false, false, false, false)},
        {false, kTabResults, States(false, false, true, true)},
        {false, kTabEventing, States(false, false, false, false)},
    };
    for (const auto& c : cases) {
        ResultsLists lists;
        if (c.startListFilled) {
            lists.Rider("1", "Anna");
        }
        lists.tk.pages.ActiveTab = c.tab;
        lists.tk.PageControl1Change();
        EXPECT_TRUE(lists.tk.pages.Commands == c.expected) << c.tab << ' ' << c.startListFilled;
    }
}

TEST(PageControl1Change, ResultsTabBuildsAndRanks) {
    ResultsLists lists;
    lists.Ride("1", "A", 500'100);
    lists.Ride("2", "B", 500'000);
    lists.tk.pages.ActiveTab = kTabResults;
    lists.tk.results.SortGrid4.SetLeftCol(5);
    lists.tk.PageControl1Change();
    EXPECT_EQ(lists.ResultColumn(2), (V{"B", "A"}));
    EXPECT_EQ(lists.ResultColumn(0), (V{"1", "2"}));
    EXPECT_EQ(lists.tk.results.SortGrid4.LeftCol(), 0);
    EXPECT_TRUE(lists.tk.pages.Commands.sbDelLine);

    // A deleted stop row leaves no trace after the change handling that follows it.
    lists.tk.registrations.SortGrid3.DeleteRow(2);
    lists.tk.PageControl1Change();
    EXPECT_EQ(lists.ResultColumn(2), (V{"A"}));
}

TEST(PageControl1Change, EventingListShowsEachFieldUnderItsCaption) {
    ResultsLists lists;
    lists.Rider("1", "Anna", "Blitz", "RV Nord", "Kiel");
    lists.Rider("2", "Berta");
    lists.tk.startList.SortGrid5.SetRowCount(6);
    lists.tk.pages.ActiveTab = kTabEventing;
    lists.tk.PageControl1Change();
    const TSortGrid& eventing = lists.tk.startList.SortGrid5;
    ASSERT_EQ(eventing.RowCount(), 3);
    // The captions stay, and each column holds what its caption names; the planned start is left out.
    const char* const want[][5] = {
        {"St.Nr.", "Name", "Pferd", "Club", "Ort"},
        {"1", "Anna", "Blitz", "RV Nord", "Kiel"},
        {"2", "Berta", "Pferd", "Club", "Ort"},
    };
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 5; ++c) {
            EXPECT_EQ(eventing.Cells(c, r), want[r][c]) << c << "/" << r;
        }
    }
}

TEST(ListFormats, TabColours) {
    EXPECT_FALSE(Pages::PageControl1TabColors(kTabStartList));
    EXPECT_FALSE(Pages::PageControl1TabColors(kTabEventing));
    const auto results = Pages::PageControl1TabColors(kTabResults);
    ASSERT_TRUE(results);
    EXPECT_EQ(results->background, (Rgb{90, 151, 244}));
    EXPECT_EQ(results->text, (Rgb{76, 66, 58}));
    EXPECT_EQ(Pages::PageControl1TabColors(kTabStartTimes)->background, (Rgb{89, 236, 120}));
    EXPECT_EQ(Pages::PageControl1TabColors(kTabStopTimes)->text, (Rgb{178, 15, 3}));
}

TEST(ListFormats, CellFormatsOfStartAndStopTimes) {
    ResultsLists lists;
    lists.tk.registrations.SortGrid2.SetRowCount(4);
    lists.tk.registrations.SortGrid3.SetRowCount(4);
    lists.tk.registrations.SortGrid2.SetRow(2);
    lists.tk.registrations.SortGrid3.SetRow(2);
    const Rgb green{216, 255, 216}, red{255, 216, 216}, white{255, 255, 255};
    const std::optional<Rgb> none;
    const struct {
        int tab;
        int col;
        int row;
        CellFormat expected;
    } cases[] = {
        {kTabStartTimes, 0, 0, {none, false}}, {kTabStartTimes, 1, 0, {none, false}},
        {kTabStartTimes, 0, 1, {none, true}},  {kTabStartTimes, 1, 1, {green, false}},
        {kTabStartTimes, 2, 1, {none, false}}, {kTabStartTimes, 0, 2, {none, true}},
        {kTabStartTimes, 1, 2, {none, false}}, // the current row keeps the selection colours
        {kTabStopTimes, 0, 0, {none, false}},  {kTabStopTimes, 0, 3, {none, true}},
        {kTabStopTimes, 1, 3, {red, false}},   {kTabStopTimes, 4, 3, {red, false}},
        {kTabStopTimes, 2, 3, {white, false}}, {kTabStopTimes, 3, 3, {white, false}},
        {kTabStopTimes, 5, 3, {white, false}}, {kTabStopTimes, 1, 2, {none, false}},
        {kTabStopTimes, 0, 2, {none, true}},   {kTabStartList, 0, 1, {none, false}},
        {kTabResults, 1, 1, {none, false}},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(lists.tk.GetCellFormat(c.tab, c.col, c.row) == c.expected) << c.tab << ' ' << c.col << ' ' << c.row;
    }
    // A ride timed by hand: "H" beside "Zeit", nowhere else in its row.
    lists.tk.results.SortGrid4.SetRowMarked(1, true);
    for (int col = 0; col < 8; ++col) {
        EXPECT_EQ(lists.tk.GetCellFormat(kTabResults, col, 1).mark, col == 6 ? "H" : "") << col;
    }
}

TEST(ListFormats, SortSettingsOfTheLists) {
    ResultsLists lists;
    const struct {
        int tab;
        bool canSort;
        int sortCol;
        TSortDirection direction;
        const char* secondary;
    } cases[] = {
        {kTabStartList, false, 7, TSortDirection::sdAscending, "0"},
        {kTabStartTimes, false, 5, TSortDirection::sdAscending, "9"},
        {kTabStopTimes, false, 4, TSortDirection::sdDescending, "6"},
        {kTabResults, true, 7, TSortDirection::sdAscending, "6"},
        {kTabEventing, false, 20, TSortDirection::sdAscending, "0"},
    };
    for (const auto& c : cases) {
        const TSortOptions& o = lists.tk.pages.Grid(c.tab).SortOptions;
        EXPECT_EQ(o.CanSort, c.canSort) << c.tab;
        EXPECT_EQ(o.SortCol, c.sortCol) << c.tab;
        EXPECT_EQ(o.SortDirection, c.direction) << c.tab;
        EXPECT_EQ(o.SecondaryIndex, c.secondary) << c.tab;
        EXPECT_EQ(o.SortStyle, TSortStyle::ssNormal);
        EXPECT_FALSE(o.SortCaseSensitive);
        EXPECT_FALSE(o.UpdateOnSizeChange);
        EXPECT_EQ(static_cast<bool>(lists.tk.pages.Grid(c.tab).OnGetSortStyle), c.tab == kTabResults);
    }
}

} // namespace
} // namespace vandoret::testing
