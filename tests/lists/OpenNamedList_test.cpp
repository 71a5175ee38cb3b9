// A start list named from outside (the command line, a later start) opens as Ctrl+O opens a
// chosen file; the window's note follows whether the watched start list was found.
#include <filesystem>
#include <string>

#include "ListsTestSupport.h"

namespace vandoret::testing {
namespace {

using Cells = std::vector<std::string>;

class OpenNamedList : public ListsTest {};

const std::string kList = "Startzeit\tSt.Nr.\tName\r\n9:30\t12\tAnna\r\n9:35\t14\tBert\r\n";

TEST_F(OpenNamedList, OpensAsCtrlOWouldOrSaysWhatIsMissing) {
    const std::string list = dir.File("Liste.txt");
    WriteBytes(list, kList);
    std::filesystem::create_directory(dir.File("Ordner"));
    struct Case {
        const char* what;
        std::string name;
        bool recordedTimes;
        std::deque<bool> answers;
        Cells questions;
        Cells messages;
        bool opened;
    } cases[] = {
        {"a file", list, false, {}, {}, {}, true},
        {"recorded times, Nein", list, true, {false}, {"Protokoll überschreiben?"}, {}, false},
        {"recorded times, Ja", list, true, {true}, {"Protokoll überschreiben?"}, {}, true},
        {"not there",
         dir.File("Fehlt.txt"),
         true,
         {},
         {},
         {"Starterliste nicht gefunden: " + dir.File("Fehlt.txt")},
         false},
        {"a folder", dir.File("Ordner"), false, {}, {}, {"Starterliste nicht gefunden: " + dir.File("Ordner")}, false},
        {"no name", "", false, {}, {}, {"Starterliste nicht gefunden: "}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tk.sbCLSClick(false);
        host.questions.clear();
        host.messages.clear();
        host.yesNoAnswers = c.answers;
        if (c.recordedTimes) {
            tk.registrations.SortGrid2.SetCell(1, 1, "09:30:00,0");
        }
        tk.OpenStartListFile(c.name);
        EXPECT_EQ(host.questions, c.questions);
        EXPECT_EQ(host.messages, c.messages);
        EXPECT_EQ(tk.startList.cbNr.Items == (Cells{"12", "14"}), c.opened);
        // A list not opened keeps the recorded start.
        EXPECT_EQ(tk.registrations.SortGrid2.Cells(1, 1) == "09:30:00,0", c.recordedTimes && !c.opened);
        if (c.opened) {
            EXPECT_EQ(tk.startList.StartListWatchPath, list);
            EXPECT_EQ(tk.startList.WindowCaption, host.ApplicationTitle() + " " + list);
        }
    }
}

TEST_F(OpenNamedList, TheNoteFollowsTheWatchedFile) {
    std::filesystem::current_path(dir.path());
    EXPECT_FALSE(tk.startList.StartListNotFound()) << "before the watch first looked";
    tk.Timer1Timer();
    EXPECT_TRUE(tk.startList.StartListNotFound()) << "no Starterliste.txt in the folder";
    EXPECT_EQ(tk.startList.StartListWatchPath, dir.File("Starterliste.txt"));

    // Put where the program looked, the list is read and the note goes.
    WriteBytes(dir.File("Starterliste.txt"), kList);
    for (int tick = 0; tick < 3; ++tick) {
        tk.Timer1Timer();
    }
    EXPECT_FALSE(tk.startList.StartListNotFound());
    EXPECT_EQ(tk.startList.cbNr.Items, (Cells{"12", "14"}));

    // Deleted during the run: the list empties and the note is back.
    std::filesystem::remove(dir.File("Starterliste.txt"));
    for (int tick = 0; tick < 3; ++tick) {
        tk.Timer1Timer();
    }
    EXPECT_TRUE(tk.startList.StartListNotFound());

    // A list opened by name takes the note away at once.
    const std::string other = dir.File("Andere.txt");
    WriteBytes(other, kList);
    tk.OpenStartListFile(other);
    EXPECT_FALSE(tk.startList.StartListNotFound());
}

} // namespace
} // namespace vandoret::testing
