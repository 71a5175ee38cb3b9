// The sorting of the lists in every style: random cells, styles per column, directions, case,
// secondary keys (also ones that name no column) and a custom comparison that is no order at all.
//
// Checked: a sort gives a permutation of the data rows, leaves the captions and the row count as
// they were, closes its update bracket and never throws; the comparison a sort pass uses gives the
// sign of the one that compares texts, and never 0 for two rows. Not checked, on purpose: that the
// comparisons are a strict order (an empty numbered text sorts first from either side, a number
// that does not convert falls back to the text, so they are not).
#include <algorithm>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "grid/SortCompare.h"
#include "grid/SortGrid.h"

using namespace vandoret;

namespace {

constexpr TSortStyle kStyles[] = {TSortStyle::ssAutomatic,       TSortStyle::ssNormal,   TSortStyle::ssNumeric,
                                  TSortStyle::ssNumericExtended, TSortStyle::ssDateTime, TSortStyle::ssTime,
                                  TSortStyle::ssCustom};

// Texts made of what the styles read, so conversions succeed often enough to matter.
std::string Cell(fuzz::Bytes& in) {
    static constexpr char kAlphabet[] = "0123456789 ,.:-+eE!aZ\xC3\xA4/\t";
    const int length = in.Below(12);
    std::string cell;
    for (int i = 0; i < length; ++i) {
        const std::uint8_t b = in.Byte();
        cell += b < 200 ? kAlphabet[b % (sizeof kAlphabet - 1)] : static_cast<char>(b);
    }
    return cell;
}

int Sign(int v) {
    return (v > 0) - (v < 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Bytes in(data, size);
    const int cols = 1 + in.Below(8);
    const int rows = 2 + in.Below(40);
    TSortGrid grid(cols);
    grid.SetRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            grid.SetCell(c, r, r == 0 ? "Spalte" + std::to_string(c) : Cell(in));
        }
    }
    const std::uint8_t flags = in.Byte();
    TSortOptions& options = grid.SortOptions;
    options.SortCaseSensitive = flags & 1;
    options.SortDirection = (flags & 2) ? TSortDirection::sdDescending : TSortDirection::sdAscending;
    options.SortLocale.decimalSeparator = (flags & 4) ? '.' : ',';
    options.SortLocale.timeSeparator = (flags & 8) ? '.' : ':';
    options.SecondaryIndex = std::string(in.Text(6));
    std::vector<TSortStyle> styles(static_cast<std::size_t>(cols));
    for (TSortStyle& style : styles) {
        style = kStyles[in.Below(7)];
    }
    const std::uint8_t salt = in.Byte();
    if (flags & 16) {
        grid.OnGetSortStyle = [&](TSortGrid& sender, int col, TSortStyle& style) {
            style = styles[static_cast<std::size_t>(col)];
            if (style == TSortStyle::ssCustom) {
                // Depends on both texts, but is neither antisymmetric nor transitive.
                sender.SortOptions.CustomCompare = [salt](std::string_view a, std::string_view b) {
                    return static_cast<int>((a.size() * 7 + b.size() * 3 + salt) % 3) - 1;
                };
            }
        };
    } else {
        options.SortStyle = styles[0];
    }
    const int col = in.Below(cols + 1) - (flags & 32 ? 1 : 0); // sometimes no column at all

    // The comparisons on pairs of cells of the chosen column.
    if (col >= 0 && col < cols) {
        TSortOptions pairOptions = options;
        pairOptions.SortStyle = styles[static_cast<std::size_t>(col)] == TSortStyle::ssCustom
                                    ? TSortStyle::ssNormal
                                    : styles[static_cast<std::size_t>(col)];
        for (int a = 1; a < rows; ++a) {
            const int b = 1 + (a * 7 + salt) % (rows - 1);
            const TSortedListEntry ea{grid.Cells(col, a), a, &pairOptions};
            const TSortedListEntry eb{grid.Cells(col, b), b, &pairOptions};
            const int direct = CompareSortEntries(ea, eb);
            const int keyed = CompareSortKeys(MakeSortKey(ea), MakeSortKey(eb), pairOptions);
            FUZZ_CHECK(Sign(direct) == Sign(keyed), "a sort pass compares as the texts compare");
            FUZZ_CHECK(a == b || direct != 0, "two rows never compare equal");
        }
    }

    std::vector<std::vector<std::string>> before;
    for (int r = 0; r < rows; ++r) {
        std::vector<std::string> row;
        for (int c = 0; c < cols; ++c) {
            row.push_back(grid.Cells(c, r));
        }
        before.push_back(std::move(row));
    }
    try {
        grid.SortOnColumn(col);
    } catch (...) {
        FUZZ_CHECK(false, "a sort never throws");
    }
    FUZZ_CHECK(!grid.Updating(), "the update bracket is closed");
    FUZZ_CHECK(grid.RowCount() == rows, "the row count stays");
    std::vector<std::vector<std::string>> after;
    for (int r = 0; r < rows; ++r) {
        std::vector<std::string> row;
        for (int c = 0; c < cols; ++c) {
            row.push_back(grid.Cells(c, r));
        }
        after.push_back(std::move(row));
    }
    FUZZ_CHECK(after[0] == before[0], "the captions stay");
    std::sort(before.begin() + 1, before.end());
    std::sort(after.begin() + 1, after.end());
    FUZZ_CHECK(after == before, "a sort gives a permutation of the rows");
    return 0;
}
