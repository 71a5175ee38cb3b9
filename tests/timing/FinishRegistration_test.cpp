// Recording finishes in the stop times list.
#include <string>

#include "TimingFixture.h"

namespace vandoret::testing {
namespace {

using FinishTest = TimingTest;

TEST_F(FinishTest, FinishesAppendRowsAndSelectTheWholeRow) {
    Prepare(ClockMs(9, 29, 0));
    keeper.mStartClick();
    keeper.mStartClick();
    const struct {
        std::int64_t at;
        const char* text;
    } finishes[] = {
        {ClockMs(9, 39, 12, 345), "09:39:12,3"},
        {ClockMs(9, 39, 12, 399), "09:39:12,3"}, // same tenth: a second row with the same text
        {ClockMs(9, 44, 59, 999), "09:44:59,9"},
    };
    int row = 0;
    for (const auto& f : finishes) {
        host.now = static_cast<double>(f.at) / 86'400'000.0;
        keeper.registrations.SortGrid3.SetLeftCol(4);
        keeper.mStopClick();
        ++row;
        SCOPED_TRACE(f.text);
        EXPECT_EQ(keeper.registrations.SortGrid3.RowCount(), row + 1);
        EXPECT_EQ(keeper.registrations.SortGrid3.Cells(0, row), std::to_string(row) + ".");
        EXPECT_EQ(keeper.registrations.SortGrid3.Cells(1, row), f.text);
        for (int col = 2; col < 6; ++col) {
            EXPECT_EQ(keeper.registrations.SortGrid3.Cells(col, row), "");
        }
        EXPECT_EQ(keeper.registrations.SortGrid3.Row(), row);
        EXPECT_EQ(keeper.registrations.SortGrid3.Selection(), (GridRect{0, row, 5, row}));
        EXPECT_EQ(keeper.registrations.SortGrid3.LeftCol(), 0);
    }
    // Two riders started, three finishes: the count on the course is gone and the finish time is reset.
    EXPECT_EQ(keeper.registrations.LabOstalosStop, "");
    EXPECT_EQ(keeper.registrations.TextStopTime, "..:..:..,.");
    EXPECT_EQ(CountSounds(keeper.registrations.FinishSoundFile), 3);
}

TEST_F(FinishTest, ShowsTheTimeAndCountsTheCourse) {
    Prepare(ClockMs(9, 29, 0));
    keeper.mStartClick();
    clock.Step(ClockMs(9, 39, 0, 50));
    keeper.mStopClick();
    EXPECT_EQ(keeper.registrations.TextStopTime, "09:39:00,0");
    EXPECT_EQ(keeper.registrations.LabOstalosStop, "0");
    EXPECT_EQ(keeper.registrations.LabOstalosStart, "2");
}

TEST_F(FinishTest, LastRowWithoutContactNumberIsReused) {
    const struct {
        const char* label;
        const char* contact;
        int rowsAfter;
    } cases[] = {
        {"empty", "", 2},
        {"blanks only", "  ", 2},
        {"filled", "1.", 3},
    };
    for (const auto& c : cases) {
        FakeHost host;
        Timekeeper keeper(host);
        keeper.registrations.SortGrid3.SetCell(0, 1, c.contact);
        keeper.registrations.SortGrid3.SetCell(1, 1, "09:00:00,0");
        keeper.registrations.SortGrid3.SetCell(2, 1, "12"); // a start number typed in beforehand
        keeper.registrations.SortGrid3.SetCell(5, 1, "4");
        host.SetClock(9, 40, 1, 200);
        keeper.mStopClick();
        SCOPED_TRACE(c.label);
        const int last = keeper.registrations.SortGrid3.RowCount() - 1;
        EXPECT_EQ(keeper.registrations.SortGrid3.RowCount(), c.rowsAfter);
        EXPECT_EQ(keeper.registrations.SortGrid3.RowText(last), std::to_string(last) + ".09:40:01,2");
    }
}

TEST_F(FinishTest, FinishBeforeAnyStart) {
    FillStartList(keeper, ThreeRiders());
    host.SetClock(9, 0, 0);
    keeper.mStopClick();
    EXPECT_EQ(keeper.registrations.SortGrid3.Cells(0, 1), "1.");
    EXPECT_EQ(keeper.registrations.SortGrid3.Cells(1, 1), "09:00:00,0"); // the time itself is kept in the list
    EXPECT_EQ(keeper.registrations.LabOstalosStop, "");
    EXPECT_EQ(keeper.registrations.TextStopTime, "..:..:..,.");
    EXPECT_EQ(keeper.registrations.LabOstalosStart, "3");
}

TEST_F(FinishTest, LeavesSelectionLocksAndStartsAlone) {
    Prepare(ClockMs(9, 29, 0));
    keeper.settings.AutoStart = false;
    keeper.SelectRider(1);
    keeper.registrations.ImageLSClick(LockIndicator::Start);
    keeper.mStopClick();
    EXPECT_EQ(keeper.registrations.SortGrid3.Cells(0, 1), "1.");
    EXPECT_EQ(keeper.startList.cbNr.ItemIndex, 1);
    EXPECT_TRUE(keeper.registrations.StartContactFree);
    EXPECT_FALSE(keeper.registrations.FinishContactFree);
    EXPECT_TRUE(keeper.registrations.SortGrid2.IsBlankRow(1));
}

// The new row offers its "St.Nr." for typing, wherever the last edit was; while a cell is being
// typed, the finish waits until Enter or Esc before it moves the current cell.
TEST_F(FinishTest, NewRowOffersItsStartNumberOnceNoCellIsTyped) {
    Prepare(ClockMs(9, 29, 0));
    using Mode = Registrations::StopListMode;
    const struct {
        const char* label;
        int editedCol;
        bool typing;
        char32_t endKey;
    } cases[] = {
        {"after an edit of F.-Pkt.", 5, false, 0},
        {"after an edit of Pausen", 3, false, 0},
        {"while F.-Pkt. is typed, Esc", 5, true, 27},
        {"while St.Nr. is typed, Enter", 2, true, 13},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        keeper.mStopClick();
        const int row = keeper.registrations.SortGrid3.Row();
        keeper.SortGrid3SelectCell(c.editedCol, row);
        if (c.typing) {
            keeper.SortGrid3EditOpened();
        }
        keeper.mStopClick();
        if (c.typing) {
            EXPECT_EQ(keeper.registrations.SortGrid3.Row(), row);
            EXPECT_EQ(keeper.registrations.SortGrid3.Selection(), (GridRect{c.editedCol, row, c.editedCol, row}));
            EXPECT_EQ(keeper.registrations.SortGrid3Col, c.editedCol);
            keeper.SortGrid3KeyPress(c.endKey);
            keeper.SortGrid3EditEnded();
        }
        EXPECT_EQ(keeper.registrations.SortGrid3.Row(), row + 1);
        EXPECT_EQ(keeper.registrations.SortGrid3.Selection(), (GridRect{0, row + 1, 5, row + 1}));
        EXPECT_EQ(keeper.registrations.SortGrid3Col, 2);
        EXPECT_EQ(keeper.registrations.SortGrid3Mode, Mode::Row);
    }
}

} // namespace
} // namespace vandoret::testing
