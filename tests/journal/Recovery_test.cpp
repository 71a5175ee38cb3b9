// The recovery at start-up against what a journal folder holds after real accidents: files named
// for other days, damaged and torn lines, unreadable files, timing behind the open question, and
// what is selected afterwards.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "journal/FileJournalWriter.h"
#include "journal/SessionFixture.h"

namespace vandoret::testing {
namespace {

// A crashed session with three starts and two finishes, as the journal wrote it.
std::string CrashedSession(Session& s) {
    s.StartThreeFinishTwo();
    s.EnterNumber(1, "12");
    return s.Text();
}

TEST(Recovery, TheNewestSessionIsChosenByItsNumberWhateverTheFilesAreCalled) {
    // A PC whose clock was once a month ahead left a file of a later day.
    Session old({}, {}, {2027, 1, 1, 9 * 3'600'000});
    old.tk.registrations.RegisterFinish();
    old.tk.registrations.JournalSaved(true, "Ergebnisse.txt");
    old.tk.EndJournal();
    Session crashed({{"2027-01-01", old.Text()}}, {}, {2026, 12, 9, 10 * 3'600'000});
    CrashedSession(crashed);
    const std::string journal = crashed.writer.files["2026-12-09"];
    const std::string file2027 = crashed.writer.files["2027-01-01"];

    struct Case {
        const char* name;
        std::map<std::string, std::string> files;
    } cases[] = {
        {"a later file holds an ended older session", {{"2026-12-09", journal}, {"2027-01-01", file2027}}},
        {"the crashed session alone", {{"2026-12-09", journal}}},
    };
    for (const Case& c : cases) {
        const JournalScan scan = ScanJournalFiles(Session(c.files).writer.ReadAll());
        ASSERT_TRUE(scan.newest) << c.name;
        EXPECT_EQ(scan.newest->sequence, 2) << c.name;
        EXPECT_FALSE(scan.newest->ended) << c.name;
        EXPECT_EQ(scan.newestDay, "2026-12-09") << c.name;
        EXPECT_EQ(scan.nextSequence, 3) << c.name;
    }

    Session after({{"2026-12-09", journal}, {"2027-01-01", file2027}}, {}, {2026, 12, 9, 11 * 3'600'000});
    after.host.yesNoAnswers.push_back(true);
    ASSERT_TRUE(after.tk.RecoverLastSession());
    EXPECT_EQ(RowsOf(after.tk.registrations.SortGrid3), RowsOf(crashed.tk.registrations.SortGrid3));
    EXPECT_EQ(after.writer.files["2027-01-01"], file2027) << "the session goes on in its own file";
    EXPECT_GT(after.writer.files["2026-12-09"].size(), journal.size());
}

TEST(Journal, ADateThatMovesBackStaysInTheSessionsFile) {
    Session s({}, {}, {2024, 5, 12, 100});
    s.tk.registrations.RegisterFinish();
    s.clock.now = {2024, 5, 11, 86'399'000}; // the clock stepped back over midnight
    s.tk.registrations.RegisterFinish();
    EXPECT_EQ(s.writer.files.size(), 1u);
    EXPECT_EQ(ReplayLastSession(s.writer.files["2024-05-12"]).stopTimes(), RowsOf(s.tk.registrations.SortGrid3));
}

// Any one line damaged: the replay skips that line alone, says so, and gives what the journal
// without that line gives.
TEST(Recovery, ADamagedLineCostsThatLineAlone) {
    Session s;
    const std::string journal = CrashedSession(s);
    std::vector<std::size_t> starts{0};
    for (std::size_t i = 0; i + 1 < journal.size(); ++i) {
        if (journal[i] == '\n') {
            starts.push_back(i + 1);
        }
    }
    for (std::size_t k = 0; k < starts.size(); ++k) {
        const std::size_t end = journal.find('\n', starts[k]);
        for (const std::size_t at :
             {starts[k] + 3, starts[k] + 23, starts[k] + 25, (starts[k] + end) / 2, end - 9, end - 2}) {
            std::string damaged = journal;
            damaged[at] = static_cast<char>(damaged[at] ^ 0x04);
            const std::string without = journal.substr(0, starts[k]) + journal.substr(end + 1);
            const JournalSession got = ReplayLastSession(damaged);
            const JournalSession want = ReplayLastSession(k == 0 ? journal : without);
            ASSERT_TRUE(got.found) << "line " << k << " byte " << at;
            EXPECT_EQ(got.damaged, 1) << "line " << k << " byte " << at;
            EXPECT_EQ(got.startTimes(), want.startTimes()) << "line " << k << " byte " << at;
            EXPECT_EQ(got.stopTimes(), want.stopTimes()) << "line " << k << " byte " << at;
        }
    }
}

TEST(Recovery, DamageIsReportedWithItsStampAndKindAndTheRestComesBack) {
    Session s;
    const std::string journal = CrashedSession(s);
    const std::size_t finish = journal.find("\tZiel\t");
    ASSERT_NE(finish, std::string::npos);
    std::string damaged = "\xEF\xBB\xBF" + journal; // saved once by an editor
    damaged[3 + finish + 12] = 'X';                 // a cell of the first finish

    Session after(damaged);
    after.host.yesNoAnswers.push_back(true);
    ASSERT_TRUE(after.tk.RecoverLastSession());
    const std::string& question = after.host.questions.at(0);
    EXPECT_NE(question.find("1 beschädigte Zeile übersprungen:\n" + journal.substr(finish - 23, 23) + " Ziel"),
              std::string::npos)
        << question;
    EXPECT_NE(question.find("3 Startzeiten, 2 Stoppzeiten"), std::string::npos) << question;
    EXPECT_EQ(RowsOf(after.tk.registrations.SortGrid2), RowsOf(s.tk.registrations.SortGrid2)) << "every start back";
    EXPECT_EQ(after.tk.registrations.SortGrid3.Cells(1, 2), s.tk.registrations.SortGrid3.Cells(1, 2))
        << "the finish on a sound line back";
    EXPECT_EQ(after.tk.registrations.JournalNotice, "Journal: 1 beschädigte Zeile übersprungen");
    after.tk.JournalNoticeClick();
    EXPECT_EQ(after.tk.registrations.JournalNotice, "");
}

TEST(Recovery, AnOlderJournalWithoutChecksumsStillReads) {
    const std::string old = "2024-05-10 09:00:00.000\tSitzungsbeginn\tVandoret\n"
                            "2024-05-10 09:30:00.190\tStart\tStartzeiten\t1\t1.\t09:30:00,0\t12\n"
                            "2024-05-10 09:38:12.495\tZiel\tStoppzeiten\t1\t1.\t09:38:12,3\t12\t\t\t\n";
    Session after(old);
    after.host.yesNoAnswers.push_back(true);
    ASSERT_TRUE(after.tk.RecoverLastSession());
    EXPECT_EQ(after.tk.registrations.SortGrid3.Cells(1, 1), "09:38:12,3");
    EXPECT_EQ(after.tk.registrations.journal->Sequence(), 0) << "it goes on as the session it was";
    Session next(after.Text());
    EXPECT_EQ(ReplayLastSession(after.Text()).damaged, 0) << "old lines and new lines together";
}

TEST(Recovery, AnUnreadableFileIsNamedNeverWrittenToAndTimingGoesOn) {
    Session after({{"2024-05-11", "whatever it held"}}, {{"2024-05-11", "Keine Berechtigung"}});
    after.tk.RecoverLastSession();
    ASSERT_EQ(after.host.messages.size(), 1u);
    EXPECT_EQ(after.host.messages[0], "Journal nicht lesbar: Vandoret-2024-05-11.txt: Keine Berechtigung");
    EXPECT_EQ(after.tk.registrations.JournalNotice, after.host.messages[0]);
    after.tk.registrations.RegisterFinish();
    EXPECT_EQ(after.writer.files["2024-05-11"], "whatever it held");
    EXPECT_EQ(ReplayLastSession(after.writer.files["2024-05-11-2"]).stopTimes(),
              RowsOf(after.tk.registrations.SortGrid3));

    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "vandoret-unreadable-test";
    fs::remove_all(dir);
    fs::create_directories(dir / "Vandoret-2024-05-11.txt"); // not a file at all
    {
        FileJournalWriter writer(dir.string(), "Vandoret");
        const std::vector<JournalFileText> files = writer.ReadAll();
        ASSERT_EQ(files.size(), 1u);
        EXPECT_FALSE(files[0].error.empty());
        EXPECT_EQ(writer.FileName("2024-05-11"), (dir / "Vandoret-2024-05-11-2.txt").string());
        ASSERT_TRUE(writer.Append("2024-05-11", "x\n"));
        EXPECT_EQ(writer.ReadAll().size(), 2u);
    }
    fs::remove_all(dir);
}

TEST(FileJournalWriter, AFileWithATornLastLineGetsItsLineEndFirst) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "vandoret-torn-test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / "Vandoret-2024-05-11.txt", std::ios::binary) << "2024-05-11 09:00:00.000\tStart\n2026-12-";
    {
        FileJournalWriter writer(dir.string(), "Vandoret");
        ASSERT_TRUE(writer.Append("2024-05-11", "next\n"));
        ASSERT_TRUE(writer.Append("2024-05-11", "more\n"));
        EXPECT_EQ(writer.ReadAll().at(0).text, "2024-05-11 09:00:00.000\tStart\n2026-12-\nnext\nmore\n");
    }
    fs::remove_all(dir);
}

// Starts and finishes taken while the question is open belong to the offered session at once;
// a second crash before the answer offers both.
TEST(Recovery, TimesTakenBehindTheOpenQuestionBelongToTheOfferedSession) {
    Session first;
    const std::string journal = CrashedSession(first);
    Session behind(journal);
    behind.At(12, 0, 0, 0);
    behind.tk.registrations.RegisterFinish(); // the light barrier, the question still open
    EXPECT_EQ(behind.Text().find("Sitzungsbeginn", journal.size()), std::string::npos);

    Session again(behind.writer.files); // killed before anybody answered
    again.host.yesNoAnswers.push_back(true);
    ASSERT_TRUE(again.tk.RecoverLastSession());
    ASSERT_EQ(again.tk.registrations.SortGrid3.RowCount(), 4);
    EXPECT_EQ(again.tk.registrations.SortGrid3.Cells(0, 3), "3.");
    EXPECT_EQ(again.tk.registrations.SortGrid3.Cells(1, 3), "12:00:00,0");

    // "Nein": the new session holds what was taken meanwhile, renumbered.
    behind.tk.RecoverLastSession();
    ASSERT_EQ(behind.tk.registrations.SortGrid3.RowCount(), 2);
    EXPECT_EQ(behind.tk.registrations.SortGrid3.Cells(0, 1), "1.");
    EXPECT_EQ(behind.tk.registrations.SortGrid3.Cells(1, 1), "12:00:00,0");
    EXPECT_TRUE(behind.tk.registrations.SortGrid2.IsBlankRow(1));
    const JournalScan scan = ScanJournalFiles(behind.writer.ReadAll());
    ASSERT_TRUE(scan.newest);
    EXPECT_EQ(scan.newest->sequence, 2);
    EXPECT_EQ(scan.newest->stopTimes(), RowsOf(behind.tk.registrations.SortGrid3));
}

TEST(Recovery, ASessionEndsOnlyByItsOwnEndLine) {
    Session s;
    s.tk.registrations.RegisterFinish();
    const std::string foreignEnd =
        journal_text::WithChecksum("2024-05-11 10:00:00.000\tSitzungsende\tSitzung\t7") + '\n';
    EXPECT_FALSE(ReplayLastSession(s.Text() + foreignEnd).ended);
    s.tk.EndJournal();
    EXPECT_TRUE(ReplayLastSession(s.Text()).ended);
}

TEST(Recovery, TheRightRiderIsNextAndTheCountdownAsItWas) {
    struct Case {
        const char* name;
        int selectedAtCrash; // index in the number list, -1: none
        int startsBefore;    // riders 12, 14, ... started before the crash
        bool counterOn;
        int selected; // after "Ja"
    };
    for (const Case c : {Case{"the selected rider", 2, 1, true, 2}, Case{"nothing selected", -1, 1, false, 1},
                         Case{"selected but started since", 1, 2, true, 2}, Case{"all started", -1, 3, false, -1}}) {
        Session before;
        for (int k = 0; k < c.startsBefore; ++k) {
            before.tk.startList.cbNr.ItemIndex = k;
            before.tk.registrations.RegisterStart();
        }
        before.tk.startList.cbNr.ItemIndex = c.selectedAtCrash;
        if (before.tk.registrations.CounterOn != c.counterOn) {
            before.tk.ImageStatusClick();
        }
        before.tk.Timer1Timer(); // the tick journals the selection
        Session after(before.Text());
        if (c.selectedAtCrash == 1 && c.startsBefore == 2) { // rider 14 starts behind the question
            after.tk.startList.cbNr.ItemIndex = 1;
            after.tk.registrations.RegisterStart();
        }
        after.tk.startList.cbNr.ItemIndex = 0; // what start-up chose
        after.host.yesNoAnswers.push_back(true);
        ASSERT_TRUE(after.tk.RecoverLastSession()) << c.name;
        EXPECT_EQ(after.tk.startList.cbNr.ItemIndex, c.selected) << c.name;
        EXPECT_EQ(after.tk.registrations.CounterOn, c.counterOn) << c.name;
    }
}

TEST(Journal, AFailingJournalIsTriedAgainOnTheTickAtMostOnceASecond) {
    Session s;
    s.tk.Timer1Timer(); // the selection journaled
    s.writer.failNext = 2;
    s.At(11, 0, 0, 0);
    s.tk.registrations.RegisterFinish(); // fails
    EXPECT_TRUE(s.tk.registrations.JournalNoticeAlarm);
    s.At(11, 0, 0, 500);
    s.tk.Timer1Timer(); // first retry: fails
    s.At(11, 0, 1, 0);
    s.tk.Timer1Timer(); // too soon
    EXPECT_TRUE(s.tk.registrations.JournalNoticeAlarm);
    s.At(11, 0, 1, 500);
    s.tk.Timer1Timer(); // written
    EXPECT_FALSE(s.tk.registrations.JournalNoticeAlarm);
    EXPECT_EQ(s.tk.registrations.JournalNotice, "Journal war unterbrochen 11:00:00–11:00:01");
    EXPECT_EQ(ReplayLastSession(s.Text()).stopTimes(), RowsOf(s.tk.registrations.SortGrid3));
}

} // namespace
} // namespace vandoret::testing
