// Loading the start list file into the start list and the number list, the watch on the file and
// the eventing copy.
#include <algorithm>
#include <exception>
#include <filesystem>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include "lists/StartList.h"

#include "grid/ListColumns.h"
#include "lists/StartListParser.h"
#include "lists/TextFile.h"

namespace vandoret {
namespace {

// Rows beyond this are not read: the list's row numbers are ints.
constexpr std::size_t kMaxRows = 0x7FFFFFF0;
constexpr std::size_t kColumns = kStartListColumns;

void FillStartList(TSortGrid& grid, StartListReader& reader, std::vector<std::vector<std::string>>& rows) {
    // Cells beyond the file's six columns: row 0 keeps its captions, data cells are blank.
    const std::size_t width = std::max(static_cast<std::size_t>(grid.ColCount()), kColumns);
    std::size_t filled = 0;
    try {
        for (; filled < kMaxRows; ++filled) {
            if (filled == rows.size()) {
                rows.emplace_back();
            }
            std::vector<std::string>& row = rows[filled];
            row.resize(width);
            if (!reader.Next(std::span<std::string, kColumns>(row.data(), kColumns))) {
                break;
            }
            for (std::size_t c = kColumns; c < width; ++c) {
                row[c] = filled == 0 ? grid.Cells(static_cast<int>(c), 0) : std::string();
            }
        }
    } catch (...) {
        if (filled > 0) {
            rows.resize(filled);
            grid.AssignRows(std::move(rows));
        }
        throw;
    }
    if (filled == 0) {
        return; // an empty file: the emptied list is the result
    }
    rows.resize(filled); // AssignRows adds the blank row a file of one line leaves
    grid.AssignRows(std::move(rows));
}

// The name made absolute against the current directory; an empty name stays empty, a name that
// cannot be resolved stays as it is.
} // namespace

std::string FullName(const std::string& name) {
    if (name.empty()) {
        return name;
    }
    try {
        std::error_code ec;
        const std::filesystem::path full = std::filesystem::absolute(PathFromUtf8(name), ec);
        return ec ? name : PathToUtf8(full);
    } catch (const std::exception&) {
        return name;
    }
}

StartList::StartList(Host& host, Settings& settings, const Locale& locale)
    : host_(host), settings_(settings), locale_(locale) {
    WriteCaptions(SortGrid1, kStartListCaptions);
    WriteCaptions(SortGrid5, kEventingCaptions);
}

void StartList::ResolveStartListPath() {
    StartListWatchPath = FullName(StartListFileName());
}

StartList::LoadOutcome StartList::Read(const std::string& fileName, const std::string& path) {
    try {
        const std::string caption0 = SortGrid1.Cells(0, 0);
        // The list is emptied at once; the rows it held are refilled below, so a reload of a list
        // of about the same size allocates next to nothing.
        std::vector<std::vector<std::string>> rows = SortGrid1.TakeRows();
        host_.ProcessMessages();
        host_.SetBusyCursor(true);

        std::string bytes;
        const ReadOutcome outcome = ReadWholeFile(path, bytes);
        lastOpened_ = outcome != ReadOutcome::NotOpened;
        if (!lastOpened_) {
            return LoadOutcome::NotOpened;
        }
        StartListReader reader(bytes, StartListLayout{caption0, settings_.StartClock, settings_.StartInt, locale_});
        FillStartList(SortGrid1, reader, rows);
        if (outcome == ReadOutcome::ReadFailed) {
            return LoadOutcome::ReadFailed; // the rows read so far stay; the number list is not refreshed
        }

        RefreshNumberList();
        // Copies first: either name may be the member it replaces.
        std::string name = fileName;
        std::string watched = path;
        WindowCaption = host_.ApplicationTitle() + " " + name;
        settings_.BaseName = std::move(name);
        StartListWatchPath = std::move(watched);
        return LoadOutcome::Loaded;
    } catch (const std::exception&) {
        // A failed load keeps what it had read; the next change of the file tries again.
        return LoadOutcome::Failed;
    }
}

void StartList::RefreshNumberList() {
    const int oldIndex = cbNr.ItemIndex < 0 ? 0 : cbNr.ItemIndex;
    const std::string oldText = cbNr.Text();
    std::vector<std::string> items;
    items.reserve(static_cast<std::size_t>(SortGrid1.RowCount() - 1));
    for (int r = 1; r < SortGrid1.RowCount(); ++r) {
        items.push_back(SortGrid1.Cells(kListNr, r));
    }
    cbNr.Items = std::move(items);
    cbNr.ItemIndex = -1;
    for (int i = 0; i < cbNr.Count(); ++i) {
        if (cbNr.Items[static_cast<std::size_t>(i)] == oldText) {
            cbNr.ItemIndex = i;
            break;
        }
    }
    if (cbNr.ItemIndex < 0 && oldIndex < cbNr.Count()) {
        cbNr.ItemIndex = oldIndex;
    }
}

int StartList::FindNextPlannedStart() {
    // Whole milliseconds, so that a planned time exactly one second ago is reliably left out.
    const std::int64_t ref = ToMilliseconds(host_.CurrentTimeOfDay()) - 1000;
    std::int64_t best = 86'400'000;
    int result = -1;
    for (int r = 1; r < SortGrid1.RowCount(); ++r) {
        const auto planned = ParsePlannedStart(SortGrid1.Cells(kListPlanned, r), locale_);
        if (!planned) {
            continue;
        }
        const std::int64_t diff = ToMilliseconds(*planned) - ref;
        if (diff > 0 && diff < best) {
            best = diff;
            result = r - 1;
        }
    }
    return result;
}

std::optional<FileSignature> StartList::WatchDue() {
    if (!watchLooked_ && StartListWatchPath.empty()) {
        ResolveStartListPath(); // the first tick of the run, unless start-up did it
    }
    const FileSignature state = host_.FileState(StartListWatchPath);
    if (state == watchLoaded_) {
        watchPending_.reset();
        watchLooked_ = true;
        return std::nullopt;
    }
    // A changed file is loaded once it has stayed the same for a tick; the first look of the run
    // does not wait.
    if (watchLooked_ && watchPending_ != state) {
        watchPending_ = state;
        return std::nullopt;
    }
    watchLooked_ = true;
    watchPending_.reset();
    return state;
}

void StartList::WatchLoaded(const FileSignature& state) {
    StartListStamp = state.stamp;
    watchLoaded_ = state;
}

void StartList::CopyToEventing() {
    // The eventing list leaves out the planned start: from the start list's "St.Nr." on, each
    // column holds what its caption says.
    SortGrid5.SetRowCount(SortGrid1.RowCount());
    for (int r = 1; r < SortGrid5.RowCount(); ++r) {
        for (int c = 0; c < SortGrid5.ColCount(); ++c) {
            SortGrid5.SetCell(c, r, SortGrid1.Cells(c + kListNr, r));
        }
    }
}

} // namespace vandoret
