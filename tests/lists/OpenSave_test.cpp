// Saving lists as protocol text files and the open and save commands.
#include <filesystem>
#include <string>

#include "ListsTestSupport.h"
#include "fakes/FileFaults.h"
#include "fakes/FileSizeLimit.h"
#include "lists/ListWriter.h"

namespace vandoret::testing {
namespace {

using Cells = std::vector<std::string>;

class OpenSave : public ListsTest {
protected:
    void FillStartList() {
        tk.startList.SortGrid1.SetRowCount(3);
        const Cells r1 = {"9:30", "12", "Müller", "", "Club A", "Town A"};
        const Cells r2 = {"9:35", "14", "Rider B", "Horse B", "", "Zürich"};
        for (int c = 0; c < 6; ++c) {
            tk.startList.SortGrid1.SetCell(c, 1, r1[c]);
            tk.startList.SortGrid1.SetCell(c, 2, r2[c]);
        }
    }
    void FillResults() {
        tk.results.SortGrid4.SetRowCount(3);
        const Cells r1 = {"1.", "14", "Rider B", "Horse B", "", "Zürich", "9:58,3", "0"};
        const Cells r2 = {"2.", "12", "Müller", "", "Club A", "Town A", "10:05,0", "2"};
        for (int c = 0; c < 8; ++c) {
            tk.results.SortGrid4.SetCell(c, 1, r1[c]);
            tk.results.SortGrid4.SetCell(c, 2, r2[c]);
        }
    }
};

const std::string kSavedStartList = "Startzeit\tSt.Nr.\tName\tPferd\tClub\tOrt\t\r\n"
                                    "9:30\t12\tM\xFCller\t \tClub A\tTown A\t\r\n"
                                    "9:35\t14\tRider B\tHorse B\t \tZ\xFCrich\t\r\n";

TEST_F(OpenSave, SavesTheStartListAsTabText) {
    FillStartList();
    const std::string file = dir.File("out.txt");
    tk.pages.SaveListText(file);
    EXPECT_EQ(ReadBytes(file), kSavedStartList);
}

TEST_F(OpenSave, TheTabChoosesTheList) {
    FillStartList();
    FillResults();
    const std::string results = "Platz\tSt.Nr.\tName\tPferd\tClub\tOrt\tZeit\tPunkte\t\r\n"
                                "1.\t14\tRider B\tHorse B\t \tZ\xFCrich\t9:58,3\t0\t\r\n"
                                "2.\t12\tM\xFCller\t \tClub A\tTown A\t10:05,0\t2\t\r\n";
    const std::pair<int, std::string> cases[] = {{kTabStartList, kSavedStartList},
                                                 {kTabStartTimes, kSavedStartList},
                                                 {kTabStopTimes, results},
                                                 {kTabResults, results}};
    for (const auto& [tab, expected] : cases) {
        tk.pages.ActiveTab = tab;
        const std::string file = dir.File("tab" + std::to_string(tab) + ".txt");
        tk.pages.SaveListText(file);
        EXPECT_EQ(ReadBytes(file), expected) << "tab " << tab;
    }
    tk.pages.ActiveTab = kTabEventing;
    tk.pages.SaveListText(dir.File("tab4.txt"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("tab4.txt")));
}

TEST_F(OpenSave, ReplacesAnExistingFile) {
    const std::string file = dir.File("old.txt");
    WriteBytes(file, std::string(5000, 'x'));
    tk.pages.SaveListText(file);
    EXPECT_EQ(ReadBytes(file), "Startzeit\tSt.Nr.\tName\tPferd\tClub\tOrt\t\r\n \t \t \t \t \t \t\r\n");
}

TEST_F(OpenSave, UnwritableTargetsWriteNothingAndSaySo) {
    FillStartList();
    std::filesystem::create_directory(dir.File("folder.txt"));
    std::vector<std::string> expected;
    for (const std::string& target : {dir.File("no/such/folder/x.txt"), dir.File("folder.txt")}) {
        host.saveAnswers.push_back(target);
        tk.sbSaveClick();
        tk.pages.SaveListText(target);
        expected.insert(expected.end(), 2, "Liste nicht gespeichert: " + target);
    }
    host.saveAnswers.push_back(std::string()); // an empty answer is no choice: nothing to say
    tk.sbSaveClick();
    tk.pages.SaveListText("");
    expected.push_back("Liste nicht gespeichert: ");
    EXPECT_FALSE(std::filesystem::exists(dir.File("no")));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder.txt")));
    EXPECT_EQ(host.messages, expected);
    EXPECT_EQ(tk.startList.SortGrid1.Cells(2, 1), "Müller");
    EXPECT_EQ(tk.startList.SortGrid1.RowCount(), 3);
}

TEST_F(OpenSave, AFullDiskLeavesTheOldFileWhole) {
    if (!FileSizeLimit::Available()) {
        GTEST_SKIP() << "no file size limit on this platform";
    }
    const std::string file = dir.File("Protokoll.txt");
    WriteBytes(file, kSavedStartList);
    FillStartList();
    tk.startList.SortGrid1.SetRowCount(120);
    for (int r = 3; r < 120; ++r) {
        tk.startList.SortGrid1.SetCell(2, r, "Reiter " + std::to_string(r));
    }
    {
        FileSizeLimit full(1000); // the list needs about 2,000 bytes: the write stops part-way
        host.saveAnswers.push_back(file);
        tk.sbSaveClick();
    }
    EXPECT_EQ(ReadBytes(file), kSavedStartList);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "a temporary file was left";
    EXPECT_EQ(host.messages, std::vector<std::string>{"Liste nicht gespeichert: " + file});
    // The program goes on: with room again, the same save writes the list.
    tk.pages.SaveListText(file);
    EXPECT_EQ(ReadBytes(file), FormatListText(tk.startList.SortGrid1));
    EXPECT_EQ(host.messages.size(), 1u);
}

// A saved list of 4,000 bytes, and a longer one to save over it.
class SaveOverOldList : public OpenSave {
protected:
    void SetUp() override {
        old = std::string(3998, 'x') + "\r\n";
        WriteBytes(file, old);
        FillStartList();
        tk.startList.SortGrid1.SetRowCount(200);
        for (int r = 3; r < 200; ++r) {
            tk.startList.SortGrid1.SetCell(2, r, "Reiter " + std::to_string(r));
        }
        ASSERT_GT(FormatListText(tk.startList.SortGrid1).size(), 4096u);
    }
    std::size_t FilesInFolder() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.path()), {}));
    }
    const std::string file = dir.File("Protokoll.txt");
    std::string old;
};

