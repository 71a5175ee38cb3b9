// SortOnColumn against the sort as it is written down step by step: one pass per key from the
// least significant to the primary key, each pass a plain sort of entries (text, position, options)
// under CompareSortEntries, the buffer reordered after every pass. The list sorts with keys
// converted once per row and a merge sort of indices; both must give the same rows in the same
// order, and the primary key column's style is asked from the handler in the same sequence.
#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <sstream>

#include "grid/SortCompare.h"
#include "grid/SortGrid.h"
#include "grid/TextCompare.h"

namespace vandoret {
namespace {

using Buffer = std::vector<std::vector<std::string>>;

// The literal sort. SecondaryIndex here holds only valid column numbers.
Buffer ReferenceSort(Buffer buffer, int col, const std::string& secondary, TSortOptions options,
                     const TGetSortStyleEvent& handler, TSortGrid& sender) {
    std::vector<int> keys;
    std::stringstream items(secondary);
    for (std::string item; std::getline(items, item, ',');) {
        keys.push_back(std::stoi(item));
    }
    if (const auto it = std::find(keys.begin(), keys.end(), col); it != keys.end()) {
        keys.erase(it);
    }
    keys.insert(keys.begin(), col);
    TSortStyle style = TSortStyle::ssAutomatic;
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
        handler(sender, *key, style);
        options.SortStyle = style;
        options.CustomCompare = sender.SortOptions.CustomCompare;
        std::vector<TSortedListEntry> entries;
        for (std::size_t p = 1; p < buffer.size(); ++p) {
            entries.push_back({buffer[p][*key], static_cast<int>(p), &options});
        }
        std::sort(entries.begin(), entries.end(),
                  [](const TSortedListEntry& a, const TSortedListEntry& b) { return CompareSortEntries(a, b) < 0; });
        Buffer next(buffer.size());
        next[0] = buffer[0];
        for (std::size_t i = 0; i < entries.size(); ++i) {
            next[i + 1] = buffer[static_cast<std::size_t>(entries[i].Position)];
        }
        buffer = std::move(next);
    }
    return buffer;
}

TEST(SortReference, SameRowsAsTheStepByStepSort) {
    // Texts per style that all convert, so that every comparison is consistent and the literal
    // sort's result does not depend on the sorting method.
    const std::vector<std::string> normal = {"10", "9", "anna", "Anna", "Zoo", "\xC3\x84rger", "", " ", "b"};
    const std::vector<std::string> numbers = {"10", "9", "9,5", "0,4", "-1", "10,0", "009", "1E1"};
    const std::vector<std::string> times = {"10:00", "9:30", "09:30", "9:30:01", "23:59", "09:30:00,5"};
    const std::vector<std::string> durations = {"1:05,3", "59,9", "", "  ", "0,4", "9,5", "10,0", "-3,0"};
    const std::vector<std::string> numbered = {"Gruppe 9", "Gruppe 10", "Gruppe 1", "A1", "B", "Gruppe 9a"};
    const TSortStyle styles[] = {TSortStyle::ssNormal, TSortStyle::ssNumeric, TSortStyle::ssTime, TSortStyle::ssCustom};
    std::mt19937 random(20261208);
    for (int round = 0; round < 2000; ++round) {
        const int cols = 4;
        const int rows = 1 + static_cast<int>(random() % 12);
        TSortStyle colStyles[cols];
        for (auto& s : colStyles) {
            s = styles[random() % 4];
        }
        TSortGrid grid(cols);
        grid.SetRowCount(rows + 1);
        Buffer buffer(static_cast<std::size_t>(rows) + 1, std::vector<std::string>(cols));
        for (int r = 1; r <= rows; ++r) {
            for (int c = 0; c < cols; ++c) {
                const auto& pool = colStyles[c] == TSortStyle::ssNumeric  ? numbers
                                   : colStyles[c] == TSortStyle::ssTime   ? times
                                   : colStyles[c] == TSortStyle::ssCustom ? durations
                                                                          : normal;
                buffer[r][c] = pool[random() % pool.size()];
                grid.SetCell(c, r, buffer[r][c]);
            }
        }
        const int col = static_cast<int>(random() % cols);
        const std::string secondary = std::to_string(random() % cols) + "," + std::to_string(random() % cols);
        grid.SortOptions.SecondaryIndex = secondary;
        grid.SortOptions.SortDirection = random() % 2 == 0 ? TSortDirection::sdAscending : TSortDirection::sdDescending;
        grid.SortOptions.SortCaseSensitive = random() % 2 == 0;
        std::vector<int> asked, referenceAsked;
        const auto handler = [&colStyles](std::vector<int>& log) {
            return [&colStyles, &log](TSortGrid& sender, int c, TSortStyle& style) {
                log.push_back(c);
                style = colStyles[c];
                if (style == TSortStyle::ssCustom) {
                    sender.SortOptions.CustomCompare = CompareDurationText;
                }
            };
        };
        grid.OnGetSortStyle = handler(asked);
        TSortGrid sender(cols);
        const Buffer expected =
            ReferenceSort(buffer, col, secondary, grid.SortOptions, handler(referenceAsked), sender);

        grid.SortOnColumn(col);
        ASSERT_EQ(asked, referenceAsked) << round;
        for (int r = 0; r <= rows; ++r) {
            for (int c = 0; c < cols; ++c) {
                ASSERT_EQ(grid.Cells(c, r), expected[r][c]) << "round " << round << " row " << r << " col " << c;
            }
        }
        EXPECT_FALSE(grid.SortOptions.CustomCompare);
        EXPECT_FALSE(grid.Updating());
    }
}

} // namespace
} // namespace vandoret
