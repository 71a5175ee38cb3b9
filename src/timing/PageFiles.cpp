// The open and save commands with their file dialogs, loading the start list, and the results
// web page.
#include <exception>
#include <filesystem>
#include <functional>
#include <system_error>
#include <utility>

#include "lists/ListWriter.h"
#include "lists/StartListParser.h"
#include "lists/TextFile.h"
#include "reports/ResultsPage.h"
#include "results/Rules.h"
#include "timing/Pages.h"

namespace vandoret {
namespace {

const std::vector<FileFilter> kTextFiles = {{"Text file (*.txt)", "*.txt"}};

// The dialog's choice as a full name; the folder of the file becomes the current directory, as
// the file dialogs of the platform do.
std::string AdoptChosenFile(const std::string& chosen) {
    std::error_code ec;
    std::filesystem::path path = std::filesystem::absolute(PathFromUtf8(chosen), ec);
    if (ec) {
        path = PathFromUtf8(chosen);
    }
    if (path.has_parent_path()) {
        std::filesystem::current_path(path.parent_path(), ec); // a folder that vanished stays unchanged
    }
    return PathToUtf8(path);
}

// True when both names lead to the same file, links resolved; a file not there yet is compared by
// its resolved name.
bool SameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) {
        return false;
    }
    std::error_code ec;
    const std::filesystem::path pa = PathFromUtf8(a), pb = PathFromUtf8(b);
    if (std::filesystem::equivalent(pa, pb, ec) && !ec) {
        return true;
    }
    const std::filesystem::path ca = std::filesystem::weakly_canonical(pa, ec);
    if (ec) {
        return false;
    }
    const std::filesystem::path cb = std::filesystem::weakly_canonical(pb, ec);
    return !ec && ca == cb;
}

// The first caption of a list file; empty when it cannot be read.
std::string FirstCaption(const std::string& fileName, const Locale& locale) {
    std::string bytes;
    if (ReadWholeFile(fileName, bytes) == ReadOutcome::NotOpened) {
        return {};
    }
    StartListReader reader(bytes, StartListLayout{"", 570, 5, locale});
    StartListRow row;
    return reader.Next(row) ? row[0] : std::string();
}

bool HoldsRecordedTimes(const TSortGrid& grid) {
    for (int r = 1; r < grid.RowCount(); ++r) {
        if (!grid.IsBlankRow(r)) {
            return true;
        }
    }
    return false;
}

// Sets the command states, turns Timer1 on and the busy pointer off when the load ends, however
// it ends.
class LoadBracket {
public:
    LoadBracket(Host& host, std::function<void()> after) : host_(host), after_(std::move(after)) {}
    LoadBracket(const LoadBracket&) = delete;
    LoadBracket& operator=(const LoadBracket&) = delete;
    ~LoadBracket() {
        after_();
        host_.SetBusyCursor(false);
        host_.SetTimer1Enabled(true);
    }

private:
    Host& host_;
    std::function<void()> after_;
};

} // namespace

void Pages::sbSaveClick() {
    if ((!Commands.sbSave && !Commands.eS1) || ActiveTab == kTabEventing) {
        return;
    }
    const std::optional<std::string> chosen = host_.SaveFileDialog("", "", kTextFiles);
    if (!chosen || chosen->empty()) {
        return;
    }
    std::string name = *chosen;
    try {
        if (!PathFromUtf8(name).has_extension()) {
            name += ".txt";
        }
        name = AdoptChosenFile(name);
    } catch (const std::exception&) {
        // Keep the name as chosen.
    }
    try {
        // The start list the watch reads is only replaced on "Ja"; other files without a question.
        if (SameFile(name, startList_.StartListWatchPath) &&
            !host_.AskYesNo("Die Starterliste " + PathToUtf8(PathFromUtf8(name).filename()) + " überschreiben?")) {
            return;
        }
    } catch (const std::exception&) {
        // Names that cannot be compared are different files.
    }
    SaveListText(name);
}

