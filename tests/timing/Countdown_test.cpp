// The tick's countdown to the selected rider's planned start: ready signal, release of the start
// contact, arming of the automatic start and the start five seconds later.
#include <string>
#include <vector>

#include "TimingFixture.h"

namespace vandoret::testing {
namespace {

using CountdownTest = TimingTest;

// One tick at each time, on a fresh keeper whose rider starts at 9:30.
TEST_F(CountdownTest, SingleTickAroundPlannedStart) {
    const struct {
        std::int64_t now;
        const char* counter;
        bool ready; // ready sound and start contact released
        bool armed;
    } cases[] = {
        {ClockMs(9, 29, 0), "01:01", false, false},       {ClockMs(9, 29, 55, 0), "00:06", false, false},
        {ClockMs(9, 29, 55, 1), "00:05", true, false},    {ClockMs(9, 29, 55, 500), "00:05", true, false},
        {ClockMs(9, 29, 56, 0), "00:05", true, false},    {ClockMs(9, 29, 56, 1), "00:04", false, false},
        {ClockMs(9, 29, 59, 999), "00:01", false, false}, {ClockMs(9, 30, 0, 0), "00:01", false, false},
        {ClockMs(9, 30, 0, 1), "00:00", false, true},     {ClockMs(9, 30, 1, 999), "00:00", false, true},
        {ClockMs(9, 30, 2, 0), "00:01", false, false},    {ClockMs(9, 30, 6, 500), "00:05", true, false},
        {ClockMs(8, 29, 0), "01:01:01", false, false},    {ClockMs(10, 30, 0, 500), "59:59", false, false},
    };
    for (const auto& c : cases) {
        FakeHost host;
        Timekeeper keeper(host);
        keeper.settings.BaseName = MissingFileName();
        keeper.registrations.ReadySoundFile = "ready.wav";
        ClockDriver clock(keeper, host);
        clock.Step(ClockMs(9, 0, 0));
        FillStartList(keeper, ThreeRiders());
        keeper.SelectRider(0);
        keeper.ImageStatusClick();

        clock.Step(c.now);
        SCOPED_TRACE(c.counter);
        EXPECT_EQ(keeper.registrations.TextCounterTime, c.counter);
        EXPECT_EQ(host.sounds.size(), c.ready ? 1u : 0u);
        EXPECT_EQ(keeper.registrations.StartContactFree, c.ready);
        EXPECT_EQ(host.timer5sek, c.armed);
    }
}

TEST_F(CountdownTest, RunThroughPlannedStartTakesAutomaticStart) {
    Prepare(ClockMs(9, 29, 0));
    std::vector<std::int64_t> readyTicks;
    std::int64_t armedAt = -1;
    std::string counterAt3s;
    std::int64_t now = 0;
    clock.Run(ClockMs(9, 29, 50), ClockMs(9, 30, 6), [&] {
        now = ToMilliseconds(host.now);
        if (keeper.registrations.TextCounterTime == "00:05") {
            readyTicks.push_back(now);
        }
        if (armedAt < 0 && host.timer5sek) {
            armedAt = now;
        }
        if (now == ClockMs(9, 30, 3)) {
            counterAt3s = keeper.registrations.TextCounterTime;
        }
    });

    // "00:05" from 09:29:55.1 to 09:29:56.0: ten ticks, each requesting the ready sound.
    ASSERT_EQ(readyTicks.size(), 10u);
    EXPECT_EQ(readyTicks.front(), ClockMs(9, 29, 55, 100));
    EXPECT_EQ(readyTicks.back(), ClockMs(9, 29, 56, 0));
    EXPECT_EQ(CountSounds(keeper.registrations.ReadySoundFile), 10);
    // Armed on the first tick after 09:30:00.000, frozen at "00:00" while armed.
    EXPECT_EQ(armedAt, ClockMs(9, 30, 0, 100));
    EXPECT_EQ(counterAt3s, "00:00");
    // The automatic start five seconds after arming, for the selected rider.
    EXPECT_EQ(clock.timer5sekFires, 1);
    EXPECT_EQ(keeper.registrations.SortGrid2.RowCount(), 2);
    EXPECT_EQ(keeper.registrations.SortGrid2.Cells(0, 1), "1.");
    EXPECT_EQ(keeper.registrations.SortGrid2.Cells(1, 1), "09:30:05,1");
    EXPECT_EQ(keeper.registrations.SortGrid2.Cells(2, 1), "12");
    EXPECT_EQ(CountSounds(keeper.registrations.StartSoundFile), 1);
    EXPECT_FALSE(host.timer5sek);
    // The start locked the contact the countdown had freed; the next rider is up.
    EXPECT_FALSE(keeper.registrations.StartContactFree);
    EXPECT_EQ(keeper.startList.cbNr.Text(), "14");
    EXPECT_EQ(keeper.registrations.TextStartTime, "9:35:00");
    EXPECT_EQ(keeper.registrations.TextCounterTime, "04:55"); // at 09:30:06.0
}

TEST_F(CountdownTest, StartByHandWhileArmedRecordsOneStart) {
    Prepare(ClockMs(9, 29, 0));
    clock.Run(ClockMs(9, 29, 59), ClockMs(9, 30, 2));
    ASSERT_TRUE(host.timer5sek);
    keeper.mStartClick(); // F4 at 09:30:02.000
    clock.Run(ClockMs(9, 30, 2, 100), ClockMs(9, 30, 20));

    EXPECT_EQ(clock.timer5sekFires, 0);
    EXPECT_EQ(keeper.registrations.SortGrid2.RowCount(), 2);
    EXPECT_EQ(keeper.registrations.SortGrid2.Cells(1, 1), "09:30:02,0");
    EXPECT_EQ(keeper.registrations.SortGrid2.Cells(2, 1), "12");
    EXPECT_EQ(keeper.startList.cbNr.Text(), "14");
}

TEST_F(CountdownTest, RiderChosenByHandWhileArmedIsTheOneStarted) {
    Prepare(ClockMs(9, 29, 0));
    clock.Run(ClockMs(9, 29, 59), ClockMs(9, 30, 1));
    ASSERT_TRUE(host.timer5sek);
    keeper.SelectRider(2); // "17", planned 9:40
    EXPECT_TRUE(host.timer5sek);
    clock.Run(ClockMs(9, 30, 1, 100), ClockMs(9, 30, 6));

    EXPECT_EQ(clock.timer5sekFires, 1);
    EXPECT_EQ(keeper.registrations.SortGrid2.Cells(1, 1), "09:30:05,1");
    EXPECT_EQ(keeper.registrations.SortGrid2.Cells(2, 1), "17");
    // "17" was the last rider: the selection is empty and the countdown switched itself off.
    EXPECT_EQ(keeper.startList.cbNr.ItemIndex, -1);
    EXPECT_TRUE(keeper.registrations.TextStartTime.empty());
}

TEST_F(CountdownTest, IdleWithoutRiderOrWithCountdownOff) {
    // No rider ever selected: "00:00" stays, nothing is armed.
    clock.Run(ClockMs(9, 29, 50), ClockMs(9, 30, 10));
    EXPECT_EQ(keeper.registrations.TextCounterTime, "00:00");
    EXPECT_FALSE(host.timer5sek);
    EXPECT_TRUE(host.sounds.empty());

    // Countdown off: the text cbNrChange wrote stays; no ready sound, release or start.
    Prepare(ClockMs(9, 29, 0));
    keeper.ImageStatusClick();
    ASSERT_FALSE(keeper.registrations.CounterOn);
    clock.Run(ClockMs(9, 29, 50), ClockMs(9, 30, 10));
    EXPECT_EQ(keeper.registrations.TextCounterTime, "01:01");
    EXPECT_FALSE(keeper.registrations.StartContactFree);
    EXPECT_TRUE(host.sounds.empty());
    EXPECT_EQ(clock.timer5sekFires, 0);
    EXPECT_TRUE(keeper.registrations.SortGrid2.IsBlankRow(1));
}

TEST_F(CountdownTest, SwitchedOnSixSecondsLateSignalsButNeverArms) {
    Prepare(ClockMs(9, 29, 0));
    keeper.ImageStatusClick(); // off
    clock.Run(ClockMs(9, 29, 50), ClockMs(9, 30, 6));
    keeper.ImageStatusClick(); // on at 09:30:06.0
    clock.Run(ClockMs(9, 30, 6, 100), ClockMs(9, 30, 20));
    EXPECT_EQ(CountSounds(keeper.registrations.ReadySoundFile), 9); // 09:30:06.1 .. 09:30:06.9
    EXPECT_TRUE(keeper.registrations.StartContactFree);
    EXPECT_EQ(keeper.registrations.TextCounterTime, "00:19"); // counting up: 20 s past, less the extra second
    EXPECT_EQ(clock.timer5sekFires, 0);
    EXPECT_FALSE(host.timer5sek);
}

// A planned start exactly one hour ahead (plus the extra second) is "01:00:00", never "00:00":
// the hour boundary is decided on whole milliseconds, not on a rounded day fraction.
TEST_F(CountdownTest, OneHourAheadIsNeverReadAsZero) {
    const struct {
        const char* planned;
        std::int64_t now;
    } cases[] = {
        {"12:12", ClockMs(11, 12, 1)}, {"12:15", ClockMs(11, 15, 1)}, {"12:21", ClockMs(11, 21, 1)},
        {"9:30", ClockMs(8, 30, 1)},   {"23:59", ClockMs(22, 59, 1)},
    };
    for (const auto& c : cases) {
        FakeHost host;
        Timekeeper keeper(host);
        keeper.settings.BaseName = MissingFileName();
        ClockDriver clock(keeper, host);
        clock.Step(c.now - 60'000);
        FillStartList(keeper, {{c.planned, "1", "A"}, {"23:59", "2", "B"}});
        keeper.SelectRider(0);
        keeper.ImageStatusClick();
        clock.Step(c.now);
        EXPECT_EQ(keeper.registrations.TextCounterTime, "01:00:00") << c.planned;
        EXPECT_FALSE(host.timer5sek) << c.planned;
        clock.Step(c.now + 1);
        EXPECT_EQ(keeper.registrations.TextCounterTime, "59:59") << c.planned;
    }
}

// With '.' as time separator the ready signal, the release and the automatic start still happen.
class DotSeparatorTest : public TimingTest {
protected:
    DotSeparatorTest() : TimingTest(Locale{',', '.'}) {}
};

TEST_F(DotSeparatorTest, CountdownSignalsArmsAndStarts) {
    Prepare(ClockMs(9, 29, 0), {{"9.30", "12", "Anna Berger"}, {"9.35", "14", "Bruno Keller"}});
    EXPECT_EQ(keeper.registrations.TextStartTime, "9.30.00");
    EXPECT_EQ(keeper.registrations.TextCounterTime, "01.01");
    std::int64_t firstReady = -1;
    clock.Run(ClockMs(9, 29, 50), ClockMs(9, 30, 6), [&] {
        if (firstReady < 0 && keeper.registrations.TextCounterTime == "00.05") {
            firstReady = ToMilliseconds(host.now);
            EXPECT_TRUE(keeper.registrations.StartContactFree);
        }
    });
    EXPECT_EQ(firstReady, ClockMs(9, 29, 55, 100));
    EXPECT_EQ(CountSounds(keeper.registrations.ReadySoundFile), 10);
    EXPECT_EQ(clock.timer5sekFires, 1);
    EXPECT_EQ(keeper.registrations.SortGrid2.Cells(1, 1), "09.30.05,1");
    EXPECT_EQ(keeper.registrations.SortGrid2.Cells(2, 1), "12");
}

// Planned starts written with ':' (generated and shifted lists, FormatMinutes) count down, start
// automatically, are found as the next start and are coloured where the locale writes '.'.
TEST_F(DotSeparatorTest, PlannedStartsWrittenWithAColonCountDownToo) {
    Prepare(ClockMs(9, 29, 0), {{"9:30", "12", "Anna Berger"}, {"9.35", "14", "Bruno Keller"}, {"9:40", "17", "C"}});
    EXPECT_EQ(keeper.registrations.TextStartTime, "9:30:00");
    EXPECT_EQ(keeper.registrations.TextStartTimeColor, TextColor::Lime);
    EXPECT_EQ(keeper.registrations.TextCounterTime, "01.01");
    clock.Run(ClockMs(9, 29, 50), ClockMs(9, 30, 6));
    EXPECT_EQ(CountSounds(keeper.registrations.ReadySoundFile), 10);
    EXPECT_EQ(clock.timer5sekFires, 1);
    EXPECT_EQ(keeper.registrations.SortGrid2.Cells(2, 1), "12");
    EXPECT_EQ(keeper.registrations.TextStartTime, "9.35.00");

    host.SetClock(9, 36, 0);
    EXPECT_EQ(keeper.FindNextPlannedStart(), 2);
    keeper.SelectRider(0);
    EXPECT_EQ(keeper.registrations.TextStartTimeColor, TextColor::Red);

    // Either separator at each place; sorting and the settings dialog keep the locale's alone.
    const Locale dot{',', '.'};
    for (const char* text : {"9:30", "9.30", "9:30.15", "9.30:15", "09:30:15,5"}) {
        EXPECT_TRUE(ParsePlannedStart(text, dot).has_value()) << text;
    }
    for (const char* text : {"9,30", "9-30", "9:", "9:30:", "24:00"}) {
        EXPECT_FALSE(ParsePlannedStart(text, dot).has_value()) << text;
    }
    EXPECT_FALSE(ParseTimeOfDay("9:30", dot).has_value());
}

} // namespace
} // namespace vandoret::testing
