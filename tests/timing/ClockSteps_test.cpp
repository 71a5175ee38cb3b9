// Steps of the wall clock while riders are on the course, and rides over midnight.
#include <string>

#include "TimingFixture.h"
#include "journal/JournalFakes.h"

namespace vandoret::testing {
namespace {

using ClockStepTest = TimingTest;

TEST_F(ClockStepTest, ARideAcrossAStepIsMeasuredWithoutItAndMarked) {
    const struct {
        const char* label;
        std::int64_t start, stepAt, step, finish; // finish on the stepped clock
        const char* time;
        const char* mark;
        bool seen; // the step is journaled and warned of
    } cases[] = {
        {"set back 10 s", ClockMs(9, 30, 0), ClockMs(9, 30, 10), -10'000, ClockMs(9, 30, 20, 300), "30,3", "Uhr", true},
        {"summer time", ClockMs(1, 59, 30), ClockMs(1, 59, 59), 3'600'000, ClockMs(3, 0, 20), "50,0", "Uhr", true},
        {"before the start", ClockMs(9, 30, 0), ClockMs(9, 29, 0), 5'000, ClockMs(9, 30, 30), "30,0", "", true},
        {"jitter", ClockMs(9, 30, 0), ClockMs(9, 30, 10), -400, ClockMs(9, 30, 29, 600), "29,6", "", false},
        {"over midnight", ClockMs(23, 59, 30), ClockMs(23, 0, 0), 0, ClockMs(0, 8, 10), "8:40,0", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        FakeHost host;
        Timekeeper keeper(host);
        ClockDriver clock(keeper, host);
        testing::MemoryJournalWriter writer;
        testing::FakeJournalClock journalClock;
        keeper.AttachJournal(writer, journalClock);
        FillStartList(keeper, ThreeRiders());
        const auto events = {c.start, c.stepAt};
        for (const std::int64_t at : events) {
            clock.Step(at);
            if (at == c.start) {
                keeper.SelectRider(0);
                keeper.mStartClick();
            } else {
                host.StepWallClock(c.step);
                clock.Step(ToMilliseconds(host.now));
            }
        }
        clock.Step(c.finish);
        keeper.mStopClick();
        keeper.registrations.SortGrid3.SetCell(kStopNr, 1, "12");
        keeper.results.BuildResults();
        EXPECT_EQ(keeper.results.SortGrid4.Cells(kResultTime, 1), c.time);
        EXPECT_EQ(keeper.GetCellFormat(kTabResults, kResultTime, 1).mark, c.mark);
        EXPECT_NE(keeper.registrations.SortGrid3.Cells(kStopTimePoints, 1), "!!!");
        EXPECT_EQ(keeper.registrations.JournalNotice.rfind("Uhr um ", 0) == 0, c.seen)
            << keeper.registrations.JournalNotice;
        // The journal keeps the step, and a recovery gives it back to the results.
        EXPECT_EQ(ReplayLastSession(writer.ReadNewest()).clockSteps.size(), c.seen ? 1u : 0u);
        FakeHost later;
        Timekeeper recovered(later);
        recovered.AttachJournal(writer, journalClock);
        EXPECT_EQ(recovered.results.ClockSteps, keeper.results.ClockSteps);
    }
}

} // namespace
} // namespace vandoret::testing