TEST_F(SaveOverOldList, AFailedStepKeepsTheOldFileAndSaysSo) {
    for (const FileFaultCase& c : kFaultsThatKeepTheOldFile) {
        host.messages.clear();
        {
            ScopedFileFault fault(c.fault);
            host.saveAnswers.push_back(file);
            tk.sbSaveClick();
        }
        EXPECT_EQ(ReadBytes(file), old) << c.what;
        EXPECT_EQ(FilesInFolder(), 1u) << c.what << ": a temporary file was left";
        EXPECT_EQ(host.messages, std::vector<std::string>{"Liste nicht gespeichert: " + file}) << c.what;
        EXPECT_EQ(tk.startList.SortGrid1.RowCount(), 200) << c.what;
    }
    // The program goes on: the fault gone, the same save writes the list and says nothing.
    host.messages.clear();
    tk.pages.SaveListText(file);
    EXPECT_EQ(ReadBytes(file), FormatListText(tk.startList.SortGrid1));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(SaveOverOldList, AFolderRefusingNewFilesIsWrittenInPlace) {
    for (const FileFaultCase& c : kPermissionRefusals) {
        WriteBytes(file, old);
        host.messages.clear();
        {
            ScopedFileFault fault(c.fault);
            tk.pages.SaveListText(file);
        }
        EXPECT_EQ(ReadBytes(file), FormatListText(tk.startList.SortGrid1)) << c.what;
        EXPECT_EQ(FilesInFolder(), 1u) << c.what;
        EXPECT_TRUE(host.messages.empty()) << c.what;
    }
}

// Only the tabs that have a list to save can fail; "Vielseitigkeit" writes nothing and says nothing.
TEST_F(SaveOverOldList, TheEventingTabIsNoFailedSave) {
    ScopedFileFault fault({Step::CreateTemporary, ENOSPC});
    tk.pages.ActiveTab = kTabEventing;
    tk.pages.SaveListText(file);
    EXPECT_TRUE(host.messages.empty());
    tk.pages.ActiveTab = kTabResults;
    tk.pages.SaveListText(file);
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(ReadBytes(file), old);
}

TEST_F(OpenSave, SaveCommandAddsTheExtensionAndFollowsTheFolder) {
    FillStartList();
    std::filesystem::create_directory(dir.File("sub"));
    host.saveAnswers.push_back(dir.File("sub/protokoll"));
    tk.sbSaveClick();
    EXPECT_EQ(ReadBytes(dir.File("sub/protokoll.txt")), kSavedStartList);
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::canonical(dir.File("sub")));

    // A relative name is taken against the new current directory; a given extension stays.
    host.saveAnswers.push_back("liste.csv");
    tk.sbSaveClick();
    EXPECT_TRUE(std::filesystem::exists(dir.File("sub/liste.csv")));
}

