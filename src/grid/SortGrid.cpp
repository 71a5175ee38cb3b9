#include "grid/SortGrid.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "grid/SortCompare.h"

namespace vandoret {
namespace {

const std::string kEmpty;

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualFolded(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

TSortGrid::TSortGrid(int colCount)
    : colCount_(std::max(colCount, 1)), rows_(2, std::vector<std::string>(colCount_)), marks_(2, 0) {
    selection_ = GridRect{0, 1, colCount_ - 1, 1};
}

void TSortGrid::SetColCount(int count) {
    count = std::max(count, 1);
    if (count == colCount_) {
        return;
    }
    colCount_ = count;
    for (auto& r : rows_) {
        r.resize(colCount_);
    }
    ClampView();
    ++revision_;
    SizeChanged();
}

void TSortGrid::SetRowCount(int count) {
    if (count < 2) {
        if (OnMessage) {
            OnMessage("Rowsize too small");
        }
        return;
    }
    if (count == RowCount()) {
        return;
    }
    rows_.resize(static_cast<std::size_t>(count), std::vector<std::string>(colCount_));
    marks_.resize(rows_.size(), 0);
    ClampView();
    ++revision_;
    SizeChanged();
}

bool TSortGrid::ValidCell(int col, int row) const {
    return col >= 0 && col < colCount_ && row >= 0 && row < RowCount();
}

const std::string& TSortGrid::Cells(int col, int row) const {
    return ValidCell(col, row) ? rows_[row][col] : kEmpty;
}

void TSortGrid::SetCell(int col, int row, std::string text) {
    if (!ValidCell(col, row)) {
        return;
    }
    rows_[row][col] = std::move(text);
    ++revision_;
}

std::string TSortGrid::RowText(int row) const {
    std::string text;
    if (row < 0 || row >= RowCount()) {
        return text;
    }
    for (const auto& cell : rows_[row]) {
        text += cell;
    }
    return text;
}

bool TSortGrid::IsBlankRow(int row) const {
    if (row < 0 || row >= RowCount()) {
        return true;
    }
    for (const auto& cell : rows_[row]) {
        for (const char c : cell) {
            if (static_cast<unsigned char>(c) > ' ') {
                return false;
            }
        }
    }
    return true;
}

void TSortGrid::CopyRow(int fromRow, int toRow) {
    if (fromRow < 0 || fromRow >= RowCount() || toRow < 0 || toRow >= RowCount() || fromRow == toRow) {
        return;
    }
    rows_[toRow] = rows_[fromRow];
    marks_[toRow] = marks_[fromRow];
    ++revision_;
}

void TSortGrid::BlankRow(int row) {
    if (row < 0 || row >= RowCount()) {
        return;
    }
    for (auto& cell : rows_[row]) {
        cell.clear();
    }
    marks_[row] = 0;
    ++revision_;
}

void TSortGrid::DeleteRow(int row) {
    if (row < 1 || row >= RowCount()) {
        return;
    }
    if (RowCount() <= 2) {
        BlankRow(row);
        return;
    }
    rows_.erase(rows_.begin() + row);
    marks_.erase(marks_.begin() + row);
    ClampView();
    ++revision_;
    SizeChanged();
}

int TSortGrid::AddRow() {
    marks_.reserve(rows_.size() + 1);
    rows_.emplace_back(colCount_);
    marks_.push_back(0);
    ++revision_;
    const int added = RowCount() - 1;
    SizeChanged();
    return added;
}

void TSortGrid::AssignRows(std::vector<std::vector<std::string>>&& rows) {
    const int oldCount = RowCount();
    if (rows.size() < 2) {
        rows.resize(2);
    } else if (rows.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        rows.resize(static_cast<std::size_t>(std::numeric_limits<int>::max())); // row numbers are ints
    }
    for (auto& r : rows) {
        r.resize(static_cast<std::size_t>(colCount_));
    }
    marks_.assign(rows.size(), 0);
    rows_ = std::move(rows);
    ClampView();
    ++revision_;
    if (RowCount() != oldCount) {
        SizeChanged();
    }
}

std::vector<std::vector<std::string>> TSortGrid::TakeRows() {
    const int oldCount = RowCount();
    // The two rows are built first: should that fail, the list is as it was.
    std::vector<std::vector<std::string>> taken;
    taken.reserve(2);
    taken.push_back(rows_[0]);
    taken.emplace_back(static_cast<std::size_t>(colCount_));
    marks_.assign(2, 0);
    taken.swap(rows_);
    ClampView();
    ++revision_;
    if (oldCount != 2) {
        SizeChanged();
    }
    return taken;
}

// marks_ holds the mark in bit 0, the note in bit 1 and the tag in the bits above them.
namespace {
constexpr int kMarkBit = 1;
constexpr int kNoteBit = 2;
constexpr int kTagShift = 2;
} // namespace

bool TSortGrid::RowMarked(int row) const {
    return row >= 0 && row < RowCount() && (marks_[static_cast<std::size_t>(row)] & kMarkBit) != 0;
}

void TSortGrid::SetRowMarked(int row, bool marked) {
    if (row < 0 || row >= RowCount() || RowMarked(row) == marked) {
        return;
    }
    marks_[static_cast<std::size_t>(row)] ^= kMarkBit;
    ++revision_;
}

bool TSortGrid::RowNoted(int row) const {
    return row >= 0 && row < RowCount() && (marks_[static_cast<std::size_t>(row)] & kNoteBit) != 0;
}

void TSortGrid::SetRowNoted(int row, bool noted) {
    if (row < 0 || row >= RowCount() || RowNoted(row) == noted) {
        return;
    }
    marks_[static_cast<std::size_t>(row)] ^= kNoteBit;
    ++revision_;
}

int TSortGrid::RowTag(int row) const {
    return row >= 0 && row < RowCount() ? static_cast<unsigned char>(marks_[static_cast<std::size_t>(row)]) >> kTagShift
                                        : 0;
}

void TSortGrid::SetRowTag(int row, int tag) {
    if (row < 0 || row >= RowCount() || tag < 0 || tag > kMaxRowTag || RowTag(row) == tag) {
        return;
    }
    char& m = marks_[static_cast<std::size_t>(row)];
    m = static_cast<char>((m & (kMarkBit | kNoteBit)) | (tag << kTagShift));
    ++revision_;
}

int TSortGrid::FindRowByText(int col, std::string_view text, bool ignoreCase) const {
    if (col < 0 || col >= colCount_) {
        return -1;
    }
    for (int r = 1; r < RowCount(); ++r) {
        const std::string& cell = rows_[r][col];
        if (ignoreCase ? EqualFolded(cell, text) : cell == text) {
            return r;
        }
    }
    return -1;
}

void TSortGrid::SetRow(int row) {
    row = std::clamp(row, 1, RowCount() - 1);
    row_ = row;
    selection_ = GridRect{0, row, colCount_ - 1, row};
    ++revision_;
}

void TSortGrid::SetSelection(const GridRect& rect) {
    selection_ = rect;
    row_ = std::clamp(rect.top, 1, RowCount() - 1);
    ClampView();
    ++revision_;
}

void TSortGrid::SetTopRow(int row) {
    topRow_ = std::clamp(row, 1, RowCount() - 1);
    ++revision_;
}

void TSortGrid::SetLeftCol(int col) {
    leftCol_ = std::clamp(col, 0, colCount_ - 1);
    ++revision_;
}

void TSortGrid::ClampView() {
    const int last = RowCount() - 1;
    row_ = std::clamp(row_, 1, last);
    topRow_ = std::clamp(topRow_, 1, last);
    leftCol_ = std::clamp(leftCol_, 0, colCount_ - 1);
    selection_.left = std::clamp(selection_.left, 0, colCount_ - 1);
    selection_.right = std::clamp(selection_.right, selection_.left, colCount_ - 1);
    selection_.top = std::clamp(selection_.top, 1, last);
    selection_.bottom = std::clamp(selection_.bottom, selection_.top, last);
}

void TSortGrid::SizeChanged() {
    if (SortOptions.UpdateOnSizeChange && !updating_) {
        SortOnColumn(SortOptions.SortCol);
    }
}

void TSortGrid::BeginUpdate() {
    if (updating_) {
        return;
    }
    updating_ = true;
    savedUpdateOnSizeChange_ = SortOptions.UpdateOnSizeChange;
    SortOptions.UpdateOnSizeChange = false;
    if (OnBusy) {
        OnBusy(true);
    }
    ++revision_;
}

void TSortGrid::EndUpdate() {
    if (!updating_) {
        return;
    }
    updating_ = false;
    ++revision_;
    if (OnBusy) {
        OnBusy(false);
    }
    SortOptions.UpdateOnSizeChange = savedUpdateOnSizeChange_;
    if (OnEndUpdate) {
        OnEndUpdate();
    }
}

TSortStyle TSortGrid::GuessColumnStyle(int col) const {
    const Locale& locale = SortOptions.SortLocale;
    bool number = true, dateTime = true, time = true;
    for (int r = 1; r < RowCount() && (number || dateTime || time); ++r) {
        const std::string& cell = Cells(col, r);
        number = number && ParseSortNumber(cell, locale).has_value();
        dateTime = dateTime && ParseSortDateTime(cell, locale).has_value();
        time = time && ParseSortTime(cell, locale).has_value();
    }
    if (number) {
        return TSortStyle::ssNumeric;
    }
    if (dateTime) {
        return TSortStyle::ssDateTime;
    }
    return time ? TSortStyle::ssTime : TSortStyle::ssNormal;
}

namespace {

// The key columns of a sort: col first, then the entries of the secondary list without the first
// occurrence of col. Entries that are not a column of the list are left out.
std::vector<int> SortKeys(int col, std::string_view secondary, int colCount) {
    std::vector<int> keys;
    bool colSeen = false;
    while (!secondary.empty()) {
        const std::size_t comma = secondary.find(',');
        std::string_view item = secondary.substr(0, comma);
        secondary = comma == std::string_view::npos ? std::string_view() : secondary.substr(comma + 1);
        while (!item.empty() && item.front() == ' ') {
            item.remove_prefix(1);
        }
        while (!item.empty() && item.back() == ' ') {
            item.remove_suffix(1);
        }
        int value = -1;
        const auto [end, ec] = std::from_chars(item.data(), item.data() + item.size(), value);
        if (item.empty() || ec != std::errc() || end != item.data() + item.size() || value < 0 || value >= colCount) {
            continue;
        }
        if (value == col && !colSeen) {
            colSeen = true;
            continue;
        }
        keys.push_back(value);
    }
    keys.insert(keys.begin(), col);
    return keys;
}

// A bottom-up merge sort whose every loop is bounded by the indices alone. Some comparisons are
// not consistent for every pair of texts ("007" and "7" each sort after the other under the
// numbered-text style, an empty text sorts before everything, another empty text included); the
// library sorts may then read outside the range, this one only gives some order of the same rows.
template <typename Less> void MergeSort(std::vector<int>& items, Less less) {
    const std::size_t n = items.size();
    std::vector<int> buffer(n);
    for (std::size_t width = 1; width < n; width *= 2) {
        for (std::size_t lo = 0; lo < n; lo += 2 * width) {
            const std::size_t mid = std::min(lo + width, n);
            const std::size_t hi = std::min(lo + 2 * width, n);
            std::size_t i = lo, j = mid, out = lo;
            while (i < mid && j < hi) {
                buffer[out++] = less(items[j], items[i]) ? items[j++] : items[i++];
            }
            while (i < mid) {
                buffer[out++] = items[i++];
            }
            while (j < hi) {
                buffer[out++] = items[j++];
            }
        }
        items.swap(buffer);
    }
}

} // namespace

void TSortGrid::SortOnColumn(int col) {
    if (!SortOptions.CanSort || col < 0 || col >= colCount_) {
        return;
    }
    SortOptions.SortCol = col;
    BeginUpdate();
    const std::vector<int> keyCols = SortKeys(col, SortOptions.SecondaryIndex, colCount_);
    const int rowCount = RowCount();

    // order[i]: the row of the list that stands at position i after the passes so far.
    std::vector<int> order(static_cast<std::size_t>(rowCount));
    for (int i = 0; i < rowCount; ++i) {
        order[i] = i;
    }
    std::vector<TSortKey> keys;
    TSortStyle style = TSortStyle::ssAutomatic;
    for (auto key = keyCols.rbegin(); key != keyCols.rend(); ++key) {
        const int k = *key;
        if (OnGetSortStyle) {
            OnGetSortStyle(*this, k, style);
            SortOptions.SortStyle = style;
        } else if (SortOptions.SortStyle == TSortStyle::ssAutomatic) {
            SortOptions.SortStyle = GuessColumnStyle(k);
        }
        if (RowCount() != rowCount) {
            break; // a handler changed the list under the sort: leave it as it now is
        }
        keys.clear();
        keys.reserve(static_cast<std::size_t>(rowCount));
        for (int p = 1; p < rowCount; ++p) {
            keys.push_back(MakeSortKey(TSortedListEntry{rows_[order[p]][k], p, &SortOptions}));
        }
        std::vector<int> sortedKeys(keys.size());
        for (std::size_t i = 0; i < sortedKeys.size(); ++i) {
            sortedKeys[i] = static_cast<int>(i);
        }
        MergeSort(sortedKeys, [&](int a, int b) { return CompareSortKeys(keys[a], keys[b], SortOptions) < 0; });
        std::vector<int> next(order.size());
        next[0] = 0;
        for (std::size_t i = 0; i < sortedKeys.size(); ++i) {
            next[i + 1] = order[keys[sortedKeys[i]].Position];
        }
        order = std::move(next);
        if (key + 1 == keyCols.rend()) {
            // The primary pass: write the rows in their new order and carry the selection over.
            std::vector<std::vector<std::string>> sorted(static_cast<std::size_t>(rowCount));
            std::vector<char> sortedMarks(static_cast<std::size_t>(rowCount), 0);
            std::vector<int> newPosition(static_cast<std::size_t>(rowCount), 0);
            sorted[0] = std::move(rows_[0]);
            sortedMarks[0] = marks_[0];
            for (int i = 1; i < rowCount; ++i) {
                sorted[i] = std::move(rows_[order[i]]);
                sortedMarks[i] = marks_[order[i]];
                newPosition[order[i]] = i;
            }
            rows_ = std::move(sorted);
            marks_ = std::move(sortedMarks);
            int first = rowCount, last = 0, count = 0;
            for (int r = std::max(selection_.top, 1); r <= std::min(selection_.bottom, rowCount - 1); ++r) {
                first = std::min(first, newPosition[r]);
                last = std::max(last, newPosition[r]);
                ++count;
            }
            if (count > 0) {
                // A selection that the sort tore apart keeps only its first row.
                const int bottom = last - first + 1 == count ? last : first;
                selection_ = GridRect{selection_.left, first, selection_.right, bottom};
                row_ = first;
            }
            ++revision_;
        }
    }
    SortOptions.CustomCompare = nullptr;
    EndUpdate();
}

} // namespace vandoret
