// Hand times: a missed finish and a wrong start entered by hand, checked, marked, journaled and
// recovered after a crash.
#include <algorithm>
#include <string>
#include <vector>

#include "TimingFixture.h"
#include "journal/JournalFakes.h"

namespace vandoret::testing {
namespace {

using Rows = JournalRows;

std::vector<bool> MarksOf(const TSortGrid& grid) {
    std::vector<bool> marks;
    for (int r = 1; r < grid.RowCount(); ++r) {
        marks.push_back(grid.RowMarked(r));
    }
    return marks;
}

HandTimeEntry Entry(HandTimeKind kind, std::string number, std::string time, std::string reason = "Lichtschranke") {
    HandTimeEntry entry;
    entry.kind = kind;
    entry.number = std::move(number);
    entry.time = std::move(time);
    entry.reason = std::move(reason);
    return entry;
}

// Rider 12 started at 09:30:00,0 by F4, the countdown now on rider 14.
struct Rig {
    FakeHost host;
    Timekeeper keeper{host};
    ClockDriver clock{keeper, host};
    Rig() {
        keeper.settings.BaseName = MissingFileName();
        keeper.registrations.StartSoundFile = "/snd/Audio-Start.wav";
        keeper.registrations.FinishSoundFile = "/snd/Audio-Ziel.wav";
        keeper.settings.AutoStart = true;
        clock.Step(ClockMs(9, 29, 0));
        FillStartList(keeper, ThreeRiders());
        keeper.SelectRider(0);
        if (!keeper.registrations.CounterOn) {
            keeper.ImageStatusClick();
        }
        clock.Step(ClockMs(9, 30, 0));
        keeper.mStartClick();
    }
    HandTimeResult Apply(const HandTimeEntry& entry) { return keeper.ApplyHandTime(entry); }
    int Sounds(const std::string& path) const {
        return static_cast<int>(std::count(host.sounds.begin(), host.sounds.end(), path));
    }
};

TEST(ParseHandTime, ReadsTheDialogsFormOnly) {
    const struct {
        const char* text;
        std::int64_t ms; // -1: refused
    } cases[] = {
        {"09:31:02,3", ClockMs(9, 31, 2, 300)},
        {"9:31:02,3", ClockMs(9, 31, 2, 300)},
        {" 23:59:59,9 ", ClockMs(23, 59, 59, 900)},
        {"09:31:02", ClockMs(9, 31, 2)},
        {"00:00:00,0", 0},
        {"24:00:00,0", -1},
        {"09:60:00,0", -1},
        {"09:31:60,0", -1},
        {"09:31:02,", -1},
        {"09:31:02,34", -1},
        {"09:3:02,3", -1},
        {"::,", -1},
        {"09.31.02,3", -1},
        {"09:31:02,3x", -1},
    };
    for (const auto& c : cases) {
        const auto value = ParseHandTime(c.text);
        EXPECT_EQ(value ? ToMilliseconds(*value) : -1, c.ms) << c.text;
    }
    // A locale whose time separator is '.' is read with it as well as with ':'.
    EXPECT_TRUE(ParseHandTime("09.31.02,3", Locale{',', '.'}).has_value());
    // The tenth follows the locale's decimal separator as well as ','.
    const auto english = ParseHandTime("09:31:02.3", Locale{'.', ':'});
    EXPECT_EQ(english ? ToMilliseconds(*english) : -1, ClockMs(9, 31, 2, 300));
}

TEST(HandTime, BadInputChangesNothingAndSaysWhy) {
    Rig rig;
    rig.clock.Step(ClockMs(9, 38, 0));
    rig.keeper.mStopClick(); // a finish for rider 12 at 09:38:00,0 (number typed below)
    rig.keeper.registrations.SortGrid3.SetCell(2, 1, "12");
    const struct {
        const char* name;
        HandTimeEntry entry;
        std::vector<bool> answers; // to "Nummer nicht in der Startliste — trotzdem eintragen?"
        const char* message;
        HandTimeField field;
    } cases[] = {
        {"not a time",
         Entry(HandTimeKind::Finish, "14", "09:7:00,0"),
         {},
         "Keine gültige Uhrzeit: bitte als hh:mm:ss,z eingeben.",
         HandTimeField::Time},
        {"empty reason",
         Entry(HandTimeKind::Finish, "14", "09:40:00,0", "  "),
         {},
         "Bitte einen Grund angeben.",
         HandTimeField::Reason},
        {"start without number",
         Entry(HandTimeKind::Start, "", "09:35:00,0"),
         {},
         "Für eine Startzeit bitte die Startnummer angeben.",
         HandTimeField::Number},
        {"finish before the start",
         Entry(HandTimeKind::Finish, "12", "09:29:59,9"),
         {},
         "Die Zielzeit liegt nicht nach der Startzeit von Nr. 12 (09:30:00,0).",
         HandTimeField::Time},
        {"finish at the start",
         Entry(HandTimeKind::Finish, "12", "09:30:00,0"),
         {},
         "Die Zielzeit liegt nicht nach der Startzeit von Nr. 12 (09:30:00,0).",
         HandTimeField::Time},
        {"start after the finish",
         Entry(HandTimeKind::Start, "12", "09:38:00,0"),
         {},
         "Die Startzeit liegt nicht vor der Zielzeit von Nr. 12 (09:38:00,0).",
         HandTimeField::Time},
        {"unknown number, Nein", Entry(HandTimeKind::Finish, "99", "09:40:00,0"), {false}, "", HandTimeField::Number},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Rows starts = RowsOf(rig.keeper.registrations.SortGrid2),
                   stops = RowsOf(rig.keeper.registrations.SortGrid3);
        const int selected = rig.keeper.startList.cbNr.ItemIndex;
        rig.host.questions.clear();
        rig.host.yesNoAnswers.assign(c.answers.begin(), c.answers.end());
        const HandTimeResult result = rig.Apply(c.entry);
        EXPECT_FALSE(result.done);
        EXPECT_EQ(result.message, c.message);
        EXPECT_EQ(result.field, c.field);
        EXPECT_EQ(rig.host.questions.size(), c.answers.size());
        EXPECT_EQ(RowsOf(rig.keeper.registrations.SortGrid2), starts);
        EXPECT_EQ(RowsOf(rig.keeper.registrations.SortGrid3), stops);
        EXPECT_EQ(rig.keeper.startList.cbNr.ItemIndex, selected);
        EXPECT_FALSE(rig.keeper.registrations.SortGrid2.RowMarked(1) ||
                     rig.keeper.registrations.SortGrid3.RowMarked(1));
    }
}

TEST(HandTime, MissedFinishIsAddedMarkedAndRidesIntoTheResults) {
    Rig rig;
    rig.clock.Step(ClockMs(9, 38, 30));
    const HandTimeEntry dialog = rig.keeper.NewHandTime(); // F7 on the start list tab
    EXPECT_EQ(dialog.kind, HandTimeKind::Start);
    EXPECT_EQ(dialog.time, "09:38:30,0");
    EXPECT_FALSE(dialog.Correction());

    const bool counter = rig.keeper.registrations.CounterOn;
    const std::string countdown = rig.keeper.registrations.TextCounterTime;
    const HandTimeResult result = rig.Apply(Entry(HandTimeKind::Finish, " 12 ", "09:38:12,3"));
    ASSERT_TRUE(result.done) << result.message;
    EXPECT_EQ(RowsOf(rig.keeper.registrations.SortGrid3), (Rows{{"1.", "09:38:12,3", "12", "", "0", ""}}));
    EXPECT_EQ(MarksOf(rig.keeper.registrations.SortGrid3), std::vector<bool>{true});
    EXPECT_EQ(rig.keeper.registrations.SortGrid3.Selection(), (GridRect{0, 1, 5, 1}));
    EXPECT_EQ(rig.keeper.registrations.TextStopTime, "09:38:12,3");
    EXPECT_EQ(rig.keeper.registrations.LabOstalosStop, "0");
    EXPECT_EQ(rig.keeper.startList.cbNr.Text(), "14") << "a finish leaves the countdown alone";
    EXPECT_EQ(rig.keeper.registrations.CounterOn, counter);
    EXPECT_EQ(rig.keeper.registrations.TextCounterTime, countdown);
    EXPECT_EQ(rig.Sounds(rig.keeper.registrations.FinishSoundFile), 0) << "no signal for a time of the past";

    // The results carry the mark beside the ride time; the cell text is the plain time.
    rig.keeper.pages.ActiveTab = kTabResults;
    rig.keeper.PageControl1Change();
    EXPECT_EQ(rig.keeper.results.SortGrid4.Cells(6, 1), "8:12,3");
    EXPECT_TRUE(rig.keeper.results.SortGrid4.RowMarked(1));
    EXPECT_EQ(rig.keeper.GetCellFormat(kTabResults, 6, 1).mark, "H");
    EXPECT_EQ(rig.keeper.GetCellFormat(kTabResults, 7, 1).mark, "");
    EXPECT_EQ(rig.keeper.GetCellFormat(kTabStopTimes, 2, 1).textColor, kHandTimeText);

    // A later contact finish takes a row of its own and is not marked.
    rig.clock.Step(ClockMs(9, 41, 0));
    rig.keeper.mStopClick();
    EXPECT_EQ(MarksOf(rig.keeper.registrations.SortGrid3), (std::vector<bool>{true, false}));

    // A hand finish for a rider without a start is flagged in "Pausen", as a typed number is.
    ASSERT_TRUE(rig.Apply(Entry(HandTimeKind::Finish, "17", "09:41:30,0")).done);
    EXPECT_EQ(rig.keeper.registrations.SortGrid3.Cells(3, 3), "!");
}

TEST(HandTime, StartMovesTheSelectionOnlyForTheSelectedRider) {
    const struct {
        const char* number;
        int selected, selectedAfter; // indexes in the number list "12", "14", "17"; -1: none
        bool autoStartCancelled;
    } cases[] = {
        {"14", 1, 2, true},  // the selected rider: on to the next one, as F4
        {"17", 1, 1, false}, // another rider: the countdown is not touched
        {"17", 2, -1, true}, // the last rider selected: then none
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        Rig rig;
        rig.keeper.SelectRider(c.selected);
        rig.host.StartTimer5sek(); // an automatic start pending for the selected rider
        ASSERT_TRUE(rig.Apply(Entry(HandTimeKind::Start, c.number, "09:34:58,0")).done);
        EXPECT_EQ(rig.keeper.startList.cbNr.ItemIndex, c.selectedAfter);
        EXPECT_EQ(rig.host.timer5sek, !c.autoStartCancelled);
        EXPECT_EQ(RowsOf(rig.keeper.registrations.SortGrid2),
                  (Rows{{"1.", "09:30:00,0", "12"}, {"2.", "09:34:58,0", c.number}}));
        EXPECT_EQ(MarksOf(rig.keeper.registrations.SortGrid2), (std::vector<bool>{false, true}));
        EXPECT_EQ(rig.keeper.registrations.LabOstalosStart, "1");
        EXPECT_EQ(rig.Sounds(rig.keeper.registrations.StartSoundFile), 1) << "only F4's start signal";
    }
}

TEST(HandTime, EntryBelongsToTheTypedNumberWhateverHappensMeanwhile) {
    Rig rig;
    rig.clock.Step(ClockMs(9, 34, 50));
    HandTimeEntry dialog = rig.keeper.NewHandTime(); // the operator opens F7 for rider 14's start ...
    rig.clock.Step(ClockMs(9, 35, 0));
    rig.keeper.registrations.RegisterStartAt(MakeTimeOfDay(9, 35, 0)); // ... while the contact starts rider 14
    rig.clock.Step(ClockMs(9, 36, 0));
    rig.keeper.registrations.RegisterFinishAt(MakeTimeOfDay(9, 36, 0));
    ASSERT_EQ(rig.keeper.startList.cbNr.Text(), "17");
    dialog.number = "14";
    dialog.time = "09:34:59,5";
    dialog.reason = "Startsignal";
    rig.host.yesNoAnswers.push_back(true); // 14 has a start already: written on "Ja"
    ASSERT_TRUE(rig.Apply(dialog).done);
    EXPECT_EQ(rig.keeper.registrations.SortGrid2.Cells(2, 3), "14");
    EXPECT_EQ(rig.keeper.startList.cbNr.Text(), "17") << "rider 17 is selected, not 14: the countdown stays";
    EXPECT_EQ(MarksOf(rig.keeper.registrations.SortGrid2), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(MarksOf(rig.keeper.registrations.SortGrid3), std::vector<bool>{false});
}

TEST(HandTime, CorrectionReplacesTimeAndNumberOfTheCurrentRow) {
    Rig rig;
    rig.clock.Step(ClockMs(9, 35, 0));
    rig.keeper.mStartClick(); // a false start contact recorded for 14 ...
    rig.keeper.pages.ActiveTab = kTabStartList;
    EXPECT_FALSE(rig.keeper.CorrectHandTime().has_value()) << "Shift+F7 works on the two time lists only";
    rig.keeper.pages.ActiveTab = kTabStartTimes;
    rig.keeper.registrations.SortGrid2.SetRow(2);
    HandTimeEntry dialog = *rig.keeper.CorrectHandTime();
    EXPECT_EQ(dialog.kind, HandTimeKind::Start);
    EXPECT_EQ(dialog.row, 2);
    EXPECT_EQ(dialog.time, "09:35:00,0");
    EXPECT_EQ(dialog.number, "14");

    // ... while the dialog is open, a line above is deleted: the row is found by what it showed.
    rig.host.yesNoAnswers = {true};
    rig.keeper.registrations.SortGrid2.SetRow(1);
    rig.keeper.sbDelLineClick();
    dialog.time = "09:35:02,7";
    dialog.reason = "Fehlauslösung";
    const std::string selected = rig.keeper.startList.cbNr.Text();
    ASSERT_TRUE(rig.Apply(dialog).done);
    EXPECT_EQ(RowsOf(rig.keeper.registrations.SortGrid2), (Rows{{"2.", "09:35:02,7", "14"}}));
    EXPECT_EQ(MarksOf(rig.keeper.registrations.SortGrid2), std::vector<bool>{true});
    EXPECT_EQ(rig.keeper.startList.cbNr.Text(), selected) << "a correction is no new start";

    // A row that no longer holds what the dialog showed is not touched.
    dialog.time = "09:35:03,0";
    const HandTimeResult gone = rig.Apply(dialog);
    EXPECT_FALSE(gone.done);
    EXPECT_EQ(gone.message, "Die Zeile ist nicht mehr in der Liste: nichts geändert.");
    EXPECT_EQ(rig.keeper.registrations.SortGrid2.Cells(1, 1), "09:35:02,7");
}

TEST(HandTime, OnlyATimeTypedByHandMarksTheRow) {
    // Shift+F7 on rider 12's F8 finish of 09:38:00,0: number 14 with these times, one after another.
    const std::vector<const char*> cases[] = {{"09:38:00,0"}, {"09:38:01,0"}, {"09:38:01,0", "09:38:01,0"}};
    const bool marked[] = {false, true, true};
    for (int i = 0; i < 3; ++i) {
        Rig rig;
        rig.clock.Step(ClockMs(9, 38, 0));
        rig.keeper.mStopClick();
        rig.keeper.pages.ActiveTab = kTabStopTimes;
        for (const char* time : cases[i]) {
            HandTimeEntry dialog = *rig.keeper.CorrectHandTime();
            dialog.number = "14";
            dialog.time = time;
            dialog.reason = "Nummer verwechselt";
            ASSERT_TRUE(rig.Apply(dialog).done);
        }
        EXPECT_EQ(MarksOf(rig.keeper.registrations.SortGrid3), std::vector<bool>{marked[i]}) << i;
    }
}

// The journal: what each hand entry writes, and a crash recovered with the marks.
struct JournaledKeeper {
    FakeHost host;
    MemoryJournalWriter writer;
    FakeJournalClock clock;
    Timekeeper tk{host};
    explicit JournaledKeeper(const std::string& journal = "") {
        if (!journal.empty()) {
            writer.files["2024-05-10"] = journal;
        }
        tk.AttachJournal(writer, clock);
        FillStartList(tk, ThreeRiders());
        tk.settings.AutoStart = true;
    }
    std::string Text() const { return writer.files.rbegin()->second; }
};

TEST(HandTimeJournal, KeepsOldValueNewValueReasonAndMomentAndRecoversTheMarks) {
    JournaledKeeper first;
    first.host.SetClock(9, 30, 0);
    first.tk.SelectRider(0);
    first.tk.registrations.RegisterStart();
    first.clock.now.millisecond = ClockMs(9, 39, 0, 250);
    ASSERT_TRUE(
        first.tk.ApplyHandTime(Entry(HandTimeKind::Finish, "12", "09:38:12,3", "Lichtschranke ausgefallen")).done);
    first.clock.now.millisecond = ClockMs(9, 45, 0);
    first.tk.pages.ActiveTab = kTabStartTimes;
    HandTimeEntry fix = *first.tk.CorrectHandTime();
    fix.time = "09:29:59,8";
    fix.reason = "Start\tzu spät"; // a TAB in the reason is kept, escaped
    ASSERT_TRUE(first.tk.ApplyHandTime(fix).done);
    const std::string text = first.Text();
    EXPECT_NE(text.find("2024-05-11 09:39:00.250\tHandzeit\tStoppzeiten\t1\t1.\t09:38:12,3\t12\t\t0\t\t"
                        "alt\t\t\tGrund\tLichtschranke ausgefallen\t"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("2024-05-11 09:45:00.000\tKorrektur\tStartzeiten\t1\t1.\t09:29:59,8\t12\t"
                        "alt\t09:30:00,0\t12\tGrund\tStart\\tzu spät\t"),
              std::string::npos)
        << text;

    // A crash: the next start-up rebuilds both lists with their marks.
    JournaledKeeper second(text);
    second.host.yesNoAnswers = {true};
    ASSERT_TRUE(second.tk.RecoverLastSession());
    EXPECT_EQ(RowsOf(second.tk.registrations.SortGrid2), RowsOf(first.tk.registrations.SortGrid2));
    EXPECT_EQ(RowsOf(second.tk.registrations.SortGrid3), RowsOf(first.tk.registrations.SortGrid3));
    EXPECT_EQ(MarksOf(second.tk.registrations.SortGrid2), std::vector<bool>{true});
    EXPECT_EQ(MarksOf(second.tk.registrations.SortGrid3), std::vector<bool>{true});

    // The restored session's full state carries the marks too, so a second crash keeps them.
    EXPECT_NE(second.Text().find("\tZeile\tStoppzeiten\t1\t1.\t09:38:12,3\t12\t\t0\t\tH\t"), std::string::npos)
        << second.Text();
    second.tk.registrations.RegisterFinish();
    const JournalSession again = ReplayLastSession(second.Text());
    EXPECT_EQ(again.marks[0], RowMarks{kRowHand});
    EXPECT_EQ(again.marks[1], (RowMarks{kRowHand, kRowUnmarked}));
}

} // namespace
} // namespace vandoret::testing