TEST_F(OpenSave, SavingOntoTheWatchedStartListAsksFirst) {
    FillStartList();
    tk.startList.StartListWatchPath = dir.File("Starterliste.txt");
    std::error_code noLinks; // Windows without the right to make links, or wine, has none
    std::filesystem::create_symlink(dir.File("Starterliste.txt"), dir.File("link.txt"), noLinks);
    const struct {
        const char* chosen; // with an answer "Ja" or "Nein"; other files are not asked about
        bool answer, asked;
    } cases[] = {{"Starterliste.txt", false, true},
                 {"link.txt", false, true},
                 {"Starterliste.txt", true, true},
                 {"andere.txt", false, false}};
    for (const auto& c : cases) {
        if (noLinks && std::string(c.chosen) == "link.txt") {
            continue;
        }
        WriteBytes(dir.File("Starterliste.txt"), "old");
        host.questions.clear();
        host.yesNoAnswers = {c.answer};
        host.saveAnswers.push_back(dir.File(c.chosen));
        tk.sbSaveClick();
        EXPECT_EQ(host.questions,
                  c.asked ? Cells{"Die Starterliste " + std::string(c.chosen) + " überschreiben?"} : Cells{});
        EXPECT_EQ(ReadBytes(dir.File(c.chosen)) == kSavedStartList, c.answer || !c.asked) << c.chosen;
    }
}

TEST_F(OpenSave, SaveCommandIsNotOfferedEverywhere) {
    host.saveAnswers.push_back(dir.File("a.txt"));
    tk.sbSaveClick(); // cancelled dialog next
    host.saveAnswers.push_back(std::nullopt);
    tk.sbSaveClick();
    EXPECT_EQ(host.saveTitles.size(), 2u);

    tk.pages.ActiveTab = kTabEventing;
    tk.sbSaveClick();
    tk.pages.ActiveTab = kTabStartList;
    tk.pages.Commands.sbSave = tk.pages.Commands.eS1 = false;
    tk.sbSaveClick();
    EXPECT_EQ(host.saveTitles.size(), 2u);
}

TEST_F(OpenSave, SavedStartListComesBackCellForCell) {
    FillStartList();
    const std::string file = dir.File("rt.txt");
    tk.pages.SaveListText(file);
    host.openAnswers.push_back(file);
    tk.sbLoadClick();

    ASSERT_EQ(tk.startList.SortGrid1.RowCount(), 3);
    EXPECT_EQ(Row1(0), (Cells{"Startzeit", "St.Nr.", "Name", "Pferd", "Club", "Ort"}));
    EXPECT_EQ(Row1(1), (Cells{"9:30", "12", "Müller", " ", "Club A", "Town A"}));
    EXPECT_EQ(Row1(2), (Cells{"9:35", "14", "Rider B", "Horse B", " ", "Zürich"}));

    // Saved again, the file is byte for byte the same.
    const std::string again = dir.File("rt2.txt");
    tk.pages.SaveListText(again);
    EXPECT_EQ(ReadBytes(again), ReadBytes(file));
}

