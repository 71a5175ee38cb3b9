// The open and save commands with their file dialogs.
#include <exception>
#include <filesystem>
#include <system_error>

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
    SaveListText(name);
}

void Timekeeper::sbLoadClick() {
    const std::optional<std::string> chosen = host().OpenFileDialog("", kTextFiles);
    if (!chosen || chosen->empty()) {
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
