#include <gtest/gtest.h>

#include "results/ResultsFixture.h"

namespace vandoret::testing {
namespace {

using V = std::vector<std::string>;

TEST(BuildResults, TimePenaltiesWithTheDefaults) {
    // Allowed 10 minutes, 0.4 points per commenced second (an exact second already counts the next).
    const struct {
        Duration ride;
        const char* pause;
        const char* faults;
        const char* timePoints; // "EZ-Pkt."
        const char* time;       // "Zeit"
        const char* points;     // "Punkte"
    } cases[] = {
        {599'900, "", "", "0", "9:59,9", "0,0"},
        {600'000, "", "", "0", "10:00,0", "0,0"},
        {600'100, "", "", "0,4", "10:00,1", "0,4"},
        {600'900, "", "", "0,4", "10:00,9", "0,4"},
        {601'000, "", "", "0,8", "10:01,0", "0,8"},
        {601'900, "", "", "0,8", "10:01,9", "0,8"},
        {602'000, "", "", "1,2", "10:02,0", "1,2"},
        {605'000, "", "", "2,4", "10:05,0", "2,4"},
        {610'000, "20,0", "", "4,4", "9:50,0", "4,4"}, // the pause does not lower the penalty
        {610'000, "0:20,0", "4", "4,4", "9:50,0", "8,4"},
        {65'300, "", "", "0", "1:05,3", "0,0"},
        {3'723'400, "", "", "1249,6", "1:02:03,4", "1249,6"},
        {500'000, "", "20", "0", "8:20,0", "20,0"},
        {500'000, "", "2,5", "0", "8:20,0", "2,5"}, // a decimal fault value counts
        {500'000, "", "x", "0", "8:20,0", "0,0"},   // counts none, marked in the stop list
        {500'000, "", " 3", "0", "8:20,0", "3,0"},
        {500'000, "", "-3", "0", "8:20,0", "-3,0"},
        {7'000, "10,0", "", "0", "-3,0", "0,0"}, // pause longer than the ride: negative net time
    };
    for (const auto& c : cases) {
        ResultsLists lists;
        const int stopRow = lists.Ride("12", "Anna", c.ride, c.pause, c.faults);
        lists.tk.results.BuildResults();
        EXPECT_EQ(lists.tk.registrations.SortGrid3.Cells(4, stopRow), c.timePoints) << c.ride;
        EXPECT_EQ(lists.ResultRow(1), (V{"", "12", "Anna", "Pferd", "Club", "Ort", c.time, c.points})) << c.ride;
    }
}

TEST(BuildResults, OtherPenaltySettings) {
    const struct {
        std::int32_t strafSek;
        double strafPkt;
        Duration allowed;
        Duration ride;
        const char* timePoints;
    } cases[] = {
        {3, 1.0, 600'000, 603'000, "2"}, // 3.0 s over at 3 s per interval: 2 intervals
        {3, 1.0, 600'000, 602'900, "1"},
        {5, 0.25, 60'000, 75'000, "1"},
        {0, 0.4, 600'000, 601'000, "0,8"}, // an interval of 0 counts as one second
        {-2, 0.4, 600'000, 601'000, "0,8"},
        {1, 0.1, 600'000, 602'000, "0,3"}, // 3 x 0.1 reads 0,3, not 0,30000000000000004
        {1, 1e15, 600'000, 609'000, "1E16"},
    };
    for (const auto& c : cases) {
        ResultsLists lists;
        lists.tk.settings.StrafSek = c.strafSek;
        lists.tk.settings.StrafPkt = c.strafPkt;
        lists.tk.settings.AllowedTime = c.allowed;
        const int stopRow = lists.Ride("1", "A", c.ride);
        lists.tk.results.BuildResults();
        EXPECT_EQ(lists.tk.registrations.SortGrid3.Cells(4, stopRow), c.timePoints) << c.strafSek << ' ' << c.ride;
    }
}

TEST(BuildResults, PointsRoundHalvesAwayFromZero) {
    const struct {
        double strafPkt;
        const char* faults;
        const char* points;
    } cases[] = {
        {0.25, "", "0,3"}, {0.75, "", "0,8"}, {0.25, "-1", "-0,8"}, {0.35, "", "0,3"}, // 0.35 lies below the half
    };
    for (const auto& c : cases) {
        ResultsLists lists;
        lists.tk.settings.StrafPkt = c.strafPkt;
        lists.Ride("12", "Anna", 600'100, "", c.faults); // one commenced second over
        lists.tk.results.BuildResults();
        EXPECT_EQ(lists.ResultRow(1)[7], c.points) << c.strafPkt << ' ' << c.faults;
    }
}

TEST(BuildResults, RowsThatMakeNoResult) {
    ResultsLists lists;
    lists.Rider("1", "Anna");
    lists.Rider("2", "Berta");
    lists.Start("1", "09:30:00,0");
    lists.Start("3", "09:31:00,0"); // started, but not in the start list
    lists.Start("2", "09:32:00,0");
    const int unassigned = lists.Stop("", "09:35:00,0");
    const int notInList = lists.Stop("3", "09:36:00,0");
    const int notStarted = lists.Stop("4", "09:37:00,0");
    const int beforeStart = lists.Stop("2", "09:31:00,0");
    const int noFinish = lists.Stop("1", std::string(kNoFinishTime));
    const int good = lists.Stop("1", "09:38:00,5");
    const int atStart = lists.Stop("2", "09:32:00,0"); // a ride of no time
    lists.tk.registrations.SortGrid3.SetCell(4, notInList, "old");
    lists.tk.results.BuildResults();
    const TSortGrid& stops = lists.tk.registrations.SortGrid3;
    EXPECT_EQ(stops.Cells(4, unassigned), "");
    EXPECT_EQ(stops.Cells(4, notInList), "0"); // a ride all the same: its points are written
    EXPECT_EQ(stops.Cells(4, notStarted), "");
    EXPECT_EQ(stops.Cells(4, beforeStart), "!!!");
    EXPECT_EQ(stops.Cells(4, noFinish), "!!!");
    EXPECT_EQ(stops.Cells(4, good), "0");
    EXPECT_EQ(stops.Cells(4, atStart), "!!!");
    EXPECT_EQ(lists.tk.results.SortGrid4.RowCount(), 3);
    // The number no longer in the start list: number, time and points, no name.
    EXPECT_EQ(lists.ResultRow(1), (V{"", "3", "", "", "", "", "5:00,0", "0,0"}));
    EXPECT_EQ(lists.ResultRow(2), (V{"", "1", "Anna", "Pferd", "Club", "Ort", "8:00,5", "0,0"}));
}

TEST(BuildResults, AHandTimedStartOrFinishMarksTheResultRow) {
    const struct { bool start, finish; } cases[] = {{true, false}, {false, true}, {false, false}};
    for (const auto& c : cases) {
        ResultsLists lists;
        const int stopRow = lists.Ride("12", "Anna", 500'000);
        lists.tk.registrations.SortGrid2.SetRowMarked(1, c.start);
        lists.tk.registrations.SortGrid3.SetRowMarked(stopRow, c.finish);
        lists.tk.results.BuildResults();
        EXPECT_EQ(lists.tk.results.SortGrid4.RowMarked(1), c.start || c.finish) << c.start << c.finish;
    }
}

TEST(BuildResults, FirstMatchingRowsWinAndFinishOrderIsKept) {
    ResultsLists lists;
    lists.Rider("7", "First");
    lists.Rider("7", "Second"); // a duplicate number: the first row of the start list counts
    lists.Rider("8", "Other");
    lists.Start("7", "09:30:00,0");
    lists.Start("7", "09:40:00,0"); // started twice: measured from the first start
    lists.Start("8", "09:35:00,0");
    lists.Stop("8", "09:40:00,0");
    lists.Stop("7", "09:41:00,0");
    lists.Stop("7", "09:42:00,0"); // two finishes: two result rows
    lists.tk.results.BuildResults();
    EXPECT_EQ(lists.ResultColumn(2), (V{"Other", "First", "First"}));
    EXPECT_EQ(lists.ResultColumn(6), (V{"5:00,0", "11:00,0", "12:00,0"}));
    EXPECT_EQ(lists.ResultColumn(0), (V{"", "", ""})); // unranked until RankResults

    // Every run starts afresh.
    lists.tk.registrations.SortGrid3.SetCell(2, 1, "");
    lists.tk.registrations.SortGrid3.SetCell(2, 2, "");
    lists.tk.registrations.SortGrid3.SetCell(2, 3, "");
    lists.tk.results.BuildResults();
    EXPECT_EQ(lists.tk.results.SortGrid4.RowCount(), 2);
    EXPECT_TRUE(lists.tk.results.SortGrid4.IsBlankRow(1));
}

TEST(RankResults, PlacesAndOrder) {
    ResultsLists lists;
    // Finish order: E, A, B, C, D, F.
    lists.Ride("5", "E", 590'000, "", "4");  // 4,0
    lists.Ride("1", "A", 580'000);           // 0,0 9:40,0
    lists.Ride("2", "B", 570'000);           // 0,0 9:30,0
    lists.Ride("3", "C", 580'000);           // 0,0 9:40,0 ties with A
    lists.Ride("4", "D", 600'500);           // 0,4 10:00,5
    lists.Ride("6", "F", 590'100, "", "20"); // 20,0
    lists.tk.results.BuildResults();
    lists.tk.results.RankResults();
    EXPECT_EQ(lists.ResultColumn(2), (V{"B", "A", "C", "D", "E", "F"}));
    EXPECT_EQ(lists.ResultColumn(0), (V{"1", "2", "2", "4", "5", "6"}));
    EXPECT_EQ(lists.ResultColumn(7), (V{"0,0", "0,0", "0,0", "0,4", "4,0", "20,0"}));
    EXPECT_FALSE(lists.tk.results.SortGrid4.Updating());
    EXPECT_FALSE(lists.host.busy);
}

TEST(RankResults, SharedPlacesSkip) {
    ResultsLists lists;
    lists.Ride("1", "A", 500'000);
    lists.Ride("2", "B", 500'000);
    lists.Ride("3", "C", 500'100);
    lists.tk.results.BuildResults();
    lists.tk.results.RankResults();
    EXPECT_EQ(lists.ResultColumn(0), (V{"1", "1", "3"}));
}

TEST(RankResults, EqualTimesWithOtherPointsShareNoPlace) {
    ResultsLists lists;
    lists.Ride("1", "A", 500'000, "", "1");
    lists.Ride("2", "B", 500'000, "", "2");
    lists.Ride("3", "C", 400'000, "", "2"); // same points as B, other time: no tie
    lists.tk.results.BuildResults();
    lists.tk.results.RankResults();
    EXPECT_EQ(lists.ResultColumn(2), (V{"A", "C", "B"}));
    EXPECT_EQ(lists.ResultColumn(0), (V{"1", "2", "3"}));
    lists.tk.startList.SortGrid1.SortOptions.SortCol = 6; // rank on "Zeit": B follows A with the same time
    lists.tk.results.RankResults();
    EXPECT_EQ(lists.ResultColumn(2), (V{"C", "A", "B"}));
    EXPECT_EQ(lists.ResultColumn(0), (V{"1", "2", "3"})); // other points: no shared place
}

TEST(RankResults, EmptyResultsListGetsPlaceOne) {
    ResultsLists lists;
    lists.tk.results.BuildResults();
    lists.tk.results.RankResults();
    EXPECT_EQ(lists.tk.results.SortGrid4.RowCount(), 2);
    EXPECT_EQ(lists.ResultRow(1), (V{"1", "", "", "", "", "", "", ""}));
}

TEST(SortGrid4GetSortStyle, StylePerColumn) {
    ResultsLists lists;
    TSortGrid& grid = lists.tk.results.SortGrid4;
    const TSortStyle expected[] = {TSortStyle::ssNumeric, TSortStyle::ssNumeric, TSortStyle::ssNormal,
                                   TSortStyle::ssNormal,  TSortStyle::ssNormal,  TSortStyle::ssNormal,
                                   TSortStyle::ssCustom,  TSortStyle::ssNumeric};
    for (int col = 0; col < 8; ++col) {
        TSortStyle style = TSortStyle::ssDateTime;
        lists.tk.results.SortGrid4GetSortStyle(grid, col, style);
        EXPECT_EQ(style, expected[col]) << col;
        EXPECT_EQ(static_cast<bool>(grid.SortOptions.CustomCompare), col == 6) << col;
        if (col == 6) {
            EXPECT_LT(grid.SortOptions.CustomCompare("9,5", "10,0"), 0);
            grid.SortOptions.CustomCompare = nullptr;
        }
    }
    TSortStyle style = TSortStyle::ssTime;
    lists.tk.results.SortGrid4GetSortStyle(grid, 8, style);
    EXPECT_EQ(style, TSortStyle::ssTime);
}

} // namespace
} // namespace vandoret::testing