TEST_F(OpenSave, CharactersWindows1252LacksAreSavedAsUtf8AndComeBack) {
    FillStartList();
    tk.startList.SortGrid1.SetCell(2, 1, "Łukasz Ÿϋ €"); // Ł and ϋ are not in Windows-1252, Ÿ and € are
    const std::string file = dir.File("utf8.txt");
    tk.pages.SaveListText(file);
    EXPECT_TRUE(ReadBytes(file).starts_with("\xEF\xBB\xBF"
                                            "Startzeit\t"))
        << "UTF-8 with its byte-order mark";
    host.openAnswers.push_back(file);
    tk.sbLoadClick();
    EXPECT_EQ(Row1(1), (Cells{"9:30", "12", "Łukasz Ÿϋ €", " ", "Club A", "Town A"}));

    // Windows-1252 bytes that read as UTF-8 ("Ã¤" is C3 A4, "ä" in UTF-8, and nothing else in the
    // list is beyond ASCII) are written as UTF-8 too.
    tk.startList.SortGrid1.SetCell(2, 1, "MÃ¤ller");
    tk.startList.SortGrid1.SetCell(5, 2, "Zurich");
    tk.pages.SaveListText(file);
    EXPECT_TRUE(ReadBytes(file).starts_with("\xEF\xBB\xBF"));
    host.openAnswers.push_back(file);
    tk.sbLoadClick();
    EXPECT_EQ(tk.startList.SortGrid1.Cells(2, 1), "MÃ¤ller");

    // A first cell whose Windows-1252 bytes are a UTF-16 byte-order mark ("þÿ" is FE FF, "ÿþ"
    // FF FE) would open as UTF-16: UTF-8 as well.
    for (const char* first : {"þÿ±", "ÿþ"}) {
        tk.startList.SortGrid1.SetCell(0, 0, first);
        tk.pages.SaveListText(file);
        EXPECT_TRUE(ReadBytes(file).starts_with("\xEF\xBB\xBF")) << first;
        host.openAnswers.push_back(file);
        tk.sbLoadClick();
        EXPECT_EQ(tk.startList.SortGrid1.Cells(0, 0), first);
    }
}

TEST_F(OpenSave, ACellHoldingATabIsSavedQuotedAndComesBack) {
    // Read from a quoted field, a cell may hold a TAB.
    const std::string file = dir.File("tab.csv");
    WriteBytes(file, "Startzeit\tSt.Nr.\tName\r\n9:30\t12\t\"Anna\tM\"\"\"\r\n");
    host.openAnswers.push_back(file);
    tk.sbLoadClick();
    ASSERT_EQ(tk.startList.SortGrid1.Cells(2, 1), "Anna\tM\"");
    const std::string saved = dir.File("tab.txt");
    tk.pages.SaveListText(saved);
    host.openAnswers.push_back(saved);
    tk.sbLoadClick();
    EXPECT_EQ(Row1(1), (Cells{"9:30", "12", "Anna\tM\"", " ", " ", " "}));
}

TEST_F(OpenSave, SavedResultsOpenIntoTheStartList) {
    FillResults();
    tk.pages.ActiveTab = kTabResults;
    const std::string file = dir.File("ergebnisse.txt");
    tk.pages.SaveListText(file);
    const std::string kResultsQuestion = "Gespeicherte Ergebnisliste – trotzdem als Starterliste öffnen?";
    // "Nein" opens nothing; with recorded times it is asked before the protocol question.
    tk.registrations.SortGrid2.SetCell(1, 1, "09:30:00,0");
    host.openAnswers.push_back(file);
    tk.sbLoadClick();
    EXPECT_EQ(host.questions, Cells{kResultsQuestion});
    EXPECT_EQ(tk.results.SortGrid4.Cells(1, 1), "14");
    host.questions.clear();
    host.openAnswers.push_back(file);
    host.yesNoAnswers = {true, true};
    tk.sbLoadClick();
    EXPECT_EQ(host.questions, (Cells{kResultsQuestion, "Protokoll überschreiben?"}));

    EXPECT_EQ(tk.pages.ActiveTab, kTabStartList);
    EXPECT_TRUE(tk.pages.Commands.sbSave && tk.pages.Commands.eS1 && tk.pages.Commands.sbCLS &&
                tk.pages.Commands.sbDelLine);
    EXPECT_EQ(Row1(0), (Cells{"Platz", "St.Nr.", "Name", "Pferd", "Club", "Ort"}));
    EXPECT_EQ(Row1(1), (Cells{"1.", "14", "Rider B", "Horse B", " ", "Zürich"}));
    EXPECT_EQ(tk.startList.cbNr.Items, (Cells{"14", "12"}));
    EXPECT_TRUE(tk.results.SortGrid4.IsBlankRow(1)); // opening cleared the results
}

