// "Pausen" read as the operator types it, shown as it was read, and marked when it does not read.
#include <gtest/gtest.h>

#include "grid/ListColumns.h"
#include "results/ResultsFixture.h"

namespace vandoret::testing {
namespace {

TEST(PauseTexts, ReadAsTypedAndWrittenInTheListsForm) {
    const struct {
        const char* typed;
        Duration ms; // -1: does not read
        const char* shown;
    } cases[] = {
        {"1:30", 90'000, "1:30,0"},
        {"1:30,5", 90'500, "1:30,5"},
        {"90", 90'000, "1:30,0"},
        {"90,5", 90'500, "1:30,5"},
        {"0:45", 45'000, "45,0"},
        {"45,0", 45'000, "45,0"},
        {"1:30,59", 90'500, "1:30,5"}, // further decimals are cut
        {" 20 ", 20'000, "20,0"},
        {"1:00:05,3", 3'605'300, "1:00:05,3"},
        {"75:00", 4'500'000, "1:15:00,0"},
        {"1:5", -1, "1:5"},
        {"1:75", -1, "1:75"},
        {"1:2:3:4", -1, "1:2:3:4"},
        {"1,5,5", -1, "1,5,5"},
        {":30", -1, ":30"},
        {"1:", -1, "1:"},
    };
    for (const auto& c : cases) {
        const std::optional<Duration> read = ParsePause(c.typed);
        EXPECT_EQ(read.value_or(-1), c.ms) << c.typed;

        // In the stop list: the net time, the text after leaving the cell, the mark.
        ResultsLists lists;
        Timekeeper& tk = lists.tk;
        const int stop = lists.Ride("12", "Anna", 5'000'000);
        tk.SortGrid3SelectCell(kStopPause, stop);
        tk.registrations.SortGrid3.SetCell(kStopPause, stop, c.typed);
        tk.SortGrid3EditCommitted(stop);
        EXPECT_EQ(tk.registrations.SortGrid3.Cells(kStopPause, stop), c.shown) << c.typed;
        tk.results.BuildResults();
        EXPECT_EQ(lists.ResultRow(1)[kResultTime], FormatDuration(5'000'000 - std::max<Duration>(c.ms, 0))) << c.typed;
        EXPECT_EQ(tk.GetCellFormat(kTabStopTimes, kStopPause, stop).toolTip,
                  c.ms < 0 ? kPauseUnreadableTip : std::string_view())
            << c.typed;
    }
}

TEST(PauseTexts, TheProgramsOwnMarksAndBlankStayUnmarked) {
    for (const char* text : {"", " ", "!"}) {
        ResultsLists lists;
        const int stop = lists.Ride("12", "Anna", 60'000);
        lists.tk.registrations.SortGrid3.SetCell(kStopPause, stop, text);
        lists.tk.SortGrid3EditCommitted(stop);
        EXPECT_EQ(lists.tk.registrations.SortGrid3.Cells(kStopPause, stop), text);
        EXPECT_EQ(lists.tk.GetCellFormat(kTabStopTimes, kStopPause, stop).toolTip, std::string_view()) << text;
    }
}

} // namespace
} // namespace vandoret::testing
