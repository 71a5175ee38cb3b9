// Recording starts, choosing riders and finding the next planned start.
#include <string>
#include <vector>

#include "TimingFixture.h"

namespace vandoret::testing {
namespace {

using StartTest = TimingTest;

TEST_F(StartTest, StartsFillRowsAndAdvanceTheSelection) {
    Prepare(ClockMs(9, 29, 0));
    const struct {
        std::int64_t at;
        const char* time;
        const char* number;
        int nextIndex;
    } starts[] = {
        {ClockMs(9, 30, 4, 799), "09:30:04,7", "12", 1}, // truncated, not rounded
        {ClockMs(9, 30, 4, 701), "09:30:04,7", "14", 2}, // same tenth, same text
        {ClockMs(9, 40, 0, 0), "09:40:00,0", "17", -1},
    };
    int row = 0;
    for (const auto& s : starts) {
        host.now = static_cast<double>(s.at) / 86'400'000.0;
        keeper.mStartClick();
        ++row;
        SCOPED_TRACE(s.time);
        EXPECT_EQ(keeper.registrations.SortGrid2.RowCount(), row + 1);
        EXPECT_EQ(keeper.registrations.SortGrid2.Cells(0, row), std::to_string(row) + ".");
        EXPECT_EQ(keeper.registrations.SortGrid2.Cells(1, row), s.time);
        EXPECT_EQ(keeper.registrations.SortGrid2.Cells(2, row), s.number);
        EXPECT_EQ(keeper.registrations.SortGrid2.Row(), row);
        EXPECT_EQ(keeper.startList.cbNr.ItemIndex, s.nextIndex);
    }
    EXPECT_EQ(CountSounds(keeper.registrations.StartSoundFile), 3);
}

TEST_F(StartTest, StartOfTheLastRider) {
    Prepare(ClockMs(9, 38, 0));
    keeper.SelectRider(2);
    keeper.registrations.StartContactFree = true;
    clock.Step(ClockMs(9, 40, 1));
    keeper.mStartClick();

    EXPECT_EQ(keeper.registrations.SortGrid2.Cells(2, 1), "17");
    EXPECT_EQ(keeper.startList.cbNr.ItemIndex, -1);
    EXPECT_TRUE(keeper.registrations.TextStartTime.empty());
    EXPECT_EQ(keeper.registrations.PlannedStart, MakeTimeOfDay(9, 40)); // kept after the selection cleared
    EXPECT_FALSE(keeper.registrations.StartContactFree);
    EXPECT_EQ(keeper.registrations.LabOstalosStart, "2");
    EXPECT_EQ(keeper.registrations.LabOstalosStop, "1");
    EXPECT_TRUE(keeper.registrations.CounterOn);
}

TEST_F(StartTest, AutoStartUntickedRecordsNothingButAdvances) {
    Prepare(ClockMs(9, 29, 0));
    keeper.settings.AutoStart = false;
    keeper.registrations.StartContactFree = true;
    clock.Step(ClockMs(9, 30, 3));
    keeper.mStartClick();

    EXPECT_EQ(keeper.registrations.SortGrid2.RowCount(), 2);
    EXPECT_TRUE(keeper.registrations.SortGrid2.IsBlankRow(1));
    EXPECT_TRUE(host.sounds.empty());
    EXPECT_EQ(keeper.startList.cbNr.Text(), "14");
    EXPECT_EQ(keeper.registrations.TextStartTime, "9:35:00");
    EXPECT_FALSE(keeper.registrations.StartContactFree);
    EXPECT_EQ(keeper.registrations.LabOstalosStart, "3");
    EXPECT_EQ(keeper.registrations.LabOstalosStop, "0");
}

TEST_F(StartTest, StartWithoutSelectionIsRecordedAndSelectsTheFirstRider) {
    Prepare(ClockMs(9, 29, 0));
    keeper.SelectRider(-1);
    keeper.mStartClick();
    EXPECT_EQ(keeper.registrations.SortGrid2.Cells(0, 1), "1.");
    EXPECT_EQ(keeper.registrations.SortGrid2.Cells(2, 1), "");
    EXPECT_EQ(keeper.startList.cbNr.ItemIndex, 0);

    // With an empty number list the start is still recorded and nothing gets selected.
    FakeHost emptyHost;
    Timekeeper empty(emptyHost);
    empty.mStartClick();
    EXPECT_EQ(empty.registrations.SortGrid2.Cells(0, 1), "1.");
    EXPECT_EQ(empty.startList.cbNr.ItemIndex, -1);
    EXPECT_EQ(empty.registrations.LabOstalosStart, "0") << "no rider of the list is waiting";
    EXPECT_EQ(empty.registrations.LabOstalosStop, "1") << "the unnumbered start is one rider on course";
}

TEST_F(StartTest, ContactNumberIsTheRowIndexAtRecordingTime) {
    Prepare(ClockMs(9, 29, 0), {{"9:30", "1", "A"}, {"9:35", "2", "B"}, {"9:40", "3", "C"}, {"9:45", "4", "D"}});
    for (int i = 0; i < 3; ++i) {
        keeper.mStartClick();
    }
    keeper.registrations.SortGrid2.DeleteRow(2);
    keeper.mStartClick();
    EXPECT_EQ(keeper.registrations.SortGrid2.Cells(0, 2), "3.");
    EXPECT_EQ(keeper.registrations.SortGrid2.Cells(0, 3), "3.");
}

TEST_F(StartTest, BlankLastRowIsReused) {
    Prepare(ClockMs(9, 29, 0));
    keeper.mStartClick();
    keeper.registrations.SortGrid2.AddRow();
    keeper.registrations.SortGrid2.SetCell(2, 2, " ");
    keeper.mStartClick();
    EXPECT_EQ(keeper.registrations.SortGrid2.RowCount(), 3);
    EXPECT_EQ(keeper.registrations.SortGrid2.Cells(0, 2), "2.");
    EXPECT_EQ(keeper.registrations.SortGrid2.Cells(2, 2), "14");
}

TEST_F(StartTest, SelectingARider) {
    const struct {
        const char* label;
        std::vector<Rider> riders;
        std::int64_t now;
        int index;
        const char* name;
        const char* startText;
        TextColor color;
        TimeOfDay planned;
        const char* counter;
        int startListRow;
    } cases[] = {
        {"future", ThreeRiders(), ClockMs(9, 31, 0), 1, "Bruno Keller", "9:35:00", TextColor::Lime,
         MakeTimeOfDay(9, 35), "04:01", 2},
        {"past: red, time since plus one second", ThreeRiders(), ClockMs(9, 37, 0), 1, "Bruno Keller", "9:35:00",
         TextColor::Red, MakeTimeOfDay(9, 35), "01:59", 2},
        {"exactly now is not past", ThreeRiders(), ClockMs(9, 35, 0), 1, "Bruno Keller", "9:35:00", TextColor::Lime,
         MakeTimeOfDay(9, 35), "00:01", 2},
        {"unparsable time keeps the previous planned start",
         {{"9:30", "12", "A"}, {"9h35", "14", "B"}},
         ClockMs(9, 31, 0),
         1,
         "B",
         "9h35:00",
         TextColor::Default,
         MakeTimeOfDay(9, 30),
         "00:00",
         2},
        {"number missing in the list leaves the counter",
         {{"9:30", "12", "A"}, {"9:35", "", "B"}},
         ClockMs(9, 31, 0),
         1,
         "B",
         "9:35:00",
         TextColor::Lime,
         MakeTimeOfDay(9, 35),
         "00:00",
         2},
        {"duplicate number selects the first row carrying it",
         {{"9:30", "12", "A"}, {"9:35", "12", "B"}},
         ClockMs(9, 31, 0),
         1,
         "B",
         "9:35:00",
         TextColor::Lime,
         MakeTimeOfDay(9, 35),
         "04:01",
         1},
    };
    for (const auto& c : cases) {
        FakeHost host;
        Timekeeper keeper(host);
        FillStartList(keeper, c.riders);
        if (c.riders[1].number.empty()) {
            keeper.startList.cbNr.Items[1] = "99"; // a number the start list does not carry
        }
        keeper.registrations.PlannedStart = MakeTimeOfDay(9, 30); // as left by the rider before
        host.now = static_cast<double>(c.now) / 86'400'000.0;
        keeper.SelectRider(c.index);
        SCOPED_TRACE(c.label);
        EXPECT_EQ(keeper.registrations.Edit1, c.name);
        EXPECT_EQ(keeper.registrations.TextStartTime, c.startText);
        EXPECT_EQ(keeper.registrations.TextStartTimeColor, c.color);
        EXPECT_EQ(ToMilliseconds(keeper.registrations.PlannedStart), ToMilliseconds(c.planned));
        EXPECT_EQ(keeper.registrations.TextCounterTime, c.counter);
        EXPECT_EQ(keeper.startList.SortGrid1.Row(), c.startListRow);
        EXPECT_EQ(keeper.startList.SortGrid1.TopRow(), c.index + 1);
    }
}

TEST_F(StartTest, SelectionOutsideTheListsIsHarmless) {
    FillStartList(keeper, ThreeRiders());
    keeper.SelectRider(1);
    const TimeOfDay planned = keeper.registrations.PlannedStart;

    keeper.SelectRider(-1);
    EXPECT_TRUE(keeper.registrations.TextStartTime.empty());
    EXPECT_EQ(keeper.registrations.PlannedStart, planned);

    keeper.SelectRider(7); // no such item: nothing selected
    EXPECT_EQ(keeper.startList.cbNr.ItemIndex, -1);

    // A number list longer than the start list: the name reads empty and the rest is left alone.
    keeper.startList.cbNr.Items.push_back("99");
    keeper.SelectRider(3);
    EXPECT_EQ(keeper.startList.cbNr.ItemIndex, 3);
    EXPECT_EQ(keeper.registrations.Edit1, "");
    EXPECT_EQ(keeper.registrations.PlannedStart, planned);
    EXPECT_EQ(keeper.startList.SortGrid1.Row(), 2);
}

TEST_F(StartTest, FindNextPlannedStart) {
    const struct {
        const char* label;
        std::vector<std::string> times;
        std::int64_t now;
        int expected;
    } cases[] = {
        {"next after now", {"9:30", "9:35", "9:40"}, ClockMs(9, 33, 0), 1},
        {"before the first", {"9:30", "9:35", "9:40"}, ClockMs(8, 0, 0), 0},
        {"list out of order", {"9:40", "9:30", "9:35"}, ClockMs(9, 31, 0), 2},
        {"same time: upper row", {"9:40", "9:35", "9:35"}, ClockMs(9, 31, 0), 1},
        {"exactly one second ago is not chosen", {"9:30", "9:35"}, ClockMs(9, 30, 1, 0), 1},
        {"just under one second ago is chosen", {"9:30", "9:35"}, ClockMs(9, 30, 0, 999), 0},
        {"all past", {"9:30", "9:35"}, ClockMs(10, 0, 0), -1},
        {"unparsable skipped", {"abc", "", "9:3x", "25:00", "9:50"}, ClockMs(9, 0, 0), 4},
        {"nothing parses", {"abc", " "}, ClockMs(9, 0, 0), -1},
        {"no wrap past midnight", {"0:05", "23:59"}, ClockMs(23, 59, 30), -1},
    };
    for (const auto& c : cases) {
        FakeHost host;
        Timekeeper keeper(host);
        std::vector<Rider> riders;
        for (const auto& t : c.times) {
            riders.push_back({t, "1", "x"});
        }
        FillStartList(keeper, riders);
        host.now = static_cast<double>(c.now) / 86'400'000.0;
        EXPECT_EQ(keeper.FindNextPlannedStart(), c.expected) << c.label;
    }
}

} // namespace
} // namespace vandoret::testing
