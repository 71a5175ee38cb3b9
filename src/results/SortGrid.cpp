#include "results/SortGrid.h"

#include <algorithm>

namespace vandoret {
namespace {

const std::string kEmpty;

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

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

TSortGrid::TSortGrid(int colCount) : colCount_(std::max(colCount, 1)), rows_(2, std::vector<std::string>(colCount_)) {
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
    ClampView();
    ++revision_;
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
    ++revision_;
}

void TSortGrid::BlankRow(int row) {
    if (row < 0 || row >= RowCount()) {
        return;
    }
    for (auto& cell : rows_[row]) {
        cell.clear();
    }
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
    ClampView();
    ++revision_;
}

int TSortGrid::AddRow() {
    rows_.emplace_back(colCount_);
    ++revision_;
    return RowCount() - 1;
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

} // namespace vandoret
