// Signal sounds, the two counters, the countdown and sound switches and the two contact locks.
#include <filesystem>
#include <string>
#include <system_error>

#include "lists/TextFile.h"
#include "base/BlankText.h"
#include "timing/SoundFiles.h"
#include "timing/Timekeeper.h"

namespace vandoret {
namespace {

// Rows a registration list holds, without the caption row. An empty list still shows one blank
// data row, the slot the next registration fills; that slot is no recorded time and counts 0.
int RecordedRows(const TSortGrid& grid, bool slotIsEmpty) {
    const int rows = grid.RowCount() - 1;
    return rows == 1 && slotIsEmpty ? 0 : rows;
}

} // namespace

std::string LocateSoundFile(const std::string& programDir, const std::string& name) {
    const auto isFile = [](const std::filesystem::path& path) {
        std::error_code ec;
        return std::filesystem::is_regular_file(path, ec) && !ec;
    };
    const std::string beside = programDir + name;
    if (isFile(PathFromUtf8(beside))) {
        return beside;
    }
    const std::filesystem::path installed = PathFromUtf8(programDir + kInstalledSoundFolder + name).lexically_normal();
    return isFile(installed) ? PathToUtf8(installed) : std::string();
}

void Timekeeper::LoadSoundFiles() {
    const std::string dir = host().ProgramDir();
    ReadySoundFile = LocateSoundFile(dir, "Audio-Bereit.wav");
    StartSoundFile = LocateSoundFile(dir, "Audio-Start.wav");
    FinishSoundFile = LocateSoundFile(dir, "Audio-Ziel.wav");
}

void Timekeeper::PlaySoundFile(const std::string& path) {
    if (settings.Sound) {
        host().PlaySound(path);
    }
}

int Timekeeper::RecordedStarts() const {
    return RecordedRows(SortGrid2, SortGrid2.IsBlankRow(1));
}

Timekeeper::RemainingCounts Timekeeper::SetRemainingCounters() {
    const int startRows = RecordedStarts();
    const int finishRows = RecordedRows(SortGrid3, IsBlankText(SortGrid3.Cells(0, 1)));
    const RemainingCounts counts{cbNr.Count() - startRows, startRows - finishRows};
    LabOstalosStart = counts.toStart < 0 ? std::string() : std::to_string(counts.toStart);
    LabOstalosStop = counts.onCourse < 0 ? std::string() : std::to_string(counts.onCourse);
    return counts;
}

void Timekeeper::UpdateRemainingCounters() {
    const auto [toStart, onCourse] = SetRemainingCounters();
    if (toStart <= 0 && CounterOn) {
        ImageStatusClick();
    }
    if (onCourse < 0) {
        TextStopTime = kNoFinishTime;
    }
}

void Timekeeper::ImageStatusClick() {
    CounterOn = !CounterOn;
    ++IndicatorRevision;
    JournalSelection();
}

void Timekeeper::ImageSoundClick() {
    settings.Sound = !settings.Sound;
    ++IndicatorRevision;
}

void Timekeeper::ImageLSClick(LockIndicator which) {
    bool& free = which == LockIndicator::Start ? StartContactFree : FinishContactFree;
    free = !free;
    ++IndicatorRevision;
}

} // namespace vandoret
