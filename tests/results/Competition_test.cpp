// A whole competition through the core, the way an operator runs it: the start list file is read
// by the tick, riders start automatically and by F4, finishes come by F8, start numbers are typed
// into the stop list, and the results, the saved protocol and the web page follow.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "fakes/ClockDriver.h"
#include "fakes/FakeHost.h"
#include "lists/Cp1252.h"
#include "timing/Timekeeper.h"

namespace vandoret {
namespace {

using testing::ClockDriver;
using testing::ClockMs;
using testing::FakeHost;

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Competition : public ::testing::Test {
protected:
    void SetUp() override {
        // Test processes may run side by side: a random name keeps their folders apart.
        std::random_device random;
        do {
            dir = std::filesystem::temp_directory_path() /
                  ("vandoret-competition-" + std::to_string(random()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        } while (!std::filesystem::create_directories(dir));
        previousDir = std::filesystem::current_path();
        std::filesystem::current_path(dir);
        std::ofstream(dir / "Starterliste.txt", std::ios::binary)
            << EncodeCp1252("Startzeit\tSt.Nr.\tName\tPferd\tClub\tOrt\r\n"
                            "9:30\t7\tAnna Müller\tFeuerglanz\tRV Kronberg\tKronberg\r\n"
                            "9:35\t8\tJürgen Strauß\tÄhrengold\tRFV Aschau\tAschau\r\n"
                            "9:40\t9\tLea Bäumer\tGrünspecht\tRFV Aschau\tAschau\r\n");
        keeper.settings.BaseName = "Starterliste.txt";
    }
    void TearDown() override {
        std::filesystem::current_path(previousDir);
        std::filesystem::remove_all(dir);
    }

    // The operator types a start number into stop list row `row` and presses Enter.
    void AssignNumber(int row, const std::string& number) {
        ASSERT_TRUE(keeper.SortGrid3SelectCell(2, row));
        keeper.registrations.SortGrid3.SetCell(2, row, number);
        keeper.SortGrid3KeyPress(13);
    }

    std::filesystem::path dir, previousDir;
    FakeHost host;
    Timekeeper keeper{host};
    ClockDriver clock{keeper, host};
};

TEST_F(Competition, FromStartListToResults) {
    // Start-up: the first tick reads the list and selects the next planned rider; the countdown
    // is switched on because the list has riders.
    clock.Step(ClockMs(9, 25, 0));
    ASSERT_EQ(keeper.startList.cbNr.Items, (std::vector<std::string>{"7", "8", "9"}));
    EXPECT_EQ(keeper.startList.cbNr.ItemIndex, 0);
    EXPECT_EQ(keeper.registrations.Edit1, "Anna Müller");
    EXPECT_EQ(keeper.registrations.TextStartTime, "9:30:00");
    keeper.ImageStatusClick();

    // Rider 7 starts automatically five seconds after the countdown reached "00:00".
    clock.Run(ClockMs(9, 25, 0, 100), ClockMs(9, 30, 6));
    EXPECT_EQ(keeper.registrations.SortGrid2.Cells(2, 1), "7");
    EXPECT_EQ(keeper.registrations.SortGrid2.Cells(1, 1).substr(0, 9), "09:30:05,");
    EXPECT_EQ(keeper.startList.cbNr.Text(), "8");

    // Rider 8 is started by hand a little early; rider 9 automatically again.
    host.SetClock(9, 34, 58, 450);
    keeper.mStartClick();
    EXPECT_EQ(keeper.registrations.SortGrid2.Cells(1, 2), "09:34:58,4");
    clock.Run(ClockMs(9, 34, 58, 500), ClockMs(9, 40, 6));
    EXPECT_EQ(keeper.registrations.SortGrid2.Cells(2, 3), "9");
    EXPECT_EQ(keeper.registrations.LabOstalosStart, "0");
    EXPECT_FALSE(keeper.registrations.CounterOn); // the last rider has started
    EXPECT_EQ(keeper.registrations.LabOstalosStop, "3");

    // Three finishes by F8, in another order than the starts.
    host.SetClock(9, 44, 0, 0);
    keeper.mStopClick(); // rider 8: 9:34:58,4 .. 9:44:00,0 = 9:01,6
    host.SetClock(9, 45, 10, 799);
    keeper.mStopClick(); // rider 7: 15:05,7 minus the start's tenths
    host.SetClock(9, 50, 0, 0);
    keeper.mStopClick(); // rider 9: exactly 10 minutes minus the start's tenths
    EXPECT_EQ(keeper.registrations.LabOstalosStop, "0");
    EXPECT_EQ(keeper.registrations.TextStopTime, "09:50:00,0");

    AssignNumber(1, "8");
    AssignNumber(2, "7");
    AssignNumber(3, "9");
    EXPECT_EQ(keeper.registrations.SortGrid3.Cells(4, 1), "0"); // inside the allowed time: no time penalty

    keeper.pages.ActiveTab = kTabResults;
    keeper.PageControl1Change();
    EXPECT_EQ(keeper.results.SortGrid4.Cells(1, 1), "8");
    EXPECT_EQ(keeper.results.SortGrid4.Cells(6, 1), "9:01,6");
    EXPECT_EQ(keeper.results.SortGrid4.Cells(0, 1), "1");
    EXPECT_EQ(keeper.results.SortGrid4.Cells(2, 1), "Jürgen Strauß");
    // Rider 7 rode far over the allowed ten minutes and ends last.
    EXPECT_EQ(keeper.results.SortGrid4.Cells(1, 3), "7");
    EXPECT_EQ(keeper.results.SortGrid4.Cells(0, 3), "3");
    EXPECT_TRUE(keeper.pages.Commands.sbHTML);
    EXPECT_TRUE(keeper.pages.Commands.sbSave);

    // The results are saved as text and published as a page.
    host.saveAnswers.push_back((dir / "Ergebnis.txt").string());
    keeper.sbSaveClick();
    const std::string saved = DecodeCp1252(ReadAll(dir / "Ergebnis.txt"));
    EXPECT_NE(saved.find("Jürgen Strauß\t"), std::string::npos);
    EXPECT_NE(saved.find("9:01,6\t"), std::string::npos);

    keeper.sbHTMLClick(0);
    ASSERT_EQ(host.shellCalls.size(), 1u);
    EXPECT_EQ(host.shellCalls[0].first, "open");
    const std::string page = DecodeCp1252(ReadAll(host.shellCalls[0].second));
    EXPECT_NE(page.find("Lea Bäumer"), std::string::npos);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(Competition, RewrittenStartListKeepsRecordedTimes) {
    clock.Step(ClockMs(9, 25, 0));
    host.SetClock(9, 26, 0, 0);
    keeper.mStartClick();
    keeper.mStopClick();
    // Another program rewrites the start list with a fourth rider.
    std::ofstream(dir / "Starterliste.txt", std::ios::binary | std::ios::app)
        << EncodeCp1252("9:45\t10\tTim Wöhrle\tSturmböe\tRC Tannenhöhe\tTannheim\r\n");
    std::filesystem::last_write_time(
        dir / "Starterliste.txt", std::filesystem::last_write_time(dir / "Starterliste.txt") + std::chrono::seconds(4));
    clock.Step(ClockMs(9, 26, 0, 100)); // the change is seen ...
    EXPECT_EQ(keeper.startList.cbNr.Count(), 3);
    clock.Step(ClockMs(9, 26, 0, 200)); // ... and loaded once it has stayed the same for a tick
    EXPECT_EQ(keeper.startList.cbNr.Count(), 4);
    EXPECT_EQ(keeper.startList.cbNr.Text(), "8"); // the selection survives the reload
    EXPECT_EQ(keeper.registrations.SortGrid2.Cells(2, 1), "7");
    EXPECT_EQ(keeper.registrations.SortGrid3.Cells(1, 1), "09:26:00,0");
}

} // namespace
} // namespace vandoret
