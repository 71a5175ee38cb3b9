// The journal through its seams: what it writes, what a replay of it gives, the recovery at
// start-up, a torn last line and a failing writer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fakes/FakeHost.h"
#include "fakes/FileSizeLimit.h"
#include "journal/FileJournalWriter.h"
#include "journal/JournalFakes.h"
#include "journal/SessionFixture.h"
#include "timing/Timekeeper.h"

#ifndef _WIN32
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>

// Every fsync of this program is counted, then done.
static std::atomic<int> g_fsyncs{0};
extern "C" int fsync(int fd) {
    ++g_fsyncs;
    return static_cast<int>(::syscall(SYS_fsync, fd));
}
#endif

namespace vandoret::testing {
namespace {

namespace fs = std::filesystem;
using Rows = JournalRows;

// Journal lines with their checksums, each ended.
std::string Checked(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += journal_text::WithChecksum(line) + '\n';
    }
    return text;
}

TEST(Journal, WritesReadableLinesForEveryChange) {
    Session s; // the session begins when the journal is attached
    s.At(9, 30, 0, 40);
    s.tk.registrations.RegisterStart();
    s.At(9, 38, 12, 345);
    s.tk.registrations.RegisterFinish();
    s.EnterNumber(1, "99");                     // no such start: "!" in "Pausen"
    s.tk.registrations.StartContactFree = true; // the two locks named apart: start free, finish locked
    s.tk.registrations.FinishContactFree = false;
    s.tk.contacts.DecodeContacts(kMsCtsOn, MakeTimeOfDay(9, 39, 1, 7)); // ignored by the lock, still written
    s.tk.sbCLSClick(false);
    const std::string expected = Checked({"2024-05-11 09:00:00.000\tSitzungsbeginn\tVandoret\tSitzung\t1",
                                          "2024-05-11 09:30:00.190\tStart\tStartzeiten\t1\t1.\t09:30:00,0\t12",
                                          "2024-05-11 09:38:12.495\tZiel\tStoppzeiten\t1\t1.\t09:38:12,3\t\t\t\t",
                                          "2024-05-11 09:38:12.495\tEingabe\tStoppzeiten\t1\t1.\t09:38:12,3\t99\t!\t\t",
                                          "2024-05-11 09:38:12.495\tKontakte\t09:39:01.007\tDSR 0 CTS 1 RLSD 0\t"
                                          "Start frei\tZiel gesperrt",
                                          "2024-05-11 09:38:12.495\tListen geleert"});
    EXPECT_EQ(s.Text(), expected);
    EXPECT_EQ(s.tk.registrations.SortGrid3.RowCount(), 2);
}

// The settings dialog's OK and the tab "Ergebnisse" rewrite "EZ-Pkt.": the journal follows.
TEST(Journal, PointsRewrittenByTheResultsAreJournaled) {
    for (const bool settingsOk : {true, false}) {
        Session s;
        s.tk.startList.SortGrid1.SetRowCount(4);
        for (int r = 1; r <= 3; ++r) {
            s.tk.startList.SortGrid1.SetCell(1, r, s.tk.startList.cbNr.Items[static_cast<std::size_t>(r - 1)]);
        }
        s.StartThreeFinishTwo();
        s.EnterNumber(1, "12"); // a ride of 10:07,3: 8 commenced seconds over 10:00 at 0,4
        ASSERT_EQ(s.tk.registrations.SortGrid3.Cells(4, 1), "3,2");
        s.tk.settings.AllowedTime = 11 * 60'000;
        s.tk.pages.ActiveTab = kTabResults;
        settingsOk ? s.tk.SettingsConfirmed() : s.tk.PageControl1Change();
        EXPECT_EQ(s.tk.registrations.SortGrid3.Cells(4, 1), "0");
        EXPECT_EQ(ReplayLastSession(s.Text()).stopTimes(), RowsOf(s.tk.registrations.SortGrid3)) << settingsOk;
    }
}

// A pause typed as "90" is rewritten "1:30,0" on leaving the cell: the journal holds the rewritten text.
TEST(Journal, PauseRewrittenOnLeavingTheCellIsJournaled) {
    Session s;
    s.StartThreeFinishTwo();
    s.tk.SortGrid3SelectCell(3, 1);
    s.tk.registrations.SortGrid3.SetCell(3, 1, "90");
    s.tk.SortGrid3EditCommitted(1);
    ASSERT_EQ(s.tk.registrations.SortGrid3.Cells(3, 1), "1:30,0");
    EXPECT_EQ(ReplayLastSession(s.Text()).stopTimes(), RowsOf(s.tk.registrations.SortGrid3));
}

// A crash mid-write leaves a torn last line: wherever the text is cut, the replay gives the
// lists of the last whole event, never a damaged row.
TEST(Journal, TornLastLineIsSkippedWhereverTheCrashCut) {
    Session s;
    std::vector<std::size_t> ends;
    std::vector<Rows> stops, starts;
    const auto record = [&] {
        ends.push_back(s.Text().size());
        starts.push_back(RowsOf(s.tk.registrations.SortGrid2));
        stops.push_back(RowsOf(s.tk.registrations.SortGrid3));
    };
    for (int k = 0; k < 3; ++k) {
        s.At(10, k, 1, 100 * k);
        s.tk.registrations.RegisterStart();
        record();
        s.At(10, 9 + k, 33, 17 * k);
        s.tk.registrations.RegisterFinish();
        record();
        s.EnterNumber(k + 1, k == 1 ? "5" : "14");
        record();
    }
    s.tk.pages.ActiveTab = kTabStopTimes;
    s.tk.registrations.SortGrid3.SetRow(2);
    s.host.yesNoAnswers.push_back(true);
    s.tk.sbDelLineClick();
    record();

    const std::string text = s.Text();
    std::size_t event = 0;
    for (std::size_t cut = ends[0]; cut <= text.size(); ++cut) {
        while (event + 1 < ends.size() && ends[event + 1] <= cut) {
            ++event;
        }
        const JournalSession replay = ReplayLastSession(std::string_view(text).substr(0, cut));
        ASSERT_EQ(replay.startTimes(), starts[event]) << "cut at " << cut;
        ASSERT_EQ(replay.stopTimes(), stops[event]) << "cut at " << cut;
    }
    EXPECT_EQ(stops.back().size(), 2u);
    EXPECT_EQ(stops.back()[1][3], "") << "row 3 (start number 14 known) moved up";
}

// A damaged count or row number far beyond any competition is ignored, not built row by row.
TEST(Journal, ReplayIgnoresCountsNoCompetitionReaches) {
    const std::string begin = "2024-05-11 09:00:00.000\tSitzungsbeginn\n";
    const struct {
        std::string line;
        std::size_t stopRows;
    } cases[] = {
        {"2024-05-11 09:00:01.000\tZeilenzahl\tStoppzeiten\t100000\n", 100000},
        {"2024-05-11 09:00:01.000\tZeilenzahl\tStoppzeiten\t100001\n", 1},
        {"2024-05-11 09:00:01.000\tZeilenzahl\tStoppzeiten\t99999999999999999999\n", 1},
        {"2024-05-11 09:00:01.000\tZiel\tStoppzeiten\t100001\t1.\n", 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReplayLastSession(begin + c.line).stopTimes().size(), c.stopRows) << c.line;
    }

    // A state takes effect once as many rows as it announced have come, with its row counts.
    const std::string row = "2024-05-11 09:00:02.000\tZeile\tStoppzeiten\t2\t1.\t09:31:02,3\t12\t\t\t\n";
    const std::string start = "2024-05-11 09:00:02.000\tZeile\tStartzeiten\t1\t1.\t09:30:00,0\t12\n";
    const JournalSession whole =
        ReplayLastSession(begin + "2024-05-11 09:00:02.000\tStand\t2\t3\n" + start + row + row + row + row);
    ASSERT_EQ(whole.startTimes().size(), 2u);
    EXPECT_EQ(whole.startTimes()[0][1], "09:30:00,0");
    ASSERT_EQ(whole.stopTimes().size(), 3u);
    EXPECT_EQ(whole.stopTimes()[1][1], "09:31:02,3");
    EXPECT_EQ(whole.stopTimes()[2], std::vector<std::string>(6));
    const JournalSession torn = ReplayLastSession(begin + "2024-05-11 09:00:02.000\tStand\t90000\t90000\n" + row);
    ASSERT_EQ(torn.stopTimes().size(), 2u) << "a state whose rows never all came gives those that did, nothing more";
    EXPECT_EQ(torn.stopTimes()[1][1], "09:31:02,3");
}

TEST(Journal, FailingWriterLeavesTimingWorkingAndSaysSoOnce) {
    Session s;
    s.writer.failNext = 2;
    std::vector<std::string> notices;
    for (int k = 0; k < 4; ++k) {
        s.At(11, 0, k, 0);
        s.tk.registrations.RegisterFinish();
        notices.push_back(s.tk.registrations.JournalNotice);
    }
    EXPECT_EQ(s.tk.registrations.SortGrid3.RowCount(), 5) << "every finish recorded";
    EXPECT_EQ(s.tk.registrations.SortGrid3.Cells(1, 2), "11:00:01,0");
    EXPECT_EQ(notices[0], "Journal wird nicht geschrieben: Zeiten nur im Speicher");
    EXPECT_EQ(notices[1], notices[0]);
    EXPECT_EQ(notices[2], "Journal war unterbrochen 11:00:00–11:00:02") << "written again, and said so";
    EXPECT_FALSE(s.tk.registrations.JournalNoticeAlarm);
    s.tk.JournalNoticeClick();
    EXPECT_EQ(s.tk.registrations.JournalNotice, "") << "until the operator clicks it away";
    // The torn halves do not spoil the file: it gives all four finishes.
    EXPECT_EQ(ReplayLastSession(s.Text()).stopTimes(), RowsOf(s.tk.registrations.SortGrid3));
}

TEST(Journal, AFirstWriteTornInsideTheSessionBeginStillLeavesAJournalThatReplays) {
    FakeHost host;
    MemoryJournalWriter writer;
    FakeJournalClock clock;
    Timekeeper tk(host);
    writer.failNext = 1;
    writer.failKeep = 30; // "2024-05-11 09:00:00.000\tSitzun": the first line cut inside its kind
    tk.AttachJournal(writer, clock);
    host.SetClock(9, 40, 7, 300);
    tk.registrations.RegisterFinish();
    const JournalSession replay = ReplayLastSession(writer.ReadNewest());
    EXPECT_TRUE(replay.found);
    EXPECT_EQ(replay.stopTimes(), RowsOf(tk.registrations.SortGrid3));
}

TEST(Journal, NewDayBeginsAFileThatReplaysOnItsOwn) {
    Session s;
    s.At(23, 59, 58, 0);
    s.tk.registrations.RegisterFinish();
    s.clock.now = {2024, 5, 12, 1500};
    s.At(0, 0, 1, 0);
    s.tk.registrations.RegisterFinish();
    ASSERT_EQ(s.writer.files.size(), 2u);
    const JournalSession today = ReplayLastSession(s.writer.files["2024-05-12"]);
    EXPECT_TRUE(today.found);
    EXPECT_EQ(today.stopTimes(), RowsOf(s.tk.registrations.SortGrid3));
}

TEST(Recovery, AsksAfterACrashWithTimesOrTimesNeverSaved) {
    struct Case {
        const char* name;
        bool times, saved, clean;
        bool asked;
    };
    for (const Case c :
         {Case{"crash with times", true, false, false, true}, Case{"clean exit, times saved", true, true, true, false},
          Case{"clean exit, times never saved", true, false, true, true},
          Case{"crash, empty lists", false, false, false, false}}) {
        Session before;
        if (c.times) {
            before.tk.registrations.RegisterFinish();
        }
        if (c.saved) {
            before.tk.registrations.JournalSaved(true, "Ergebnisse.txt");
        }
        if (c.clean) {
            before.tk.EndJournal();
        }
        Session after(before.Text());
        after.tk.RecoverLastSession();
        ASSERT_EQ(after.host.questions.size(), c.asked ? 1u : 0u) << c.name;
        if (c.asked) {
            EXPECT_EQ(after.host.questions[0].substr(0, 44), "Zeiten der letzten Sitzung wiederherstellen?") << c.name;
            EXPECT_EQ(after.host.questions[0].find("beendet") != std::string::npos, c.clean) << c.name;
        }
    }
}

TEST(Recovery, JaRebuildsBothListsAndASecondCrashRecoversThemAgain) {
    Session first;
    first.tk.settings.AutoStart = true;
    first.StartThreeFinishTwo();
    first.EnterNumber(1, "14");
    first.EnterNumber(2, "77");
    const Rows starts = RowsOf(first.tk.registrations.SortGrid2), stops = RowsOf(first.tk.registrations.SortGrid3);

    Session second(first.Text()); // killed: no session end
    second.host.yesNoAnswers.push_back(true);
    ASSERT_TRUE(second.tk.RecoverLastSession());
    EXPECT_EQ(RowsOf(second.tk.registrations.SortGrid2), starts);
    EXPECT_EQ(RowsOf(second.tk.registrations.SortGrid3), stops);
    EXPECT_EQ(second.tk.registrations.SortGrid3.Cells(3, 2), "!");
    EXPECT_EQ(second.tk.registrations.LabOstalosStart, "0");
    EXPECT_EQ(second.tk.registrations.LabOstalosStop, "1");
    EXPECT_EQ(second.tk.startList.cbNr.ItemIndex, -1) << "every rider has started";

    Session third(second.Text()); // killed again before anything else happened
    third.host.yesNoAnswers.push_back(true);
    ASSERT_TRUE(third.tk.RecoverLastSession());
    EXPECT_EQ(RowsOf(third.tk.registrations.SortGrid3), stops);
}

TEST(Recovery, NeinStartsEmptyKeepsTheFileAndRowsTakenMeanwhileFollow) {
    Session first;
    first.tk.registrations.RegisterFinish();
    first.tk.registrations.RegisterFinish();
    const std::string journal = first.Text();

    Session no(journal);
    no.tk.RecoverLastSession();
    EXPECT_TRUE(no.tk.registrations.SortGrid3.IsBlankRow(1));
    EXPECT_EQ(no.writer.files["2024-05-10"], journal);
    Session crashedAgain(no.writer.files); // killed before any event
    crashedAgain.tk.RecoverLastSession();
    EXPECT_TRUE(crashedAgain.host.questions.empty()) << "\"Nein\" began a new, empty session";

    Session yes(journal);
    yes.At(12, 0, 0, 0);
    yes.tk.registrations.RegisterFinish(); // a finish while the question is still open
    yes.host.yesNoAnswers.push_back(true);
    yes.tk.RecoverLastSession();
    ASSERT_EQ(yes.tk.registrations.SortGrid3.RowCount(), 4);
    EXPECT_EQ(yes.tk.registrations.SortGrid3.Cells(0, 3), "3.");
    EXPECT_EQ(yes.tk.registrations.SortGrid3.Cells(1, 3), "12:00:00,0");
}

TEST(FileJournalWriter, AppendsToTheDaysFileAndReadsTheNewestOfItsTitle) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "vandoret-journal-file-test" / "Kronvale";
    fs::remove_all(dir.parent_path());
    { // the writers keep their files open: Windows removes them only once they are closed
        FileJournalWriter writer(dir.string(), "Vandoret");
        ASSERT_TRUE(writer.Append("2024-05-10", "a\n"));
        ASSERT_TRUE(writer.Append("2024-05-11", "b\n"));
        ASSERT_TRUE(writer.Append("2024-05-11", "c\n"));
        FileJournalWriter other(dir.string(), "Vandoret-2");
        ASSERT_TRUE(other.Append("2024-05-12", "x\n"));
        const std::vector<JournalFileText> all = writer.ReadAll();
        ASSERT_EQ(all.size(), 2u);
        EXPECT_EQ(all[1].day, "2024-05-11");
        EXPECT_EQ(all[1].text, "b\nc\n");
        EXPECT_EQ(writer.FileName("2024-05-11"), (dir / "Vandoret-2024-05-11.txt").string());

        FileJournalWriter blocked((dir / "Vandoret-2024-05-10.txt" / "sub").string(), "Vandoret");
        EXPECT_FALSE(blocked.Append("2024-05-11", "d\n")) << "a folder that is a file";
    }
    fs::remove_all(dir.parent_path());
}

