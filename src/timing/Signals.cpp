// Signal sounds, the two counters, the countdown and sound switches and the two contact locks.
#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <unordered_set>

#include "base/BlankText.h"
#include "base/NumberText.h"
#include "grid/ListColumns.h"
#include "lists/TextFile.h"
#include "results/RideStatuses.h"
#include "timing/Registrations.h"
#include "timing/SoundFiles.h"

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

void Registrations::LoadSoundFiles() {
    const std::string dir = host_.ProgramDir();
    ReadySoundFile = LocateSoundFile(dir, "Audio-Bereit.wav");
    StartSoundFile = LocateSoundFile(dir, "Audio-Start.wav");
    FinishSoundFile = LocateSoundFile(dir, "Audio-Ziel.wav");
}

void Registrations::PlaySoundFile(const std::string& path) {
    if (settings_.Sound) {
        host_.PlaySound(path);
    }
}

int Registrations::RecordedStarts() const {
    return RecordedRows(SortGrid2, SortGrid2.IsBlankRow(1));
}

Registrations::RemainingCounts Registrations::SetRemainingCounters() {
    // Riders, not rows: a number started twice is one rider; a start without a number is one.
    std::unordered_set<std::string> started;
    int unnumbered = 0;
    for (int r = 1; r < SortGrid2.RowCount(); ++r) {
        if (!SortGrid2.IsBlankRow(r)) {
            const std::string& number = SortGrid2.Cells(kStartNr, r);
            IsBlankText(number) ? static_cast<void>(++unnumbered)
                                : static_cast<void>(started.insert(std::string(StartNumberKey(number))));
        }
    }
    // A rider with a status (retired, eliminated, disqualified, not started) is neither still to
    // start nor, without a finish row, on the course.
    const RideStatuses& statuses = results_.Statuses;
    const auto& riders = startList_.cbNr.Items;
    const auto waiting = std::count_if(riders.begin(), riders.end(), [&](const std::string& n) {
        return started.count(std::string(StartNumberKey(n))) == 0 && statuses.Of(n) == RideStatus::None;
    });
    const int finishRows = RecordedRows(SortGrid3, IsBlankText(SortGrid3.Cells(kStopRowNr, 1)));
    int stoppedOnCourse = 0;
    if (!statuses.All().empty()) {
        std::unordered_set<std::string> finished;
        for (int r = 1; r < SortGrid3.RowCount(); ++r) {
            finished.insert(std::string(StartNumberKey(SortGrid3.Cells(kStopNr, r))));
        }
        stoppedOnCourse = static_cast<int>(std::count_if(started.begin(), started.end(), [&](const std::string& n) {
            return statuses.Of(n) != RideStatus::None && finished.count(n) == 0;
        }));
    }
    const RemainingCounts counts{static_cast<int>(waiting),
                                 static_cast<int>(started.size()) + unnumbered - finishRows - stoppedOnCourse};
    LabOstalosStart = counts.toStart < 0 ? std::string() : std::to_string(counts.toStart);
    LabOstalosStop = counts.onCourse < 0 ? std::string() : std::to_string(counts.onCourse);
    return counts;
}

void Registrations::UpdateRemainingCounters() {
    const auto [toStart, onCourse] = SetRemainingCounters();
    if (toStart <= 0 && CounterOn) {
        ImageStatusClick();
    }
    if (onCourse < 0) {
        TextStopTime = kNoFinishTime;
    }
}

void Registrations::ImageStatusClick() {
    CounterOn = !CounterOn;
    if (!CounterOn) {
        CancelAutoStart(); // every switch-off, by hand or after the last start
    }
    ++IndicatorRevision;
    JournalSelection();
}

void Registrations::ImageSoundClick() {
    settings_.Sound = !settings_.Sound;
    ++IndicatorRevision;
}

void Registrations::ImageLSClick(LockIndicator which) {
    bool& free = which == LockIndicator::Start ? StartContactFree : FinishContactFree;
    free = !free;
    ++IndicatorRevision;
}

} // namespace vandoret
