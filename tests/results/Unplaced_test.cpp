// Finishes the results cannot rank as they stand: numbers matched without their blanks, numbers no
// longer in the start list, negative net times, fault points that do not read.
#include <gtest/gtest.h>

#include "base/NumberText.h"
#include "grid/ListColumns.h"
#include "reports/LivePages.h"
#include "results/ResultsFixture.h"

namespace vandoret::testing {
namespace {

using V = std::vector<std::string>;

TEST(StartNumbers, OneMatchRuleForEveryList) {
    enum Outcome { Ranked, Unplaced, NoResult };
    const struct {
        const char* listNr;
        const char* startNr;
        const char* stopNr;
        Outcome outcome;
    } cases[] = {
        {"8", "8", " 8", Ranked},    {"8 ", " 8", "8", Ranked}, {"8", "8\t", "8 ", Ranked},
        {"7", "07", "07", Unplaced}, // "07" is another number than "7": started, not in the list
        {"7", "7", "07", NoResult},  // no start for "07": "!" says so in the stop list
        {"9", "8", "8", Unplaced},   // renumbered after the start
        {"8", "8", " ", NoResult},
    };
    for (const auto& c : cases) {
        ResultsLists lists;
        lists.Rider(c.listNr, "Anna");
        lists.Start(c.startNr, "09:30:00,0");
        const int stop = lists.Stop(c.stopNr, "09:35:00,0", "", "2");
        lists.tk.results.BuildResults();
        lists.tk.results.RankResults();
        const V row = lists.ResultRow(1);
        const std::string nr(StartNumberKey(c.stopNr));
        switch (c.outcome) {
        case Ranked:
            EXPECT_EQ(row, (V{"1", c.listNr, "Anna", "Pferd", "Club", "Ort", "5:00,0", "2,0"})) << c.stopNr;
            break;
        case Unplaced:
            EXPECT_EQ(row, (V{"", nr, "", "", "", "", "5:00,0", "2,0"})) << c.stopNr;
            EXPECT_EQ(lists.tk.registrations.SortGrid3.Cells(kStopTimePoints, stop), "0") << c.stopNr;
            break;
        case NoResult:
            EXPECT_EQ(lists.tk.results.SortGrid4.RowCount(), 2) << c.stopNr;
            EXPECT_EQ(row[kResultNr], "") << c.stopNr; // the empty list's one blank row
            break;
        }
        // The stop list marks the number the start list does not hold, in colour and tooltip only.
        const CellFormat format = lists.tk.GetCellFormat(kTabStopTimes, kStopNr, stop);
        const bool unknown = !StartNumberKey(c.stopNr).empty() && !SameStartNumber(c.stopNr, c.listNr);
        EXPECT_EQ(format.toolTip, unknown ? kUnknownNumberTip : std::string_view()) << c.stopNr;
        EXPECT_EQ(format.background == kCheckBackground, unknown) << c.stopNr;
        EXPECT_EQ(lists.tk.registrations.SortGrid3.Cells(kStopNr, stop), c.stopNr); // the cell keeps its text
    }
}

// Ranked rides first; then, without a place, negative net times and unknown numbers, each by number.
class UnplacedRows : public ::testing::Test {
protected:
    void SetUp() override {
        lists.Ride("5", "Eva", 599'000);            // 9:59,0
        lists.Ride("12", "Negativ", 7'000, "10,0"); // -3,0
        lists.Ride("3", "Bea", 300'000);            // 5:00,0
        lists.Ride("4", "Negativ2", 7'000, "0:08"); // -1,0: ahead of "9:59,0" by its text
        lists.Start("30", "09:30:00,0");            // not in the start list
        lists.Stop("30", "09:31:00,0", "", "20 ");
        lists.Start("21", "09:30:00,0");
        lists.Stop("21", "09:32:00,0");
        lists.tk.results.BuildResults();
        lists.tk.results.RankResults();
    }
    ResultsLists lists;
};

TEST_F(UnplacedRows, FollowTheRankedRidesWithoutAPlace) {
    EXPECT_EQ(lists.ResultColumn(kResultNr), (V{"3", "5", "4", "12", "21", "30"}));
    EXPECT_EQ(lists.ResultColumn(kResultPlace), (V{"1", "2", "", "", "", ""}));
    EXPECT_EQ(lists.ResultColumn(kResultTime), (V{"5:00,0", "9:59,0", "-1,0", "-3,0", "2:00,0", "1:00,0"}));
    EXPECT_EQ(lists.ResultRow(6), (V{"", "30", "", "", "", "", "1:00,0", "20,0"})); // "20 " counts
    const auto tip = [this](int col, int row) { return lists.tk.GetCellFormat(kTabResults, col, row).toolTip; };
    EXPECT_EQ(tip(kResultTime, 3), kResultNegativeNetTip);
    EXPECT_EQ(tip(kResultNr, 5), kResultUnknownNumberTip);
    EXPECT_EQ(tip(kResultTime, 1), std::string_view());
    // Ranked again (the tab shown once more), the order stays.
    lists.tk.results.RankResults();
    EXPECT_EQ(lists.ResultColumn(kResultNr), (V{"3", "5", "4", "12", "21", "30"}));
    // The pause longer than the ride is marked in the stop list too.
    EXPECT_EQ(lists.tk.GetCellFormat(kTabStopTimes, kStopPause, 2).toolTip, kNegativeNetTip);
}

TEST_F(UnplacedRows, LivePagesShowTheSameRows) {
    const LiveData data = CollectLiveData(lists.tk.results, "Vandoret");
    V numbers, places;
    for (const LiveResult& r : data.results) {
        numbers.push_back(r.nr);
        places.push_back(r.platz);
    }
    EXPECT_EQ(numbers, lists.ResultColumn(kResultNr));
    EXPECT_EQ(places, lists.ResultColumn(kResultPlace));
    EXPECT_EQ(data.results.back().name, "");
}

TEST(FaultPoints, DecimalsAndBlanksCountAndOtherTextsAreMarked) {
    const struct {
        const char* faults;
        const char* points;
        bool marked;
    } cases[] = {
        {"2,5", "2,5", false},  {"20 ", "20,0", false}, {" 0,4", "0,4", false}, {"", "0,0", false},
        {"2,5,5", "0,0", true}, {":", "0,0", true},     {"1:2", "0,0", true},
    };
    for (const auto& c : cases) {
        ResultsLists lists;
        const int stop = lists.Ride("12", "Anna", 500'000, "", c.faults);
        lists.tk.results.BuildResults();
        EXPECT_EQ(lists.ResultRow(1)[kResultPoints], c.points) << c.faults;
        EXPECT_EQ(lists.tk.GetCellFormat(kTabStopTimes, kStopFaults, stop).toolTip,
                  c.marked ? kFaultsUnreadableTip : std::string_view())
            << c.faults;
    }
}

} // namespace
} // namespace vandoret::testing
