// One number typed into two finish rows: asked when it is typed or entered by hand, and both rows
// marked until one of them is changed.
#include <string>

#include "TimingFixture.h"
#include "grid/ListColumns.h"

namespace vandoret::testing {
namespace {

class SecondFinish : public TimingTest {
protected:
    // Riders 12, 14 and 17 started at 09:30, 09:31 and 09:32; three finishes, the first one rider 12's.
    void SetUp() override {
        Prepare(ClockMs(9, 29, 0));
        for (int k = 0; k < 3; ++k) {
            host.SetClock(9, 30 + k, 0);
            keeper.mStartClick();
        }
        for (int k = 0; k < 3; ++k) {
            host.SetClock(9, 40 + k, 0);
            keeper.mStopClick();
        }
        Enter(1, "12");
    }
    void Enter(int row, const std::string& number) {
        keeper.SortGrid3SelectCell(kStopNr, row);
        keeper.registrations.SortGrid3.SetCell(kStopNr, row, number);
        keeper.SortGrid3KeyPress(U'\r');
    }
    const std::string& Nr(int row) const { return keeper.registrations.SortGrid3.Cells(kStopNr, row); }
    bool Marked(int row) const { return keeper.GetCellFormat(kTabStopTimes, kStopNr, row).toolTip == kFinishTwiceTip; }
};

TEST_F(SecondFinish, TypedNumberIsAskedAndBothRowsMarked) {
    const struct {
        const char* typed;
        bool answer;
        const char* kept;
    } cases[] = {{"12", false, ""}, {" 12", false, ""}, {"12", true, "12"}};
    for (const auto& c : cases) {
        host.questions.clear();
        host.yesNoAnswers = {c.answer};
        Enter(2, c.typed);
        ASSERT_EQ(host.questions.size(), 1u) << c.typed;
        EXPECT_EQ(host.questions[0], "Nummer 12 hat schon eine Zielzeit — trotzdem?");
        EXPECT_EQ(Nr(2), c.kept) << c.typed;
        EXPECT_EQ(Marked(1), c.answer) << c.typed;
        EXPECT_EQ(Marked(2), c.answer) << c.typed;
    }
    // Enter again on the same number asks nothing; changing one of the two clears both marks.
    host.questions.clear();
    Enter(2, "12");
    EXPECT_TRUE(host.questions.empty());
    host.yesNoAnswers = {true}; // "Nummer 12 durch 14 ersetzen?"
    Enter(2, "14");
    EXPECT_FALSE(Marked(1));
    EXPECT_FALSE(Marked(2));
}

TEST_F(SecondFinish, HandTimeForANumberWithAFinishIsAsked) {
    HandTimeEntry entry;
    entry.kind = HandTimeKind::Finish;
    entry.number = "12";
    entry.time = "09:45:00,0";
    entry.reason = "Lichtschranke";
    const HandTimeResult refused = keeper.ApplyHandTime(entry); // unanswered: "Nein"
    EXPECT_FALSE(refused.done);
    EXPECT_EQ(host.questions.back(), "Nummer 12 hat schon eine Zielzeit — trotzdem?");
    EXPECT_EQ(keeper.registrations.SortGrid3.RowCount(), 4);
    // The correction of rider 12's own finish keeps its number without a question.
    const std::size_t asked = host.questions.size();
    keeper.registrations.SortGrid3.SetRow(1);
    keeper.pages.ActiveTab = kTabStopTimes;
    std::optional<HandTimeEntry> fix = keeper.CorrectHandTime();
    ASSERT_TRUE(fix);
    fix->time = "09:40:01,0";
    fix->reason = "Uhr";
    EXPECT_TRUE(keeper.ApplyHandTime(*fix).done);
    EXPECT_EQ(host.questions.size(), asked);
}

} // namespace
} // namespace vandoret::testing
