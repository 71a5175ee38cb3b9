// The start list reader: any file bytes become a start list and a number list.
//
// Checked: the list has at least two rows and at most six columns of text; no cell holds a line
// end, a TAB or the Ctrl+Z that ends the data, and every cell is UTF-8; what the list holds is
// what the row-by-row reader gives for the same bytes; item k of the number list is the text of
// row k + 1, column 1.
#include <string>

#include "FuzzSupport.h"
#include "fakes/FakeHost.h"
#include "lists/StartListParser.h"
#include "lists/TextFile.h"
#include "timing/Timekeeper.h"

using namespace vandoret;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    static const std::string file = (fuzz::ScratchFolder() / "Starterliste.txt").string();
    if (!WriteWholeFile(file, bytes)) {
        return 0;
    }
    testing::FakeHost host;
    Timekeeper tk(host);
    // Planned starts generated for a list without times: from the first bytes, so they vary.
    tk.settings.StartClock = size > 0 ? data[0] * 7 : 570;
    tk.settings.StartInt = size > 1 ? data[1] % 16 - 3 : 5;
    const std::string caption0 = tk.startList.SortGrid1.Cells(0, 0);
    tk.LoadStartList(file);

    const TSortGrid& grid = tk.startList.SortGrid1;
    FUZZ_CHECK(grid.RowCount() >= 2, "the start list has at least two rows");
    FUZZ_CHECK(grid.ColCount() <= kStartListColumns, "the start list has at most six columns");
    for (int r = 0; r < grid.RowCount(); ++r) {
        for (int c = 0; c < grid.ColCount(); ++c) {
            const std::string& cell = grid.Cells(c, r);
            FUZZ_CHECK(cell.find_first_of("\r\n\x1A") == std::string::npos, "a cell holds no line end and no Ctrl+Z");
            FUZZ_CHECK(fuzz::IsUtf8(cell), "a cell is UTF-8");
        }
    }

    // The list against the reader on its own.
    const std::vector<StartListRow> rows =
        ParseStartList(bytes, StartListLayout{caption0, tk.settings.StartClock, tk.settings.StartInt, tk.locale()});
    if (!rows.empty()) {
        const int expectedRows = std::max<int>(static_cast<int>(rows.size()), 2);
        FUZZ_CHECK(grid.RowCount() == expectedRows, "one list row per line");
        for (std::size_t r = 0; r < rows.size(); ++r) {
            for (int c = 0; c < kStartListColumns; ++c) {
                FUZZ_CHECK(grid.Cells(c, static_cast<int>(r)) == rows[r][static_cast<std::size_t>(c)],
                           "the list holds what the reader gives");
            }
        }
        FUZZ_CHECK(tk.startList.StartListWatchPath.find("Starterliste.txt") != std::string::npos,
                   "the file is watched");
    }

    // The number list.
    FUZZ_CHECK(tk.startList.cbNr.Count() == grid.RowCount() - 1, "one number per data row");
    for (int k = 0; k < tk.startList.cbNr.Count(); ++k) {
        FUZZ_CHECK(tk.startList.cbNr.Items[static_cast<std::size_t>(k)] == grid.Cells(1, k + 1),
                   "item k of the number list is row k + 1, column 1");
    }
    FUZZ_CHECK(tk.startList.cbNr.ItemIndex >= -1 && tk.startList.cbNr.ItemIndex < tk.startList.cbNr.Count(),
               "the selection is a number or none");
    return 0;
}
