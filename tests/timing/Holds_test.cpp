// Holds on the course: F5 "Anhalten", Shift+F5 "Weiter", the held time in "Pausen", the journal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "journal/SessionFixture.h"

namespace vandoret {
namespace {

using testing::Session;

// Riders 12, 14 and 17 started at 09:30, 09:31 and 09:32 (the fixture's number list).
struct HeldSession : Session {
    explicit HeldSession(const std::map<std::string, std::string>& files = {}) : Session(files) {
        if (files.empty()) {
            for (int k = 0; k < 3; ++k) {
                At(9, 30 + k, 0, 0);
                tk.registrations.RegisterStart();
            }
        }
    }
    HoldResult Hold(bool restart, const std::string& numbers, const std::string& time, const std::string& reason = "") {
        HoldEntry entry = tk.NewHold(restart);
        entry.numbers = numbers;
        entry.time = time;
        entry.reason = reason;
        return tk.ApplyHold(entry);
    }
    // A finish at h:m:s for a number, typed into "St.Nr." as the operator does.
    int Finish(int h, int m, int s, const std::string& nr) {
        At(h, m, s, 0);
        tk.registrations.RegisterFinish();
        const int row = tk.registrations.SortGrid3.RowCount() - 1;
        EnterNumber(row, nr);
        return row;
    }
    const std::string& Pause(int row) const { return tk.registrations.SortGrid3.Cells(kStopPause, row); }
};

TEST(Holds, TheHeldTimeGoesIntoPausenAndIsDeductedAsTheRulesSay) {
    for (std::uint32_t wertung : {0u, 1u}) {
        SCOPED_TRACE(wertung);
        HeldSession s;
        s.tk.settings.Wertung = wertung;
        ASSERT_TRUE(s.Hold(false, "12", "09:35:00,0", "Sturz vor 7").done);
        ASSERT_TRUE(s.Hold(true, "12", "09:35:30,0").done);
        ASSERT_TRUE(s.Hold(false, "12", "09:37:00,0").done); // a second hold sums
        ASSERT_TRUE(s.Hold(true, "12", "09:37:20,0").done);
        const int row = s.Finish(9, 40, 40, "12"); // 10:40 gross, 50 s held: 9:50 net
        EXPECT_EQ(s.Pause(row), "50,0");
        s.tk.results.BuildResults();
        // As before the penalty is on the gross ride (41 intervals); under the rules on the net ride.
        EXPECT_EQ(s.tk.registrations.SortGrid3.Cells(kStopTimePoints, row), wertung == 0 ? "16,4" : "0");
        EXPECT_EQ(s.tk.results.SortGrid4.Cells(kResultTime, 1), "9:50,0");
    }
}

TEST(Holds, APauseTypedByTheOperatorIsNeverOverwritten) {
    HeldSession s;
    ASSERT_TRUE(s.Hold(false, "12 14", "09:35:00,0").done); // a fence rebuild stops both
    ASSERT_TRUE(s.Hold(true, "12 14", "09:36:00,0").done);
    const int r12 = s.Finish(9, 41, 0, "12");
    const int r14 = s.Finish(9, 42, 0, "14");
    EXPECT_EQ(s.Pause(r12), "1:00,0");
    s.tk.SortGrid3SelectCell(kStopPause, r14); // the operator's own value
    s.tk.registrations.SortGrid3.SetCell(kStopPause, r14, "1:30,0");
    s.tk.SortGrid3KeyPress(U'\r');
    // A hold reported later changes the program's value only.
    ASSERT_TRUE(s.Hold(false, "12 14", "09:38:00,0").done);
    ASSERT_TRUE(s.Hold(true, "12 14", "09:38:15,0").done);
    EXPECT_EQ(s.Pause(r12), "1:15,0");
    EXPECT_EQ(s.Pause(r14), "1:30,0");
}

TEST(Holds, EntriesAreCheckedBeforeAnythingIsRecorded) {
    HeldSession s;
    ASSERT_TRUE(s.Hold(false, "12", "09:35:00,0").done);
    const struct {
        bool restart;
        const char* numbers;
        const char* time;
        const char* message; // empty: recorded
    } rows[] = {
        {false, "", "09:36:00,0", "Bitte die Startnummer eingeben (mehrere durch Leerzeichen getrennt)."},
        {false, "14", "09:61:00,0", "Keine gültige Uhrzeit: bitte als hh:mm:ss,z eingeben."},
        {false, "14 99", "09:36:00,0", "Nr. 99 hat keine Startzeit."},
        {false, "14 12", "09:36:00,0", "Nr. 12 ist schon angehalten."},
        {true, "14", "09:36:00,0", "Nr. 14 ist nicht angehalten."},
        {true, "12", "09:34:59,9", "Nr. 12: „Weiter“ liegt vor „Anhalten“ (09:35:00,0)."},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.numbers);
        const HoldResult result = s.Hold(r.restart, r.numbers, r.time);
        EXPECT_FALSE(result.done);
        EXPECT_EQ(result.message, r.message);
    }
    EXPECT_EQ(s.tk.results.Holds.All().size(), 1u); // none of them changed anything (not even 14 of "14 99")
}

TEST(Holds, TheDialogsArePrefilledAndAFinishOfAHeldRiderAsksForWeiter) {
    HeldSession s;
    s.At(9, 33, 0, 0);
    s.Finish(9, 33, 10, "14");
    s.Finish(9, 33, 20, "17");
    s.At(9, 34, 12, 300);
    const HoldEntry stop = s.tk.NewHold(false);
    EXPECT_EQ(stop.numbers, "12"); // the one rider on the course
    EXPECT_EQ(stop.time, "09:34:12,3");
    ASSERT_TRUE(s.tk.ApplyHold(stop).done);
    EXPECT_EQ(s.tk.NewHold(false).numbers, ""); // nobody left to hold
    EXPECT_EQ(s.tk.NewHold(true).numbers, "12");
    s.At(9, 36, 27, 0);
    s.tk.registrations.Tick(s.host.now);
    EXPECT_EQ(s.tk.registrations.JournalNotice, "Nr. 12 angehalten seit 2:14 – weiter mit Umschalt+F5");

    EXPECT_EQ(s.tk.TakeRestartWanted(), std::nullopt);
    s.Finish(9, 40, 0, "12"); // the finish comes while the hold is open
    const std::optional<HoldEntry> wanted = s.tk.TakeRestartWanted();
    ASSERT_TRUE(wanted.has_value());
    EXPECT_TRUE(wanted->restart);
    EXPECT_EQ(wanted->numbers, "12");
    EXPECT_EQ(s.tk.TakeRestartWanted(), std::nullopt); // once
}

TEST(Holds, ACrashDuringAnOpenHoldRestoresIt) {
    HeldSession first;
    ASSERT_TRUE(first.Hold(false, "14", "09:35:00,0", "Hindernis\t7").done);
    ASSERT_TRUE(first.Hold(true, "14", "09:36:00,0").done);
    ASSERT_TRUE(first.Hold(false, "12", "09:37:00,0").done);
    EXPECT_NE(first.Text().find("\tAnhalten\t14\t09:35:00,0\tGrund\tHindernis\\t7\t"), std::string::npos);
    EXPECT_NE(first.Text().find("\tWeiter\t14\t09:36:00,0\t"), std::string::npos);

    HeldSession second(first.writer.files);
    second.host.yesNoAnswers = {true};
    ASSERT_TRUE(second.tk.RecoverLastSession());
    EXPECT_EQ(second.tk.results.Holds.All(), first.tk.results.Holds.All());
    ASSERT_TRUE(second.Hold(true, "12", "09:38:30,0").done); // the open hold goes on
    const int row = second.Finish(9, 41, 0, "12");
    EXPECT_EQ(second.Pause(row), "1:30,0");

    // A new day's file holds them on its own, and "Nein" forgets the recovered ones.
    second.clock.now.day += 1;
    second.At(0, 0, 1, 0);
    second.tk.registrations.RegisterStart();
    EXPECT_EQ(ReplayLastSession(second.Text()).holds.size(), 2u);
    HeldSession third(first.writer.files);
    third.host.yesNoAnswers = {false};
    EXPECT_FALSE(third.tk.RecoverLastSession());
    EXPECT_TRUE(third.tk.results.Holds.All().empty());
}

} // namespace
} // namespace vandoret
