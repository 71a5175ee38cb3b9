// Editing the stop times list, deleting the marked line and clearing all lists.
#include <string>

#include "lists/ListsTestSupport.h"

namespace vandoret::testing {
namespace {

using Cells = std::vector<std::string>;
using Mode = Registrations::StopListMode;

class StopListEditing : public ListsTest {
protected:
    // Stop rows "1." .. "n." with their finish times; start times for the start numbers given.
    void Record(int stops, const Cells& started) {
        tk.registrations.SortGrid3.SetRowCount(stops + 1);
        for (int r = 1; r <= stops; ++r) {
            tk.registrations.SortGrid3.SetCell(0, r, std::to_string(r) + ".");
            tk.registrations.SortGrid3.SetCell(1, r, "09:4" + std::to_string(r) + ":00,0");
        }
        tk.registrations.SortGrid2.SetRowCount(std::max<int>(2, static_cast<int>(started.size()) + 1));
        for (std::size_t i = 0; i < started.size(); ++i) {
            const int r = static_cast<int>(i) + 1;
            tk.registrations.SortGrid2.SetCell(0, r, std::to_string(r) + ".");
            tk.registrations.SortGrid2.SetCell(1, r, "09:30:00,0");
            tk.registrations.SortGrid2.SetCell(2, r, started[i]);
        }
    }
    void Type(const std::string& text) {
        for (const char c : text) {
            const char32_t key = tk.SortGrid3KeyPress(static_cast<unsigned char>(c));
            if (key != 0) {
                std::string cell =
                    tk.registrations.SortGrid3.Cells(tk.registrations.SortGrid3Col, tk.registrations.SortGrid3.Row());
                if (key == 8) {
                    if (!cell.empty()) {
                        cell.pop_back();
                    }
                } else {
                    cell += static_cast<char>(key);
                }
                tk.registrations.SortGrid3.SetCell(tk.registrations.SortGrid3Col, tk.registrations.SortGrid3.Row(),
                                                   cell);
            }
        }
    }
};

TEST_F(StopListEditing, EditableColumnsGiveCellModeOthersSelectTheRow) {
    Record(3, {});
    for (int col = 0; col < 6; ++col) {
        const bool editable = col == 2 || col == 3 || col == 5;
        EXPECT_EQ(tk.SortGrid3SelectCell(col, 2), editable) << col;
        EXPECT_EQ(tk.registrations.SortGrid3Mode, editable ? Mode::CellEditing : Mode::Row) << col;
        EXPECT_EQ(tk.registrations.SortGrid3.Row(), 2) << col;
        EXPECT_EQ(tk.registrations.SortGrid3Col, editable ? col : 5) << col;
        const GridRect expected = editable ? GridRect{col, 2, col, 2} : GridRect{0, 2, 5, 2};
        EXPECT_EQ(tk.registrations.SortGrid3.Selection(), expected) << col;
    }
}

TEST_F(StopListEditing, KeyFilter) {
    Record(1, {});
    tk.SortGrid3SelectCell(3, 1);
    for (const char32_t allowed : {U'0', U'5', U'9', U':', U',', char32_t{8}}) {
        EXPECT_EQ(tk.SortGrid3KeyPress(allowed), allowed) << static_cast<int>(allowed);
    }
    for (const char32_t refused : {U'a', U'Z', U' ', U'-', U'.', U'!', U'ä', U'€', char32_t{9}, char32_t{0x7F}}) {
        EXPECT_EQ(tk.SortGrid3KeyPress(refused), char32_t{0}) << static_cast<int>(refused);
    }
    // Outside the editable columns every key passes unchanged.
    tk.registrations.SortGrid3Col = 1;
    EXPECT_EQ(tk.SortGrid3KeyPress(U'a'), U'a');
    EXPECT_EQ(tk.SortGrid3KeyPress(char32_t{13}), char32_t{13});
    EXPECT_EQ(tk.registrations.SortGrid3.Row(), 1);
}

TEST_F(StopListEditing, RowModeKeepsTheCurrentCellInTheLastColumn) {
    Record(2, {});
    tk.SortGrid3SelectCell(1, 1); // whole row, current cell "F.-Pkt."
    EXPECT_EQ(tk.SortGrid3KeyPress(U'a'), char32_t{0});
    EXPECT_EQ(tk.SortGrid3KeyPress(13), char32_t{0}); // Enter opens the next row's "F.-Pkt."
    EXPECT_EQ(tk.registrations.SortGrid3.Row(), 2);
    EXPECT_EQ(tk.registrations.SortGrid3Col, 5);
    EXPECT_EQ(tk.registrations.SortGrid3Mode, Mode::CellEditing);
}

TEST_F(StopListEditing, DecimalSeparatorFollowsTheLocale) {
    FakeHost other;
    Timekeeper english(other, Locale{'.', ':'});
    english.SortGrid3SelectCell(3, 1);
    EXPECT_EQ(english.SortGrid3KeyPress(U'.'), U'.');
    EXPECT_EQ(english.SortGrid3KeyPress(U','), char32_t{0});
}

TEST_F(StopListEditing, PauseCanBeTyped) {
    Record(1, {});
    tk.SortGrid3SelectCell(3, 1);
    Type("1:30,5 x-");
    EXPECT_EQ(tk.registrations.SortGrid3.Cells(3, 1), "1:30,5");
}

TEST_F(StopListEditing, EnterWithoutStartMarksThePauseAndMovesDown) {
    Record(3, {"7"});
    tk.SortGrid3SelectCell(2, 1);
    Type("12");
    EXPECT_EQ(tk.SortGrid3KeyPress(13), char32_t{0});
    EXPECT_EQ(tk.registrations.SortGrid3.Cells(3, 1), "!");
    EXPECT_EQ(tk.registrations.SortGrid3.Row(), 2);
    EXPECT_EQ(tk.registrations.SortGrid3Col, 2);
    EXPECT_EQ(tk.registrations.SortGrid3Mode, Mode::CellEditing);

    Type("7"); // has a start: no mark
    tk.SortGrid3KeyPress(13);
    EXPECT_EQ(tk.registrations.SortGrid3.Cells(3, 2), "");
    EXPECT_EQ(tk.registrations.SortGrid3.Row(), 3);
}

TEST_F(StopListEditing, EnterOverAnotherNumberAsksFirstAndCtrl0LeavesNoDeletedFinishShown) {
    const struct {
        const char *old, *typed, *question, *kept;
        bool answer;
    } cases[] = {{"12", "14", "Nummer 12 durch 14 ersetzen?", "14", true},
                 {"12", "14", "Nummer 12 durch 14 ersetzen?", "12", false},
                 {"12", "12", nullptr, "12", false},
                 {"", "14", nullptr, "14", false}};
    for (const auto& c : cases) {
        Record(2, {"12", "14"});
        tk.registrations.SortGrid3.SetCell(2, 1, c.old);
        host.questions.clear();
        host.yesNoAnswers = {c.answer};
        tk.SortGrid3SelectCell(2, 1);
        tk.registrations.SortGrid3.SetCell(2, 1, c.typed); // the editor's text, typed over the old one
        tk.SortGrid3KeyPress(13);
        EXPECT_EQ(host.questions, c.question ? Cells{c.question} : Cells{}) << c.typed;
        EXPECT_EQ(tk.registrations.SortGrid3.Cells(2, 1), c.kept) << c.answer;
    }
    // "Ziel-Zeit" shows the finish of row 3 (09:43:00,0); Ctrl+0 on rows 2, 3, then the last one.
    Record(3, {"1", "2", "3"});
    tk.registrations.TextStopTime = tk.registrations.SortGrid3.Cells(1, 3);
    tk.pages.ActiveTab = kTabStopTimes;
    for (const auto& [row, shown] : {std::pair{2, "09:43:00,0"}, {2, "09:41:00,0"}, {1, "..:..:..,."}}) {
        tk.registrations.SortGrid3.SetRow(row);
        host.yesNoAnswers = {true};
        tk.sbDelLineClick();
        EXPECT_EQ(tk.registrations.TextStopTime, shown) << row;
    }
}

TEST_F(StopListEditing, EnterMatchesTheStartNumberExactly) {
    Record(2, {"07", "12 "});
    tk.SortGrid3SelectCell(2, 1);
    Type("7");
    tk.SortGrid3KeyPress(13);
    Type("12");
    tk.SortGrid3KeyPress(13);
    EXPECT_EQ(tk.registrations.SortGrid3.Cells(3, 1), "!"); // "07" is not "7"
    EXPECT_EQ(tk.registrations.SortGrid3.Cells(3, 2), "");  // "12 " is "12": the blank does not count
}

TEST_F(StopListEditing, EnterInTheLastRowStays) {
    Record(2, {});
    for (const int col : {2, 3, 5}) {
        tk.SortGrid3SelectCell(col, 2);
        EXPECT_EQ(tk.SortGrid3KeyPress(13), char32_t{0});
        EXPECT_EQ(tk.registrations.SortGrid3.Row(), 2);
        EXPECT_EQ(tk.registrations.SortGrid3Col, col);
    }
    // Enter in "Pausen" and "F.-Pkt." looks nothing up.
    tk.registrations.SortGrid3.SetCell(2, 1, "99");
    for (const int col : {3, 5}) {
        tk.SortGrid3SelectCell(col, 1);
        tk.SortGrid3KeyPress(13);
        EXPECT_EQ(tk.registrations.SortGrid3.Cells(3, 1), "") << col;
    }
    tk.SortGrid3SelectCell(2, 1);
    tk.SortGrid3KeyPress(13);
    EXPECT_EQ(tk.registrations.SortGrid3.Cells(3, 1), "!");
}

TEST_F(StopListEditing, EscapeReturnsToRowMode) {
    Record(3, {});
    tk.SortGrid3SelectCell(5, 2);
    EXPECT_EQ(tk.SortGrid3KeyPress(27), char32_t{0});
    EXPECT_EQ(tk.registrations.SortGrid3Mode, Mode::Row);
    EXPECT_EQ(tk.registrations.SortGrid3.Selection(), (GridRect{0, 2, 5, 2}));
    EXPECT_EQ(tk.registrations.SortGrid3Col, 5);
}

// Deleting the marked line, on each tab that has one.
class DeleteLine : public StopListEditing, public ::testing::WithParamInterface<int> {};

TEST_P(DeleteLine, DeletesTheCurrentRowAfterJa) {
    const int tab = GetParam();
    TSortGrid& grid = tk.pages.Grid(tab);
    grid.SetRowCount(6);
    for (int r = 1; r < 6; ++r) {
        grid.SetCell(1, r, "row" + std::to_string(r));
    }
    tk.pages.ActiveTab = tab;

    grid.SetRow(2);
    host.yesNoAnswers.push_back(false);
    tk.sbDelLineClick();
    EXPECT_EQ(grid.RowCount(), 6);

    host.yesNoAnswers.push_back(true);
    tk.sbDelLineClick();
    EXPECT_EQ(host.questions, (Cells{"Markierte Zeile löschen?", "Markierte Zeile löschen?"}));
    ASSERT_EQ(grid.RowCount(), 5);
    EXPECT_EQ(grid.Cells(1, 2), "row3");
    EXPECT_EQ(grid.Row(), 2);

    grid.SetRow(4); // the last row: the new last row becomes current
    host.yesNoAnswers.push_back(true);
    tk.sbDelLineClick();
    EXPECT_EQ(grid.RowCount(), 4);
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_EQ(grid.Cells(1, 3), "row4");

    // Down to the only data row: it is blanked, two rows stay.
    for (int i = 0; i < 3; ++i) {
        host.yesNoAnswers.push_back(true);
        tk.sbDelLineClick();
    }
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_TRUE(grid.IsBlankRow(1));
    EXPECT_TRUE(host.messages.empty()); // never "Rowsize too small"
}

INSTANTIATE_TEST_SUITE_P(Tabs, DeleteLine, ::testing::Values(kTabStartList, kTabStartTimes, kTabStopTimes));

class WithResults : public StopListEditing {
protected:
    void SetUp() override {
        const std::string file = dir.File("s.txt");
        WriteBytes(file, "Startzeit;St.Nr.;Name\n9:30;12;Rider A\n9:35;14;Rider B\n");
        tk.LoadStartList(file);
        Record(2, {"12", "14"});
        tk.registrations.SortGrid3.SetCell(2, 1, "14");
        tk.registrations.SortGrid3.SetCell(2, 2, "12");
    }
};

TEST_F(WithResults, DeletedResultLineReappears) {
    tk.pages.ActiveTab = kTabResults;
    tk.PageControl1Change();
    ASSERT_EQ(tk.results.SortGrid4.RowCount(), 3);
    tk.results.SortGrid4.SetRow(1);
    host.yesNoAnswers.push_back(true);
    tk.sbDelLineClick();
    EXPECT_EQ(tk.results.SortGrid4.RowCount(), 3); // rebuilt from the stop list at once
    EXPECT_FALSE(tk.results.SortGrid4.IsBlankRow(1));
}

TEST_F(WithResults, EnterOnAStartedNumberComputesTheTimePoints) {
    tk.registrations.SortGrid3.SetCell(4, 1, "");
    tk.SortGrid3SelectCell(2, 1);
    tk.SortGrid3KeyPress(13);
    EXPECT_EQ(tk.registrations.SortGrid3.Cells(4, 1), "24,4"); // 11 minutes: 61 s over the allowed 10, 0.4 each
    EXPECT_EQ(tk.registrations.SortGrid3.Cells(3, 1), "");
    EXPECT_EQ(tk.results.SortGrid4.Cells(1, 1), "14");
}

TEST_F(StopListEditing, DeleteOnTheEventingTabDoesNothing) {
    tk.startList.SortGrid5.SetRowCount(3);
    tk.startList.SortGrid5.SetCell(0, 1, "12");
    tk.startList.SortGrid1.SetRowCount(3);
    tk.pages.ActiveTab = kTabEventing;
    host.yesNoAnswers.push_back(true);
    tk.sbDelLineClick();
    EXPECT_TRUE(host.questions.empty());
    EXPECT_EQ(tk.startList.SortGrid5.RowCount(), 3);
    EXPECT_EQ(tk.startList.SortGrid1.RowCount(), 3);
}

class DeleteStartListRow : public StopListEditing {
protected:
    void SetUp() override {
        const std::string file = dir.File("s.txt");
        WriteBytes(file, "Startzeit;St.Nr.\n9:30;11\n9:35;12\n9:40;13\n9:45;14\n");
        tk.LoadStartList(file);
        tk.pages.ActiveTab = kTabStartList;
    }
    void DeleteRow(int row) {
        tk.startList.SortGrid1.SetRow(row);
        host.yesNoAnswers.push_back(true);
        tk.sbDelLineClick();
    }
};

TEST_F(DeleteStartListRow, NumberListFollowsAndKeepsTheSelectedRider) {
    tk.startList.cbNr.ItemIndex = 2; // rider 13
    DeleteRow(1);
    EXPECT_EQ(tk.startList.cbNr.Items, (Cells{"12", "13", "14"}));
    EXPECT_EQ(tk.startList.cbNr.Text(), "13");
    EXPECT_EQ(tk.startList.cbNr.ItemIndex, 1);
    for (int i = 0; i < tk.startList.cbNr.Count(); ++i) {
        EXPECT_EQ(tk.startList.cbNr.Items[i], tk.startList.SortGrid1.Cells(1, i + 1));
    }
    EXPECT_EQ(tk.startList.SortGrid1.Row(), 1);
}

TEST_F(DeleteStartListRow, DeletingTheSelectedRiderSelectsTheOneMovingUp) {
    tk.startList.cbNr.ItemIndex = 1; // rider 12
    DeleteRow(2);
    EXPECT_EQ(tk.startList.cbNr.Items, (Cells{"11", "13", "14"}));
    EXPECT_EQ(tk.startList.cbNr.Text(), "13");
    EXPECT_EQ(tk.startList.SortGrid1.Row(), 2);
}

TEST_F(DeleteStartListRow, NoSelectionStaysNoSelection) {
    tk.startList.cbNr.ItemIndex = -1; // every rider has started
    DeleteRow(4);
    EXPECT_EQ(tk.startList.cbNr.Items, (Cells{"11", "12", "13"}));
    EXPECT_EQ(tk.startList.cbNr.ItemIndex, -1);
}

TEST_F(DeleteStartListRow, DeletingTheLastSelectedRiderClearsTheSelection) {
    tk.startList.cbNr.ItemIndex = 3; // rider 14, the last one
    DeleteRow(4);
    EXPECT_EQ(tk.startList.cbNr.ItemIndex, -1);
}

TEST_F(StopListEditing, ClearAllAsksAndClears) {
    Record(3, {"7", "8"});
    tk.startList.SortGrid1.SetRowCount(4);
    tk.startList.SortGrid1.SetCell(1, 1, "7");
    tk.results.SortGrid4.SetRowCount(3);
    tk.startList.SortGrid5.SetRowCount(3);
    tk.startList.SortGrid5.SetCell(0, 1, "7");
    tk.startList.cbNr.Items = {"7", "8", "9"};
    tk.startList.cbNr.ItemIndex = 1;
    tk.registrations.Edit1 = "Rider";
    tk.pages.ActiveTab = kTabStopTimes;

    host.yesNoAnswers.push_back(false);
    tk.sbCLSClick();
    EXPECT_EQ(tk.registrations.SortGrid3.RowCount(), 4);
    EXPECT_EQ(tk.startList.cbNr.Count(), 3);

    host.yesNoAnswers.push_back(true);
    tk.sbCLSClick();
    EXPECT_EQ(host.questions, (Cells{"Protokoll überschreiben?", "Protokoll überschreiben?"}));
    for (TSortGrid* grid :
         {&tk.startList.SortGrid1, &tk.registrations.SortGrid2, &tk.registrations.SortGrid3, &tk.results.SortGrid4}) {
        EXPECT_EQ(grid->RowCount(), 2);
        EXPECT_TRUE(grid->IsBlankRow(1));
    }
    EXPECT_EQ(tk.startList.SortGrid1.Cells(1, 0), "St.Nr."); // captions stay
    EXPECT_EQ(tk.startList.SortGrid5.Cells(0, 1), "7");      // the eventing copy is not touched
    EXPECT_TRUE(tk.startList.cbNr.Items.empty());
    EXPECT_EQ(tk.startList.cbNr.ItemIndex, -1);
    EXPECT_EQ(tk.registrations.Edit1, "");
    EXPECT_EQ(tk.pages.ActiveTab, kTabStartList);
    EXPECT_EQ(tk.registrations.LabOstalosStart, "0");
    EXPECT_EQ(tk.registrations.LabOstalosStop, "0");
}

TEST_F(StopListEditing, ClearAllWithEmptyListsStillAsks) {
    host.yesNoAnswers.push_back(true);
    tk.sbCLSClick();
    EXPECT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(tk.registrations.LabOstalosStart, "0");
}

TEST_F(StopListEditing, ClearAllWithoutSenderDoesNotAskNorTouchTheWatch) {
    Record(2, {"7"});
    tk.startList.StartListStamp = 1234;
    tk.sbCLSClick(false);
    EXPECT_TRUE(host.questions.empty());
    EXPECT_TRUE(tk.registrations.SortGrid3.IsBlankRow(1));
    EXPECT_EQ(tk.startList.StartListStamp, 1234);
    EXPECT_EQ(tk.startList.StartListFileName(), "Starterliste.txt");
}

// Ctrl+X leaves no rider to start: the countdown goes off and nothing is started into the cleared
// protocol. Ctrl+O, which clears the same way, switches it on again for a list of two riders or more.
TEST_F(StopListEditing, ClearAllStopsTheCountdownAndOpenStartsItAgain) {
    WriteBytes(dir.File("two.txt"), "Startzeit;St.Nr.;Name\n9:30;7;Anna\n9:35;8;Ben\n");
    WriteBytes(dir.File("one.txt"), "Startzeit;St.Nr.;Name\n10:00;9;Cleo\n");
    host.SetClock(9, 29, 0);
    tk.LoadStartList(dir.File("two.txt"));
    tk.SelectRider(0);
    tk.ImageStatusClick();
    host.SetClock(9, 30, 0, 500);
    tk.Timer1Timer();
    ASSERT_TRUE(host.timer5sek); // armed for rider 7

    host.yesNoAnswers.push_back(true);
    tk.sbCLSClick();
    EXPECT_FALSE(tk.registrations.CounterOn);
    EXPECT_FALSE(host.timer5sek);
    EXPECT_LT(tk.registrations.PlannedStart, 0.0);
    EXPECT_EQ(tk.registrations.TextStartTime, "");
    // Switched on by hand, the countdown has nothing to arm for.
    tk.ImageStatusClick();
    host.SetClock(9, 35, 0, 500);
    tk.Timer1Timer();
    EXPECT_FALSE(host.timer5sek);
    EXPECT_TRUE(tk.registrations.SortGrid2.IsBlankRow(1));

    const struct {
        const char* file;
        bool counterOnBefore;
        bool counterOn;
        const char* selected;
    } opens[] = {{"two.txt", true, true, "7"}, {"two.txt", false, true, "7"}, {"one.txt", true, false, "9"}};
    host.SetClock(9, 20, 0);
    for (const auto& o : opens) {
        SCOPED_TRACE(::testing::Message() << o.file << " countdown " << o.counterOnBefore);
        if (tk.registrations.CounterOn != o.counterOnBefore) {
            tk.ImageStatusClick();
        }
        host.openAnswers.push_back(dir.File(o.file));
        tk.sbLoadClick();
        EXPECT_EQ(tk.registrations.CounterOn, o.counterOn);
        EXPECT_EQ(tk.startList.cbNr.Text(), o.selected);
    }
}

} // namespace
} // namespace vandoret::testing
