// Long random sessions of ticks, starts, finishes, rider choices, switches and shifts: no recorded
// time is ever lost or changed, and the counters always follow the lists.
#include <random>
#include <set>
#include <string>
#include <vector>

#include "TimingFixture.h"

namespace vandoret::testing {
namespace {

using RandomSessionTest = TimingTest;

std::vector<std::string> Column(const TSortGrid& grid, int col) {
    std::vector<std::string> cells;
    for (int r = 1; r < grid.RowCount(); ++r) {
        if (!grid.Cells(0, r).empty()) {
            cells.push_back(grid.Cells(col, r));
        }
    }
    return cells;
}

bool IsCounterText(const std::string& text) {
    const auto digits = [&text](std::size_t at) {
        return text[at] >= '0' && text[at] <= '9' && text[at + 1] >= '0' && text[at + 1] <= '9';
    };
    if (text.size() == 5) {
        return digits(0) && text[2] == ':' && digits(3);
    }
    return text.size() == 8 && digits(0) && text[2] == ':' && digits(3) && text[5] == ':' && digits(6);
}

TEST_F(RandomSessionTest, RecordedTimesStayAndCountersFollowTheLists) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
        FakeHost host;
        Timekeeper keeper(host);
        keeper.settings.BaseName = MissingFileName();
        keeper.registrations.StartSoundFile = "start.wav";
        ClockDriver clock(keeper, host);
        std::mt19937 random(seed);
        const auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };

        std::int64_t now = ClockMs(9, 25, 0);
        clock.Step(now);
        std::vector<Rider> riders;
        const int count = 1 + pick(8);
        for (int i = 0; i < count; ++i) {
            const int minute = 9 * 60 + 26 + i; // one a minute from 9:26
            riders.push_back(
                {std::to_string(minute / 60) + (minute % 60 < 10 ? ":0" : ":") + std::to_string(minute % 60),
                 std::to_string(i + 1), "R" + std::to_string(i)});
        }
        FillStartList(keeper, riders);
        keeper.SelectRider(keeper.FindNextPlannedStart());
        keeper.ImageStatusClick();

        std::vector<std::string> starts, finishes;
        std::set<std::string> started; // riders, not rows
        int unnumbered = 0;            // starts taken with nobody selected
        bool counted = false;          // the counters have been worked out from the lists
        for (int step = 0; step < 800; ++step) {
            const int op = pick(100);
            bool registered = false;
            const std::string selected = keeper.startList.cbNr.Text();
            const auto start = [&] {
                starts.push_back(FormatClock(host.now, ClockForm::HhNnSsZ));
                selected.empty() ? static_cast<void>(++unnumbered) : static_cast<void>(started.insert(selected));
                registered = true;
            };
            if (op < 80) {
                now += op < 75 ? 100 : 100 + pick(5000);
                const int firesBefore = clock.timer5sekFires;
                clock.Step(now);
                if (clock.timer5sekFires != firesBefore && !selected.empty()) { // never for nobody
                    start();
                }
            } else if (op < 85) {
                keeper.mStartClick();
                start();
            } else if (op < 90) {
                keeper.mStopClick();
                finishes.push_back(FormatClock(host.now, ClockForm::HhNnSsZ));
                registered = true;
            } else if (op < 94) {
                keeper.SelectRider(pick(count + 2) - 1);
            } else if (op < 96) {
                keeper.ImageStatusClick();
            } else if (op < 98) {
                keeper.LockLSstart1Click();
            } else if (op < 99) {
                keeper.startList.SortGrid1.SetRow(1 + pick(count));
                keeper.ShiftStartTimes();
                counted = true;
            } else {
                keeper.ImageSoundClick();
            }

            ASSERT_EQ(Column(keeper.registrations.SortGrid2, 1), starts) << "seed " << seed << " step " << step;
            ASSERT_EQ(Column(keeper.registrations.SortGrid3, 1), finishes) << "seed " << seed << " step " << step;
            ASSERT_GE(keeper.startList.cbNr.ItemIndex, -1);
            ASSERT_LT(keeper.startList.cbNr.ItemIndex, keeper.startList.cbNr.Count());
            ASSERT_TRUE(IsCounterText(keeper.registrations.TextCounterTime)) << keeper.registrations.TextCounterTime;
            counted = counted || registered;
            if (counted) {
                const int toStart = count - static_cast<int>(started.size());
                const int onCourse = static_cast<int>(started.size()) + unnumbered - static_cast<int>(finishes.size());
                ASSERT_EQ(keeper.registrations.LabOstalosStart, toStart < 0 ? "" : std::to_string(toStart));
                ASSERT_EQ(keeper.registrations.LabOstalosStop, onCourse < 0 ? "" : std::to_string(onCourse));
                // Each registration switches the countdown off once nobody is left to start.
                ASSERT_FALSE(registered && toStart <= 0 && keeper.registrations.CounterOn);
            }
        }
    }
}

} // namespace
} // namespace vandoret::testing
