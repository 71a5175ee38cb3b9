// Fills the source lists of the results directly, as the start list reader and the registrations
// would have left them.
#pragma once

#include <string>
#include <vector>

#include "fakes/FakeHost.h"
#include "timing/Timekeeper.h"

namespace vandoret::testing {

class ResultsLists {
public:
    FakeHost host;
    Timekeeper tk{host};

    // Appends a row to a list: the blank last row is reused first.
    static int Append(TSortGrid& grid, const std::vector<std::string>& cells) {
        int row = grid.RowCount() - 1;
        if (!grid.IsBlankRow(row)) {
            row = grid.AddRow();
        }
        for (std::size_t c = 0; c < cells.size(); ++c) {
            grid.SetCell(static_cast<int>(c), row, cells[c]);
        }
        return row;
    }
    void Rider(const std::string& nr, const std::string& name, const std::string& horse = "Pferd",
               const std::string& club = "Club", const std::string& town = "Ort") {
        Append(tk.startList.SortGrid1, {"09:30", nr, name, horse, club, town});
    }
    void Start(const std::string& nr, const std::string& time) {
        Append(tk.registrations.SortGrid2, {std::to_string(tk.registrations.SortGrid2.RowCount()), time, nr});
    }
    int Stop(const std::string& nr, const std::string& time, const std::string& pause = "",
             const std::string& faults = "") {
        return Append(tk.registrations.SortGrid3,
                      {std::to_string(tk.registrations.SortGrid3.RowCount()), time, nr, pause, "", faults});
    }
    // One rider with start 09:30:00,0 and the finish after the given ride time.
    int Ride(const std::string& nr, const std::string& name, Duration ride, const std::string& pause = "",
             const std::string& faults = "") {
        Rider(nr, name);
        Start(nr, "09:30:00,0");
        return Stop(nr, FormatClock(MakeTimeOfDay(9, 30) + ride / 86'400'000.0, ClockForm::HhNnSsZ), pause, faults);
    }
    std::vector<std::string> ResultRow(int row) const {
        std::vector<std::string> cells;
        for (int c = 0; c < tk.results.SortGrid4.ColCount(); ++c) {
            cells.push_back(tk.results.SortGrid4.Cells(c, row));
        }
        return cells;
    }
    std::vector<std::string> ResultColumn(int col) const {
        std::vector<std::string> cells;
        for (int r = 1; r < tk.results.SortGrid4.RowCount(); ++r) {
            cells.push_back(tk.results.SortGrid4.Cells(col, r));
        }
        return cells;
    }
};

} // namespace vandoret::testing
