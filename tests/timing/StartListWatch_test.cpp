// The tick's watch on the start list file, and the shift of the remaining planned starts.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "TimingFixture.h"
#include "base/FileStamp.h"

namespace vandoret::testing {
namespace {

namespace fs = std::filesystem;

// A start list file with the same riders that FillStartList puts into the lists, so the tests
// hold whether or not the loader reads the file.
class StartListWatchTest : public TimingTest {
protected:
    void SetUp() override {
        dir_ = NewPrivateFolder("vandoret-timing-watch-");
        file_ = (dir_ / "Starterliste.txt").string();
        WriteFile();
        keeper.settings.BaseName = file_;
        FillStartList(keeper, ThreeRiders());
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    void WriteFile(const std::string& extra = "") {
        std::ofstream out(file_, std::ios::binary | std::ios::trunc);
        out << "Startzeit\tSt.Nr.\tName\tPferd\tClub\tOrt\r\n";
        for (const Rider& r : ThreeRiders()) {
            out << r.time << '\t' << r.number << '\t' << r.name << extra << "\r\n";
        }
    }

    // Sets the file's last-write time to an offset from an even-second base.
    void Touch(int secondsAfterBase, int ms = 0) {
        fs::last_write_time(file_, base_ + std::chrono::seconds(secondsAfterBase) + std::chrono::milliseconds(ms));
    }
    // The name in row 1 of the start list, which each rewrite below changes.
    std::string FirstName() const { return keeper.startList.SortGrid1.Cells(2, 1); }
    int Loads() const { return host.timer1Disables; } // every load switches Timer1 off

    fs::path dir_;
    std::string file_;
    // An even second of the current day, so that base and base + 1 s share a DOS stamp slot.
    fs::file_time_type base_ = [] {
        const auto now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
        const auto even = now - std::chrono::seconds(now.time_since_epoch().count() % 2);
        return std::chrono::file_clock::from_sys(even);
    }();
};

// Any rewrite is noticed, also within one two-second stamp slot, and loaded once the file's size
// and time have stayed the same for a tick, so a file caught while being written is not read half.
TEST_F(StartListWatchTest, RewriteIsLoadedOnceItHasSettled) {
    Touch(0);
    std::int64_t at = ClockMs(9, 0, 0);
    clock.Step(at); // the first look of the run loads at once
    const std::int32_t first = DosFileStamp(file_);
    ASSERT_NE(first, -1);
    EXPECT_EQ(keeper.startList.StartListStamp, first);
    EXPECT_EQ(Loads(), 1);
    EXPECT_EQ(FirstName(), "Anna Berger");

    const auto tick = [&] { clock.Step(at += 100); };
    const struct {
        const char* label;
        const char* extra; // appended to each name
        int second, ms;    // new last-write time after the base
    } rewrites[] = {
        {"longer, same slot", " (neu)", 1, 0},
        {"same size, same slot, finer time", " (alt)", 1, 500},
        {"two-second times (FAT): only the size tells", "", 1, 500},
    };
    for (const auto& r : rewrites) {
        SCOPED_TRACE(r.label);
        const int loads = Loads();
        WriteFile(r.extra);
        Touch(r.second, r.ms);
        if (fs::last_write_time(file_) != base_ + std::chrono::seconds(r.second) + std::chrono::milliseconds(r.ms)) {
            continue; // the file system cannot hold that time
        }
        ASSERT_EQ(DosFileStamp(file_), first);
        tick(); // seen ...
        EXPECT_EQ(Loads(), loads);
        tick(); // ... unchanged for a tick: loaded
        EXPECT_EQ(Loads(), loads + 1);
        EXPECT_EQ(FirstName(), std::string("Anna Berger") + r.extra);
        EXPECT_EQ(keeper.startList.StartListStamp, first);
        tick(); // and not again
        EXPECT_EQ(Loads(), loads + 1);
    }

    // A file still being written is not loaded until it stops changing; then once.
    const int loads = Loads();
    for (int step = 0; step < 4; ++step) {
        WriteFile(std::string(static_cast<std::size_t>(step + 1), '!'));
        Touch(1, 500);
        tick();
        EXPECT_EQ(Loads(), loads) << step;
    }
    tick();
    EXPECT_EQ(Loads(), loads + 1);
    EXPECT_EQ(FirstName(), "Anna Berger!!!!");

    // A file that vanishes empties the list only after a tick, and the selection is kept meanwhile.
    keeper.SelectRider(1);
    fs::remove(file_);
    tick();
    EXPECT_EQ(keeper.startList.cbNr.Text(), "14");
    EXPECT_EQ(FirstName(), "Anna Berger!!!!");
    tick();
    EXPECT_EQ(keeper.startList.StartListStamp, -1);
    EXPECT_TRUE(keeper.startList.SortGrid1.IsBlankRow(1));
    EXPECT_EQ(host.stampQueries, clock.ticks);
}

TEST_F(StartListWatchTest, FirstListSeenSelectsTheNextPlannedStart) {
    host.stamps[file_] = 100;
    clock.Step(ClockMs(9, 33, 0));
    EXPECT_EQ(keeper.startList.StartListStamp, 100);
    EXPECT_EQ(keeper.startList.cbNr.Text(), "14");
    EXPECT_EQ(keeper.registrations.TextStartTime, "9:35:00");
    EXPECT_EQ(keeper.registrations.Edit1, "Bruno Keller");

    // A later change keeps the rider the operator chose.
    keeper.SelectRider(2);
    host.stamps[file_] = 200;
    clock.Run(ClockMs(9, 33, 0, 100), ClockMs(9, 33, 0, 200));
    EXPECT_EQ(keeper.startList.StartListStamp, 200);
    EXPECT_EQ(keeper.startList.cbNr.Text(), "17");

    // The file vanishes and comes back: then the next planned start is chosen again.
    host.stamps[file_] = -1;
    clock.Run(ClockMs(9, 33, 0, 300), ClockMs(9, 33, 0, 400));
    EXPECT_EQ(keeper.startList.StartListStamp, -1);
    host.stamps[file_] = 300;
    clock.Run(ClockMs(9, 35, 59, 900), ClockMs(9, 36, 0));
    EXPECT_EQ(keeper.startList.StartListStamp, 300);
    EXPECT_EQ(keeper.startList.cbNr.Text(), "17");
    EXPECT_EQ(keeper.registrations.TextStartTime, "9:40:00");
}

// A file stamped outside the years a DOS date-time holds is there all the same: it is loaded and
// the next planned start is selected, as for any other file.
TEST_F(StartListWatchTest, FileStampedOutsideTheDosYearsIsLoaded) {
    using namespace std::chrono;
    const sys_days days[] = {sys_days{year{1970} / 1 / 2}, sys_days{year{1979} / 12 / 30},
                             sys_days{year{2110} / 6 / 1}};
    for (const sys_days day : days) {
        FakeHost host;
        Timekeeper keeper(host);
        keeper.settings.BaseName = file_;
        ClockDriver clock(keeper, host);
        std::error_code ec;
        fs::last_write_time(file_, file_clock::from_sys(sys_seconds{day} + seconds{12 * 3600}), ec);
        if (ec) {
            continue; // the file system cannot hold that time
        }
        SCOPED_TRACE(static_cast<int>(year_month_day{day}.year()));
        EXPECT_NE(DosFileStamp(file_), -1);
        clock.Step(ClockMs(9, 0, 0));
        EXPECT_NE(keeper.startList.StartListStamp, -1);
        EXPECT_EQ(keeper.startList.cbNr.Count(), 3);
        EXPECT_EQ(keeper.startList.cbNr.Text(), "12");
        EXPECT_EQ(keeper.registrations.TextStartTime, "9:30:00");
    }
}

TEST_F(StartListWatchTest, NoFileNoLoad) {
    keeper.settings.BaseName = MissingFileName();
    keeper.SelectRider(1);
    clock.Run(ClockMs(9, 0, 0), ClockMs(9, 0, 1));
    EXPECT_EQ(keeper.startList.StartListStamp, -1);
    EXPECT_EQ(keeper.startList.cbNr.Text(), "14");
    EXPECT_EQ(keeper.registrations.StaticText1, "09:00:01");
}

using ShiftTest = TimingTest;

TEST_F(ShiftTest, ShiftStartTimes) {
    const struct {
        const char* label;
        std::int64_t now;
        int selectedRow;
        int startInt;
        const char* times[3];
    } cases[] = {
        {"from the second row", ClockMs(9, 47, 30), 2, 5, {"9:30", "09:48", "09:53"}},
        {"whole list, other interval", ClockMs(9, 47, 30), 1, 3, {"09:48", "09:51", "09:54"}},
        {"last row only", ClockMs(9, 47, 30), 3, 5, {"9:30", "9:35", "09:48"}},
        {"rounded down to the minute", ClockMs(9, 47, 59, 999), 1, 5, {"09:48", "09:53", "09:58"}},
        {"past midnight", ClockMs(23, 53, 0), 1, 5, {"23:54", "23:59", "00:04"}},
    };
    for (const auto& c : cases) {
        FakeHost host;
        Timekeeper keeper(host);
        FillStartList(keeper, ThreeRiders());
        keeper.settings.StartInt = c.startInt;
        keeper.SelectRider(2);
        keeper.startList.SortGrid1.SetRow(c.selectedRow);
        host.now = static_cast<double>(c.now) / 86'400'000.0;
        keeper.ShiftStartTimes();
        SCOPED_TRACE(c.label);
        for (int r = 1; r <= 3; ++r) {
            EXPECT_EQ(keeper.startList.SortGrid1.Cells(0, r), c.times[r - 1]) << r;
        }
        EXPECT_EQ(keeper.startList.cbNr.ItemIndex, 0);
        EXPECT_EQ(keeper.registrations.TextStartTime, std::string(c.times[0]) + ":00");
        EXPECT_EQ(keeper.registrations.LabOstalosStart, "3");
    }
}

TEST_F(ShiftTest, ShiftedTimesAreCountedDown) {
    Prepare(ClockMs(9, 47, 30));
    keeper.ShiftStartTimes();
    EXPECT_EQ(keeper.registrations.TextStartTimeColor, TextColor::Lime);
    EXPECT_EQ(keeper.registrations.TextCounterTime, "00:31");
    clock.Run(ClockMs(9, 47, 30), ClockMs(9, 48, 6));
    EXPECT_EQ(keeper.registrations.SortGrid2.Cells(1, 1), "09:48:05,1");
    EXPECT_EQ(keeper.registrations.SortGrid2.Cells(2, 1), "12");
    EXPECT_EQ(keeper.registrations.TextStartTime, "09:53:00");
}

TEST_F(ShiftTest, EmptyStartList) {
    keeper.ShiftStartTimes();
    EXPECT_EQ(keeper.startList.cbNr.ItemIndex, -1);
    EXPECT_EQ(keeper.startList.SortGrid1.Cells(0, 1), "00:01");
    EXPECT_EQ(keeper.registrations.LabOstalosStart, "0");
}

class DotShiftTest : public TimingTest {
protected:
    DotShiftTest() : TimingTest(Locale{',', '.'}) {}
};

TEST_F(DotShiftTest, ShiftedTimesReadBackWithTheLocale) {
    Prepare(ClockMs(9, 47, 30));
    keeper.ShiftStartTimes();
    EXPECT_EQ(keeper.startList.SortGrid1.Cells(0, 1), "09.48");
    EXPECT_EQ(keeper.registrations.TextStartTime, "09.48.00");
    EXPECT_EQ(ToMilliseconds(keeper.registrations.PlannedStart), ClockMs(9, 48, 0));
    EXPECT_EQ(keeper.FindNextPlannedStart(), 0);
}

} // namespace
} // namespace vandoret::testing
