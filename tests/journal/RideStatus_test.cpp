// Statuses and automatic starts in the journal: written, read back, recovered.
#include <gtest/gtest.h>

#include <string>

#include "journal/JournalWords.h"
#include "journal/SessionFixture.h"

namespace vandoret {
namespace {

using testing::Session;

TEST(RideStatusJournal, StatusesAndAutomaticStartsComeBackAfterACrash) {
    Session first;
    first.At(9, 30, 5, 0);
    first.tk.registrations.Timer5sekTimer(); // the automatic start of "12"
    first.At(9, 31, 0, 0);
    first.tk.registrations.RegisterStart(); // "14" by key
    ASSERT_TRUE(first.tk.registrations.SortGrid2.RowNoted(1));
    ASSERT_FALSE(first.tk.registrations.SortGrid2.RowNoted(2));
    EXPECT_TRUE(first.tk.SetRideStatus("14", RideStatus::Retired));
    EXPECT_TRUE(first.tk.SetRideStatus(" 17", RideStatus::NotStarted));
    EXPECT_TRUE(first.tk.SetRideStatus("17", RideStatus::None)); // taken back
    EXPECT_TRUE(first.tk.SetRideStatus("17", RideStatus::Eliminated));
    EXPECT_FALSE(first.tk.SetRideStatus("17", RideStatus::Eliminated)); // nothing changed: no line
    EXPECT_FALSE(first.tk.SetRideStatus(" ", RideStatus::Retired));
    const std::string text = first.Text();
    EXPECT_NE(text.find("\tStart\tStartzeiten\t1\t1.\t09:30:05,0\t12\tAuto\t"), std::string::npos) << text;
    EXPECT_NE(text.find("\tStart\tStartzeiten\t2\t2.\t09:31:00,0\t14\t"), std::string::npos) << text;
    EXPECT_NE(text.find("\tStatus\t14\taufgegeben\t"), std::string::npos) << text;
    EXPECT_NE(text.find("\tStatus\t17\tkein\t"), std::string::npos) << text;

    const JournalSession read = ReplayLastSession(text);
    EXPECT_EQ(read.marks[0], (RowMarks{kRowAutomatic, kRowUnmarked}));
    EXPECT_EQ(read.statuses, (std::map<std::string, std::string>{{"14", "aufgegeben"}, {"17", "ausgeschieden"}}));

    Session second(first.writer.files);
    second.host.yesNoAnswers = {true};
    ASSERT_TRUE(second.tk.RecoverLastSession());
    EXPECT_TRUE(second.tk.registrations.SortGrid2.RowNoted(1));
    EXPECT_FALSE(second.tk.registrations.SortGrid2.RowMarked(1));
    EXPECT_EQ(second.tk.results.Statuses.Of("14"), RideStatus::Retired);
    EXPECT_EQ(second.tk.results.Statuses.Of("17"), RideStatus::Eliminated);

    // The next day's file holds the full state on its own, statuses and marks with it.
    second.clock.now.day += 1;
    second.At(0, 0, 1, 0);
    second.tk.SetRideStatus("12", RideStatus::Disqualified);
    const JournalSession nextDay = ReplayLastSession(second.Text());
    EXPECT_EQ(nextDay.marks[0], (RowMarks{kRowAutomatic, kRowUnmarked}));
    EXPECT_EQ(nextDay.statuses, (std::map<std::string, std::string>{
                                    {"12", "disqualifiziert"}, {"14", "aufgegeben"}, {"17", "ausgeschieden"}}));
}

TEST(RideStatusJournal, NoForgetsTheRecoveredStatusesAndClearedListsForgetThemAll) {
    Session first;
    first.At(9, 30, 0, 0);
    first.tk.registrations.RegisterStart();
    first.tk.SetRideStatus("12", RideStatus::Retired);

    Session second(first.writer.files);
    second.host.yesNoAnswers = {false};
    EXPECT_FALSE(second.tk.RecoverLastSession());
    EXPECT_EQ(second.tk.results.Statuses.Of("12"), RideStatus::None);

    first.tk.registrations.ClearProtocol();
    EXPECT_TRUE(first.tk.results.Statuses.All().empty());
    EXPECT_TRUE(ReplayLastSession(first.Text()).statuses.empty());
}

TEST(RideStatusJournal, AHandCorrectionOfAnAutomaticStartIsATimeByHand) {
    Session s;
    s.At(9, 30, 5, 0);
    s.tk.registrations.Timer5sekTimer();
    s.tk.pages.ActiveTab = kTabStartTimes;
    s.tk.registrations.SortGrid2.SetRow(1);
    HandTimeEntry fix = *s.tk.CorrectHandTime();
    fix.time = "09:30:00,2";
    fix.reason = "Startsignal";
    s.At(9, 31, 0, 0);
    ASSERT_TRUE(s.tk.ApplyHandTime(fix).done);
    EXPECT_TRUE(s.tk.registrations.SortGrid2.RowMarked(1));
    EXPECT_FALSE(s.tk.registrations.SortGrid2.RowNoted(1));
    EXPECT_EQ(ReplayLastSession(s.Text()).marks[0], RowMarks{kRowHand});
}

} // namespace
} // namespace vandoret
