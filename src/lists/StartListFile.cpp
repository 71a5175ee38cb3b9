// Loading the start list file into the start list and the number list.
#include <algorithm>
#include <exception>
#include <filesystem>
#include <functional>
#include <span>
#include <system_error>
#include <string>
#include <vector>

#include "lists/StartListParser.h"
#include "lists/TextFile.h"
#include "timing/Timekeeper.h"

namespace vandoret {
namespace {

// Rows beyond this are not read: the list's row numbers are ints.
constexpr std::size_t kMaxRows = 0x7FFFFFF0;
constexpr std::size_t kColumns = kStartListColumns;

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

// Reads the rows (row 0 the captions) from reader into rows, reusing their storage, and puts
// them into the list, which TakeRows has emptied. Should reading fail half way, the rows read so
// far are put in and the failure goes on to the caller.
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

} // namespace

void Timekeeper::ResolveStartListPath() {
    StartListWatchPath = FullName(StartListFileName());
}

void Timekeeper::LoadStartList(const std::string& fileName) {
    LoadStartList(fileName, FullName(fileName));
}

void Timekeeper::LoadStartList(const std::string& fileName, const std::string& path) {
    Host& h = host();
    h.SetTimer1Enabled(false);
    LoadBracket bracket(h, [this] { UpdateCommandStates(); }); // a full list can be saved, an empty one not
    try {
        const std::string caption0 = SortGrid1.Cells(0, 0);
        // The list is emptied at once; the rows it held are refilled below, so a reload of a list
        // of about the same size allocates next to nothing.
        std::vector<std::vector<std::string>> rows = SortGrid1.TakeRows();
        h.ProcessMessages();
        h.SetBusyCursor(true);

        std::string bytes;
        const ReadOutcome outcome = ReadWholeFile(path, bytes);
        if (outcome == ReadOutcome::NotOpened) {
            return;
        }
        StartListReader reader(bytes, StartListLayout{caption0, settings.StartClock, settings.StartInt, locale()});
        FillStartList(SortGrid1, reader, rows);
        if (outcome == ReadOutcome::ReadFailed) {
            return; // the rows read so far stay; the number list is not refreshed
        }

        RefreshNumberList();
        cbNrChange();
        if (RecordedStarts() > 0) {
            // A rewrite while the competition runs: the riders already started do not count.
            SetRemainingCounters();
        } else {
            LabOstalosStart = std::to_string(cbNr.Count());
        }
        // Copies first: either name may be the member it replaces.
        std::string name = fileName;
        std::string watched = path;
        WindowCaption = h.ApplicationTitle() + " " + name;
        settings.BaseName = std::move(name);
        StartListWatchPath = std::move(watched);
    } catch (const std::exception&) {
        // A failed load keeps what it had read; the next change of the file tries again.
    }
}

void Timekeeper::RefreshNumberList() {
    const int oldIndex = cbNr.ItemIndex < 0 ? 0 : cbNr.ItemIndex;
    const std::string oldText = cbNr.Text();
    std::vector<std::string> items;
    items.reserve(static_cast<std::size_t>(SortGrid1.RowCount() - 1));
    for (int r = 1; r < SortGrid1.RowCount(); ++r) {
        items.push_back(SortGrid1.Cells(1, r));
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

} // namespace vandoret
