// A rider started twice: recorded, marked and named; a hand start asks first; the counters count
// riders; the results take the first start while it is there.
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

using SecondStartTest = TimingTest;

TEST_F(SecondStartTest, TheSecondStartIsRecordedMarkedAndNamed) {
    Prepare(ClockMs(9, 29, 0));
    keeper.SelectRider(1);
    keeper.mStartClick(); // 14 at 09:29:00
    host.SetClock(9, 29, 30);
    keeper.SelectRider(1);
    keeper.registrations.RegisterStartAt(MakeTimeOfDay(9, 29, 30)); // the contact, for 14 again
    const TSortGrid& starts = keeper.registrations.SortGrid2;
    ASSERT_EQ(starts.Cells(kStartNr, 2), "14");
    EXPECT_EQ(keeper.registrations.JournalNotice.rfind("Nr. 14 zweimal gestartet", 0), 0u)
        << keeper.registrations.JournalNotice;
    for (int row : {1, 2}) {
        const CellFormat format = keeper.GetCellFormat(kTabStartTimes, kStartNr, row);
        EXPECT_EQ(format.background, kAttentionBackground);
        EXPECT_FALSE(format.toolTip.empty());
    }
    EXPECT_EQ(keeper.registrations.LabOstalosStart, "2") << "12 and 17 are still to start";
    EXPECT_EQ(keeper.registrations.LabOstalosStop, "1") << "one rider on the course";

    // The results time the ride from the first start, and from the second once the first is gone.
    host.SetClock(9, 31, 0);
    keeper.mStopClick();
    keeper.registrations.SortGrid3.SetCell(kStopNr, 1, "14");
    EXPECT_EQ(keeper.registrations.LabOstalosStop, "0");
    keeper.results.BuildResults();
    EXPECT_EQ(keeper.results.SortGrid4.Cells(kResultTime, 1), "2:00,0");
    keeper.registrations.SortGrid2.DeleteRow(1);
    keeper.results.BuildResults();
    EXPECT_EQ(keeper.results.SortGrid4.Cells(kResultTime, 1), "1:30,0");
}

TEST_F(SecondStartTest, AHandStartForANumberThatHasOneAsksFirst) {
    Prepare(ClockMs(9, 29, 0));
    keeper.mStartClick(); // 12
    const HandTimeEntry entry = HandStart("12", "09:29:10,0");
    for (const bool yes : {false, true}) {
        host.yesNoAnswers.push_back(yes);
        EXPECT_EQ(keeper.ApplyHandTime(entry).done, yes);
        ASSERT_FALSE(host.questions.empty());
        EXPECT_EQ(host.questions.back(), "Nummer 12 hat schon eine Startzeit — trotzdem eintragen?");
        EXPECT_EQ(keeper.registrations.SortGrid2.RowCount(), yes ? 3 : 2);
    }
}

} // namespace
} // namespace vandoret::testing
