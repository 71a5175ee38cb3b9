// Start numbers looked up in a list, by the one rule of SameStartNumber (base/NumberText.h).
#pragma once

#include <string_view>
#include <unordered_map>

#include "base/NumberText.h"
#include "grid/SortGrid.h"

namespace vandoret {

// The first data row whose cell in col is the same start number as `number`; -1 if none.
inline int FindStartNumberRow(const TSortGrid& grid, int col, std::string_view number) {
    if (StartNumberKey(number).empty()) {
        return -1;
    }
    for (int r = 1; r < grid.RowCount(); ++r) {
        if (SameStartNumber(grid.Cells(col, r), number)) {
            return r;
        }
    }
    return -1;
}

// The first data row of each start number in col, answering as FindStartNumberRow does without
// scanning the list once per look-up. The keys point into the list, which must not change while
// the index is used.
class StartNumberIndex {
public:
    StartNumberIndex(const TSortGrid& grid, int col) {
        rows_.reserve(static_cast<std::size_t>(grid.RowCount()));
        for (int r = 1; r < grid.RowCount(); ++r) {
            const std::string_view key = StartNumberKey(grid.Cells(col, r));
            if (!key.empty()) {
                rows_.emplace(key, r); // the first row keeps its place
            }
        }
    }
    int Find(std::string_view number) const {
        const auto it = rows_.find(StartNumberKey(number));
        return it == rows_.end() ? -1 : it->second;
    }

private:
    std::unordered_map<std::string_view, int> rows_;
};

} // namespace vandoret
