// Opening a saved protocol file (Ctrl+O), saving it again (Ctrl+S) and opening what was saved.
//
// Checked: whatever the file holds, the open leaves a start list of at least two rows; the save
// writes the list as its protocol text; and an open of what the save wrote gives the same cells
// (an empty cell is saved as a blank, which reads back as a blank).
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "FuzzSupport.h"
#include "fakes/FakeHost.h"
#include "lists/ListWriter.h"
#include "lists/TextFile.h"
#include "timing/Timekeeper.h"

using namespace vandoret;

namespace {

using Cells = std::vector<std::vector<std::string>>;

Cells Snapshot(const TSortGrid& grid) {
    Cells cells(static_cast<std::size_t>(grid.RowCount()));
    for (int r = 0; r < grid.RowCount(); ++r) {
        for (int c = 0; c < grid.ColCount(); ++c) {
            const std::string& cell = grid.Cells(c, r);
            cells[static_cast<std::size_t>(r)].push_back(cell.empty() ? " " : cell);
        }
    }
    return cells;
}

// Control bytes and non-ASCII bytes as \xNN, so a finding says which bytes differ.
std::string Escaped(const std::string& text) {
    std::string out;
    for (const char ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        if (b >= 0x20 && b < 0x7F) {
            out += ch;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        }
    }
    return out;
}

// The open dialog makes the file's folder the current one, as the platform's dialogs do; the
// fuzzer reads its corpus by relative names, so the current folder is put back.
void Open(testing::FakeHost& host, Timekeeper& tk, const std::string& file) {
    std::error_code ec;
    const std::filesystem::path current = std::filesystem::current_path(ec);
    host.openAnswers.push_back(file);
    host.yesNoAnswers.push_back(true);
    tk.sbLoadClick();
    std::filesystem::current_path(current, ec);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    static const std::string opened = (fuzz::ScratchFolder() / "Protokoll.txt").string();
    static const std::string saved = (fuzz::ScratchFolder() / "Gespeichert.txt").string();
    if (!WriteWholeFile(opened, bytes)) {
        return 0;
    }
    testing::FakeHost host;
    host.SetClock(9, 0, 0);
    Timekeeper tk(host);
    Open(host, tk, opened);
    FUZZ_CHECK(tk.startList.SortGrid1.RowCount() >= 2, "the opened list has at least two rows");
    FUZZ_CHECK(tk.startList.cbNr.Count() == tk.startList.SortGrid1.RowCount() - 1, "one number per data row");
    const Cells first = Snapshot(tk.startList.SortGrid1);

    tk.pages.ActiveTab = kTabStartList;
    tk.pages.SaveListText(saved);
    std::string written;
    FUZZ_CHECK(ReadWholeFile(saved, written) == ReadOutcome::Ok, "the save wrote the file");
    FUZZ_CHECK(written == FormatListText(tk.startList.SortGrid1), "the save wrote the protocol text");

    Open(host, tk, saved);
    const Cells second = Snapshot(tk.startList.SortGrid1);
    FUZZ_CHECK(second.size() == first.size(), "the saved list reads back with as many rows");
    for (std::size_t r = 0; r < first.size(); ++r) {
        for (std::size_t c = 0; c < first[r].size(); ++c) {
            if (first[r][c] != second[r][c]) {
                std::fprintf(stderr, "row %zu column %zu: \"%s\" came back as \"%s\"\n", r, c,
                             Escaped(first[r][c]).c_str(), Escaped(second[r][c]).c_str());
            }
            FUZZ_CHECK(first[r][c] == second[r][c], "the saved list reads back to the same cells");
        }
    }
    return 0;
}