TEST_F(OpenSave, StDotCaptionIsReadBackWithoutStartTimes) {
    FillStartList();
    tk.startList.SortGrid1.SetCell(0, 0, "St.Zeit");
    const std::string file = dir.File("st.txt");
    tk.pages.SaveListText(file);
    tk.LoadStartList(file);
    EXPECT_EQ(Row1(0), (Cells{"St.Zeit", "St.Zeit", "St.Nr.", "Name", "Pferd", "Club"}));
    EXPECT_EQ(Row1(1), (Cells{"9:30", "9:30", "12", "Müller", " ", "Club A"}));
    EXPECT_EQ(tk.startList.SortGrid1.Cells(0, 2), "9:35");
}

TEST_F(OpenSave, OpenWithEmptyTimeListsDoesNotAsk) {
    FillStartList();
    tk.registrations.Edit1 = "Müller";
    const std::string file = dir.File("folder/Start.txt");
    std::filesystem::create_directory(dir.File("folder"));
    WriteBytes(file, "Startzeit;St.Nr.\n9:30;7\n");
    host.openAnswers.push_back(file);
    tk.sbLoadClick();

    EXPECT_TRUE(host.questions.empty());
    EXPECT_EQ(tk.startList.cbNr.Items, (Cells{"7"}));
    EXPECT_EQ(tk.registrations.Edit1, "");
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::canonical(dir.File("folder")));
    EXPECT_FALSE(host.busy);
    EXPECT_TRUE(host.timer1);
}

TEST_F(OpenSave, OpenGivesTheWatchedFileItsFullName) {
    std::filesystem::current_path(dir.path());
    WriteBytes("rel.txt", "Startzeit;St.Nr.\n9:30;7\n");
    host.openAnswers.push_back("rel.txt");
    tk.sbLoadClick();
    EXPECT_TRUE(std::filesystem::path(tk.startList.StartListFileName()).is_absolute());
    EXPECT_EQ(std::filesystem::path(tk.startList.StartListFileName()).filename(), "rel.txt");
    EXPECT_EQ(ReadBytes(tk.startList.StartListFileName()), "Startzeit;St.Nr.\n9:30;7\n");
}

TEST_F(OpenSave, CancelledOpenChangesNothing) {
    FillStartList();
    host.openAnswers.push_back(std::nullopt);
    tk.sbLoadClick();
    EXPECT_EQ(tk.startList.SortGrid1.RowCount(), 3);
    EXPECT_TRUE(host.questions.empty());
}

// Recorded times are only given up when the operator says "Ja".
struct RecordedCase {
    const char* name;
    int grid; // 2 or 3
    bool answer;
};

class OpenOverRecordedTimes : public OpenSave, public ::testing::WithParamInterface<RecordedCase> {};

TEST_P(OpenOverRecordedTimes, AsksFirst) {
    FillStartList();
    TSortGrid& times = GetParam().grid == 2 ? tk.registrations.SortGrid2 : tk.registrations.SortGrid3;
    times.SetRowCount(3);
    times.SetCell(1, 2, "09:30:04,7"); // row 1 blank, row 2 recorded
    const std::string file = dir.File("neu.txt");
    WriteBytes(file, "Startzeit;St.Nr.\n9:30;7\n");
    host.openAnswers.push_back(file);
    host.yesNoAnswers.push_back(GetParam().answer);
    tk.sbLoadClick();

    EXPECT_EQ(host.questions, (Cells{"Protokoll überschreiben?"}));
    if (GetParam().answer) {
        EXPECT_EQ(times.RowCount(), 2);
        EXPECT_TRUE(times.IsBlankRow(1));
        EXPECT_EQ(tk.startList.cbNr.Items, (Cells{"7"}));
        EXPECT_EQ(tk.startList.StartListFileName(), file);
    } else {
        EXPECT_EQ(times.Cells(1, 2), "09:30:04,7");
        EXPECT_EQ(tk.startList.SortGrid1.Cells(2, 1), "Müller");
        EXPECT_EQ(tk.startList.StartListFileName(), "Starterliste.txt");
    }
}

