// The open and save commands with their file dialogs.
#include <exception>
#include <filesystem>
#include <system_error>

#include "lists/StartListParser.h"
#include "lists/TextFile.h"
#include "timing/Timekeeper.h"

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

} // namespace

void Timekeeper::sbSaveClick() {
    if ((!Commands.sbSave && !Commands.eS1) || ActiveTab == kTabEventing) {
        return;
    }
    const std::optional<std::string> chosen = host().SaveFileDialog("", "", kTextFiles);
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
        if (SameFile(name, StartListWatchPath) &&
            !host().AskYesNo("Die Starterliste " + PathToUtf8(PathFromUtf8(name).filename()) + " überschreiben?")) {
            return;
        }
    } catch (const std::exception&) {
        // Names that cannot be compared are different files.
    }
    SaveListText(name);
}

void Timekeeper::sbLoadClick() {
    const std::optional<std::string> chosen = host().OpenFileDialog("", kTextFiles);
    if (!chosen || chosen->empty()) {
        return;
    }
    // A saved results list reads as a start list whose places become start times.
    std::string caption;
    try {
        caption = FirstCaption(*chosen, locale());
    } catch (const std::exception&) {
        // Unreadable: the load finds out.
    }
    if (caption == "Platz" &&
        !host().AskYesNo("Gespeicherte Ergebnisliste – trotzdem als Starterliste öffnen?")) {
        return;
    }
    // Opening clears every list: recorded times are only given up on "Ja".
    if ((HoldsRecordedTimes(SortGrid2) || HoldsRecordedTimes(SortGrid3)) &&
        !host().AskYesNo("Protokoll überschreiben?")) {
        return;
    }
    std::string name = *chosen;
    try {
        name = AdoptChosenFile(name);
    } catch (const std::exception&) {
        // Load the name as chosen.
    }
    host().SetBusyCursor(true);
    sbCLSClick(false);
    LoadStartList(name);
    if (journal) {
        journal->ProtocolOpened(name);
    }
    Edit1.clear();
    const int next = FindNextPlannedStart();
    cbNr.ItemIndex = next >= 0 && next < cbNr.Count() ? next : -1;
    cbNrChange();
    // Clearing switched the countdown off; as at start-up, a list of more than one rider switches
    // it on again, so automatic starts go on with the opened list.
    if (SortGrid1.RowCount() > 2 && !CounterOn) {
        ImageStatusClick();
    }
    host().SetBusyCursor(false);
}

} // namespace vandoret