#ifndef _WIN32
TEST(FileJournalWriter, EveryAppendIsOnTheDiskBeforeItReturns) {
    const fs::path dir = fs::temp_directory_path() / ("vandoret-journal-fsync-" + std::to_string(::getpid()));
    FileJournalWriter writer(dir.string(), "Vandoret");
    ASSERT_TRUE(writer.Append("2024-05-11", "a\n")); // opens the file (and flushes its new entry)
    for (const char* lines : {"b\n", "c\nd\n"}) {
        const int before = g_fsyncs;
        ASSERT_TRUE(writer.Append("2024-05-11", lines));
        EXPECT_EQ(g_fsyncs - before, 1) << lines;
    }
    fs::remove_all(dir);
}

TEST(FileJournalWriter, AfterAFailedWriteTheNextAppendOpensTheFileAgain) {
    const fs::path dir = fs::temp_directory_path() / ("vandoret-journal-full-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    FileJournalWriter writer(dir.string(), "Vandoret");
    // The disk fills up part-way through a write: opened again, the torn line is ended first.
    ASSERT_TRUE(writer.Append("2024-05-10", "a\n"));
    {
        const FileSizeLimit full(5);
        EXPECT_FALSE(writer.Append("2024-05-10", "bbbbbb\n"));
    }
    EXPECT_TRUE(writer.Append("2024-05-10", "c\n"));
    EXPECT_EQ(writer.ReadAll().back().text, "a\nbbb\nc\n");
    // The day's file is a link to a full disk for one append, then the file is back.
    const fs::path file = writer.FileName("2024-05-11");
    std::error_code ec;
    fs::create_symlink("/dev/full", file, ec);
    if (ec) {
        GTEST_SKIP() << "no /dev/full to link to: " << ec.message();
    }
    EXPECT_FALSE(writer.Append("2024-05-11", "d\n"));
    fs::remove(file);
    EXPECT_TRUE(writer.Append("2024-05-11", "e\n"));
    EXPECT_EQ(writer.ReadAll().back().text, "e\n");
    fs::remove_all(dir);
}
#endif

} // namespace
} // namespace vandoret::testing