INSTANTIATE_TEST_SUITE_P(Lists, OpenOverRecordedTimes,
                         ::testing::Values(RecordedCase{"StartTimesNo", 2, false},
                                           RecordedCase{"StartTimesYes", 2, true},
                                           RecordedCase{"StopTimesNo", 3, false},
                                           RecordedCase{"StopTimesYes", 3, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(OpenSave, OpenOfAnUnreadableFileLeavesAllListsCleared) {
    FillStartList();
    FillResults();
    host.openAnswers.push_back(dir.File("gone.txt"));
    tk.sbLoadClick();
    EXPECT_EQ(tk.startList.SortGrid1.RowCount(), 2);
    EXPECT_TRUE(tk.startList.SortGrid1.IsBlankRow(1));
    EXPECT_TRUE(tk.results.SortGrid4.IsBlankRow(1));
    EXPECT_TRUE(tk.startList.cbNr.Items.empty());
    EXPECT_EQ(tk.startList.StartListFileName(), "Starterliste.txt");
}

// The save and open dialogs change the current directory; the start list named relatively at
// start-up stays the watched one, under the folder the program started in.
TEST_F(OpenSave, SaveIntoAnotherFolderKeepsWatchingTheStartList) {
    namespace fs = std::filesystem;
    fs::create_directory(dir.File("event"));
    fs::create_directory(dir.File("stick"));
    fs::current_path(dir.File("event"));
    WriteBytes("Starterliste.txt", "Startzeit;St.Nr.;Name\n9:30;7;Anna\n9:35;8;Ben\n");
    std::int64_t ms = 9 * 3'600'000;
    const auto tick = [&] {
        host.now = static_cast<double>(ms += 100) / 86'400'000.0;
        tk.Timer1Timer();
    };
    tick();
    ASSERT_EQ(tk.startList.cbNr.Items, (Cells{"7", "8"}));
    EXPECT_EQ(tk.startList.StartListWatchPath, (fs::current_path() / "Starterliste.txt").string());

    host.saveAnswers.push_back(dir.File("stick/Kopie"));
    tk.sbSaveClick();
    ASSERT_EQ(fs::current_path(), fs::canonical(dir.File("stick")));
    WriteBytes(dir.File("stick/Starterliste.txt"), "Startzeit;St.Nr.;Name\n11:00;99;Other\n");
    for (int i = 0; i < 3; ++i) {
        tick();
    }
    EXPECT_EQ(tk.startList.cbNr.Items, (Cells{"7", "8"}));
    EXPECT_EQ(tk.startList.SortGrid1.Cells(2, 1), "Anna");
    EXPECT_EQ(tk.startList.StartListFileName(), "Starterliste.txt"); // stored and shown as before
    EXPECT_EQ(tk.startList.WindowCaption, "Vandoret Starterliste.txt");

    // A rewrite in the starting folder is still followed.
    WriteBytes(dir.File("event/Starterliste.txt"), "Startzeit;St.Nr.;Name\n9:30;7;Anna\n9:35;8;Ben\n9:40;5;Cleo\n");
    tick();
    tick();
    EXPECT_EQ(tk.startList.cbNr.Items, (Cells{"7", "8", "5"}));
    EXPECT_EQ(tk.startList.StartListFileName(), "Starterliste.txt");

    // Ctrl+O watches the chosen file under its full name.
    host.openAnswers.push_back("Starterliste.txt"); // in the stick's folder, the current one
    tk.sbLoadClick();
    EXPECT_EQ(tk.startList.StartListWatchPath, (fs::canonical(dir.File("stick")) / "Starterliste.txt").string());
    EXPECT_EQ(tk.startList.StartListFileName(), tk.startList.StartListWatchPath);
    fs::current_path(dir.path());
    tick();
    tick();
    EXPECT_EQ(tk.startList.cbNr.Items, (Cells{"99"}));
}

} // namespace
} // namespace vandoret::testing
