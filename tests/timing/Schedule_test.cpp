// The schedule's corners: a list rewritten while an automatic start is armed, the countdown
// switched off while armed, riders sharing a planned start, a late rider, a hand start.
#include <functional>
#include <string>

#include "TimingFixture.h"
#include "timing/Warnings.h"

namespace vandoret::testing {
namespace {

HandTimeEntry HandStart(const std::string& number, const std::string& time) {
    HandTimeEntry entry;
    entry.kind = HandTimeKind::Start;
    entry.number = number;
    entry.time = time;
    entry.reason = "Stoppuhr";
    return entry;
}

using ScheduleTest = TimingTest;

// The start list rewritten as a reload leaves it: the selection keeps its position.
void Reload(Timekeeper& keeper, const std::vector<Rider>& riders) {
    const int selected = keeper.startList.cbNr.ItemIndex;
    FillStartList(keeper, riders);
    keeper.startList.cbNr.ItemIndex = selected;
    keeper.registrations.ListLoaded();
}

TEST_F(ScheduleTest, NoStartForTheWrongRiderAndTheOperatorIsTold) {
    const std::vector<Rider> without14 = {{"9:30", "12", "A"}, {"9:40", "17", "C"}};
    const std::vector<Rider> moved14 = {{"9:30", "12", "A"}, {"9:50", "14", "B"}, {"9:40", "17", "C"}};
    const struct {
        const char* label;
        std::function<void(Timekeeper&)> whileArmed; // rider 14 armed at 09:35:00
        const char* numbersAt0936;                   // the start numbers recorded by 09:36
        const char* notice;
    } cases[] = {
        {"the armed rider removed", [&](Timekeeper& k) { Reload(k, without14); }, "", ""},
        {"the armed rider's start moved", [&](Timekeeper& k) { Reload(k, moved14); }, "", ""},
        {"a reload that keeps the rider", [](Timekeeper& k) { Reload(k, ThreeRiders()); }, "14", ""},
        {"nobody selected", [](Timekeeper& k) { k.SelectRider(-1); }, "", ""},
        {"Ctrl+C", [](Timekeeper& k) { k.ImageStatusClick(); }, "", "Start-Kontakt gesperrt – F11 gibt frei"},
        {"the last rider's hand start switches the countdown off",
         [](Timekeeper& k) {
             TSortGrid& starts = k.registrations.SortGrid2; // 12 and 14 have started, 14 is armed again
             starts.AddRow();
             for (int r : {1, 2}) {
                 starts.SetCell(kStartTime, r, "09:3" + std::to_string(r) + ":00,0");
                 starts.SetCell(kStartNr, r, r == 1 ? "12" : "14");
             }
             k.ApplyHandTime(HandStart("17", "09:35:01,0"));
         },
         "12 14 17", "Start-Kontakt gesperrt – F11 gibt frei"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        FakeHost host;
        Timekeeper keeper(host);
        ClockDriver clock(keeper, host);
        keeper.settings.BaseName = MissingFileName();
        clock.Step(ClockMs(9, 34, 0));
        FillStartList(keeper, ThreeRiders());
        keeper.SelectRider(1);
        keeper.ImageStatusClick();
        clock.Run(ClockMs(9, 34, 54), ClockMs(9, 35, 1));
        ASSERT_TRUE(host.timer5sek);
        if (keeper.registrations.StartContactFree) {
            keeper.LockLSstart1Click(); // the contact locked, as after a start by hand
        }
        c.whileArmed(keeper);
        clock.Run(ClockMs(9, 35, 1), ClockMs(9, 36, 0));
        std::string numbers; // "?" for a start without a number
        for (int r = 1; r < keeper.registrations.SortGrid2.RowCount(); ++r) {
            const std::string& number = keeper.registrations.SortGrid2.Cells(kStartNr, r);
            if (!keeper.registrations.SortGrid2.IsBlankRow(r)) {
                numbers += (numbers.empty() ? "" : " ") + (number.empty() ? std::string("?") : number);
            }
        }
        EXPECT_EQ(numbers, c.numbersAt0936);
        EXPECT_EQ(keeper.registrations.JournalNotice, c.notice);
    }
}

TEST_F(ScheduleTest, RidersSharingAPlannedStartAreMarkedWhenTheListIsLoaded) {
    Prepare(ClockMs(9, 0, 0));
    Reload(keeper, {{"9:30", "12", "A"}, {"9:35", "14", "B"}, {" 9:35", "15", "D"}, {"9:40", "17", "C"}});
    EXPECT_EQ(keeper.registrations.JournalNotice,
              "Gleiche Startzeit 9:35: Nr. 14, 15 – nach dem ersten die weiteren mit F4 starten");
    for (int row = 1; row <= 4; ++row) {
        const CellFormat format = keeper.GetCellFormat(kTabStartList, kListPlanned, row);
        EXPECT_EQ(format.background == kAttentionBackground, row == 2 || row == 3) << row;
        EXPECT_EQ(format.toolTip.empty(), row != 2 && row != 3) << row;
    }
    keeper.JournalNoticeClick();
    EXPECT_EQ(keeper.registrations.JournalNotice, "");
}

TEST_F(ScheduleTest, AHandStartOfTheSelectedRiderLocksTheStartContactAsF4Does) {
    Prepare(ClockMs(9, 29, 0));
    keeper.LockLSstart1Click();
    ASSERT_TRUE(keeper.registrations.StartContactFree);
    ASSERT_TRUE(keeper.ApplyHandTime(HandStart("12", "09:29:00,0")).done);
    EXPECT_EQ(keeper.startList.cbNr.Text(), "14");
    EXPECT_FALSE(keeper.registrations.StartContactFree);
}

} // namespace
} // namespace vandoret::testing
