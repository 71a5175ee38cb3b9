// A start list the office rewrites while the competition runs: the counters keep the riders
// already started, and the results shown take the corrected names at once.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TimingFixture.h"

namespace vandoret::testing {
namespace {

namespace fs = std::filesystem;

class StartListReload : public TimingTest {
protected:
    void SetUp() override {
        dir_ = NewPrivateFolder("vandoret-timing-reload-");
        file_ = (dir_ / "Starterliste.txt").string();
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    // A file of `riders` riders 12, 13, ... from 9:30, the first one named firstName.
    void WriteList(int riders, const std::string& firstName = "Anna Berger") {
        std::ofstream out(file_, std::ios::binary | std::ios::trunc);
        out << "Startzeit;St.Nr.;Name\r\n";
        for (int i = 0; i < riders; ++i) {
            out << "9:" << 30 + i << ';' << 12 + i << ';' << (i == 0 ? firstName : "Rider " + std::to_string(i))
                << "\r\n";
        }
    }
    static void Append(TSortGrid& grid, const std::vector<std::string>& cells) {
        int row = grid.RowCount() - 1;
        if (!grid.IsBlankRow(row)) {
            row = grid.AddRow();
        }
        for (std::size_t c = 0; c < cells.size(); ++c) {
            grid.SetCell(static_cast<int>(c), row, cells[c]);
        }
    }
    void Starts(int n) {
        for (int i = 0; i < n; ++i) {
            Append(keeper.registrations.SortGrid2,
                   {std::to_string(i + 1), "09:3" + std::to_string(i) + ":00,0", std::to_string(12 + i)});
        }
    }
    void Finishes(int n) {
        for (int i = 0; i < n; ++i) {
            Append(keeper.registrations.SortGrid3,
                   {std::to_string(i + 1), "09:4" + std::to_string(i) + ":00,0", std::to_string(12 + i)});
        }
    }

    fs::path dir_;
    std::string file_;
};

// Only the two counters follow the recorded times: the countdown stays on and the finish display
// keeps its time, whatever the counts come to.
TEST_F(StartListReload, CountersKeepTheRidersAlreadyStarted) {
    const struct {
        const char* label;
        int riders, starts, finishes;
        const char* toStart;
        const char* onCourse;
    } cases[] = {
        {"no start yet: the list's length", 26, 0, 0, "26", "0"},
        {"no start, but a finish: the list's length", 5, 0, 1, "5", "0"},
        {"one started", 5, 1, 0, "4", "1"},
        {"ten started, three finished", 26, 10, 3, "16", "7"},
        {"all started", 4, 4, 4, "0", "0"},
        {"a shorter list than the starts", 3, 4, 1, "0", "3"},
        {"more finishes than starts", 6, 2, 3, "4", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        keeper.registrations.SortGrid2.SetRowCount(2);
        keeper.registrations.SortGrid2.BlankRow(1);
        keeper.registrations.SortGrid3.SetRowCount(2);
        keeper.registrations.SortGrid3.BlankRow(1);
        Starts(c.starts);
        Finishes(c.finishes);
        keeper.registrations.CounterOn = true;
        keeper.registrations.LabOstalosStop = "0";
        keeper.registrations.TextStopTime = "09:41:07,3";
        WriteList(c.riders);
        keeper.LoadStartList(file_);
        EXPECT_EQ(keeper.registrations.LabOstalosStart, c.toStart);
        EXPECT_EQ(keeper.registrations.LabOstalosStop, c.onCourse);
        EXPECT_TRUE(keeper.registrations.CounterOn);
        EXPECT_EQ(keeper.registrations.TextStopTime, "09:41:07,3");
    }
}

// The watch reloads a corrected name: the shown results take it at once, other tabs leave the
// results list as it was until the results tab is chosen.
TEST_F(StartListReload, CorrectedNameReachesTheShownResults) {
    for (const int tab : {kTabResults, kTabStartList, kTabStopTimes}) {
        SCOPED_TRACE(tab);
        FakeHost host;
        Timekeeper keeper(host);
        ClockDriver clock(keeper, host);
        keeper.settings.BaseName = file_;
        WriteList(3);
        std::int64_t at = ClockMs(9, 50, 0);
        clock.Step(at); // the first look loads
        Append(keeper.registrations.SortGrid2, {"1", "09:30:00,0", "12"});
        Append(keeper.registrations.SortGrid3, {"1", "09:40:00,0", "12"});
        keeper.pages.ActiveTab = kTabResults;
        keeper.PageControl1Change();
        ASSERT_EQ(keeper.results.SortGrid4.Cells(2, 1), "Anna Berger");
        keeper.pages.ActiveTab = tab;
        keeper.PageControl1Change();

        WriteList(3, "Anna Bergmann");
        clock.Step(at += 100); // seen
        clock.Step(at += 100); // settled: loaded
        ASSERT_EQ(keeper.startList.SortGrid1.Cells(2, 1), "Anna Bergmann");
        EXPECT_EQ(keeper.results.SortGrid4.Cells(2, 1), tab == kTabResults ? "Anna Bergmann" : "Anna Berger");
        EXPECT_EQ(keeper.results.SortGrid4.Cells(0, 1), "1");
        EXPECT_EQ(keeper.results.SortGrid4.Cells(1, 1), "12");
    }
}

} // namespace
} // namespace vandoret::testing
