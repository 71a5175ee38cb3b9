// Loading the start list file into the start list and the number list.
#include <algorithm>
#include <exception>

#include "lists/StartListParser.h"
#include "lists/TextFile.h"
#include "timing/Timekeeper.h"

namespace vandoret {
namespace {

// Rows beyond this are not read: the list's row numbers are ints.
constexpr std::size_t kMaxRows = 0x7FFFFFF0;

// Turns Timer1 on and the busy pointer off when the load ends, however it ends.
class LoadBracket {
public:
    explicit LoadBracket(Host& host) : host_(host) {}
    LoadBracket(const LoadBracket&) = delete;
    LoadBracket& operator=(const LoadBracket&) = delete;
    ~LoadBracket() {
        host_.SetBusyCursor(false);
        host_.SetTimer1Enabled(true);
    }

private:
    Host& host_;
};

} // namespace

void Timekeeper::LoadStartList(const std::string& fileName) {
    Host& h = host();
    h.SetTimer1Enabled(false);
    LoadBracket bracket(h);
    try {
        const std::string caption0 = SortGrid1.Cells(0, 0);
        SortGrid1.SetRowCount(2);
        SortGrid1.BlankRow(1);
        h.ProcessMessages();
        h.SetBusyCursor(true);

        std::string bytes;
        const ReadOutcome outcome = ReadWholeFile(fileName, bytes);
        if (outcome == ReadOutcome::NotOpened) {
            return;
        }
        StartListReader reader(bytes, StartListLayout{caption0, settings.StartClock, settings.StartInt, locale()});
        const std::size_t lines = std::min(reader.LineCount(), kMaxRows);
        if (lines > 2) {
            SortGrid1.SetRowCount(static_cast<int>(lines));
        }
        StartListRow cells;
        for (std::size_t row = 0; row < lines && reader.Next(cells); ++row) {
            for (int c = 0; c < kStartListColumns; ++c) {
                SortGrid1.SetCell(c, static_cast<int>(row), std::move(cells[static_cast<std::size_t>(c)]));
            }
        }
        if (outcome == ReadOutcome::ReadFailed) {
            return; // the rows read so far stay; the number list is not refreshed
        }

        RefreshNumberList();
        cbNrChange();
        LabOstalosStart = std::to_string(cbNr.Count());
        settings.BaseName = fileName;
        WindowCaption = h.ApplicationTitle() + " " + fileName;
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