void Pages::sbLoadClick() {
    const std::optional<std::string> chosen = host_.OpenFileDialog("", kTextFiles);
    if (!chosen || chosen->empty()) {
        return;
    }
    OpenChosenFile(*chosen);
}

void Pages::OpenStartListFile(const std::string& name) {
    // The dialog only offers files that are there; a name from outside may be wrong.
    std::error_code missing;
    if (name.empty() || !std::filesystem::is_regular_file(PathFromUtf8(name), missing)) {
        host_.ShowMessage("Starterliste nicht gefunden: " + name);
        return;
    }
    OpenChosenFile(name);
}

void Pages::OpenChosenFile(const std::string& chosen) {
    // A saved results list reads as a start list whose places become start times.
    std::string caption;
    try {
        caption = FirstCaption(chosen, locale_);
    } catch (const std::exception&) {
        // Unreadable: the load finds out.
    }
    if (caption == "Platz" && !host_.AskYesNo("Gespeicherte Ergebnisliste – trotzdem als Starterliste öffnen?")) {
        return;
    }
    // Opening clears every list: recorded times are only given up on "Ja".
    if ((HoldsRecordedTimes(registrations_.SortGrid2) || HoldsRecordedTimes(registrations_.SortGrid3)) &&
        !host_.AskYesNo("Protokoll überschreiben?")) {
        return;
    }
    std::string name = chosen;
    try {
        name = AdoptChosenFile(name);
    } catch (const std::exception&) {
        // Load the name as chosen.
    }
    host_.SetBusyCursor(true);
    sbCLSClick(false);
    LoadStartList(name);
    if (registrations_.journal) {
        registrations_.journal->ProtocolOpened(name);
    }
    registrations_.Edit1.clear();
    const int next = startList_.FindNextPlannedStart();
    NumberList& cbNr = startList_.cbNr;
    cbNr.ItemIndex = next >= 0 && next < cbNr.Count() ? next : -1;
    registrations_.cbNrChange();
    // Clearing switched the countdown off; as at start-up, a list of more than one rider switches
    // it on again, so automatic starts go on with the opened list.
    if (startList_.SortGrid1.RowCount() > 2 && !registrations_.CounterOn) {
        registrations_.ImageStatusClick();
    }
    host_.SetBusyCursor(false);
}

void Pages::SaveListText(const std::string& fileName) {
    const TSortGrid* grid = nullptr;
    switch (ActiveTab) {
    case kTabStartList:
    case kTabStartTimes:
        grid = &startList_.SortGrid1;
        break;
    case kTabStopTimes:
    case kTabResults:
        grid = &results_.SortGrid4;
        break;
    default:
        return; // "Vielseitigkeit" is never written
    }
    bool saved = false;
    try {
        saved = ReplaceWholeFile(fileName, FormatListText(*grid)); // the old file stays whole if not
    } catch (const std::exception&) {
    }
    if (saved) {
        registrations_.JournalSaved(grid == &results_.SortGrid4, fileName);
    } else {
        host_.ShowMessage(SaveFailedMessage(fileName));
    }
}

void Pages::LoadStartList(const std::string& fileName) {
    LoadStartList(fileName, FullName(fileName));
}

void Pages::LoadStartList(const std::string& fileName, const std::string& path) {
    host_.SetTimer1Enabled(false);
    LoadBracket bracket(host_, [this] { UpdateCommandStates(); }); // a full list can be saved, an empty one not
    if (startList_.Read(fileName, path) != StartList::LoadOutcome::Loaded) {
        return;
    }
    try {
        registrations_.ListLoaded();
    } catch (const std::exception&) {
        // The list is in; the clock panel follows with the next choice of a rider.
    }
}

void Pages::sbHTMLClick(int tag) {
    PublishResultsPage(host_, results_.SortGrid4, tag, RulesHeading(results_.ResultSettings()), HoldRows(results_));
}

} // namespace vandoret
