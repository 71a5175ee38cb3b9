// TSortGrid: the list type beneath every list of the main window.
//
// A grid of UTF-8 text cells addressed as (column, row). Row 0 holds the column captions; data
// rows are 1 .. RowCount() - 1. A list never has fewer than two rows: an empty list has one blank
// data row. Asking for fewer rows reports "Rowsize too small" through OnMessage and changes
// nothing. Out-of-range reads give the empty text and out-of-range writes are ignored, so a bad
// index never crashes the program.
//
// The grid also holds the view state the core decides on: the current row, the selected range,
// the top row and the left column. The window draws them; it does not own them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vandoret {

// A rectangle of cells, inclusive on all sides.
struct GridRect {
    int left = 0;
    int top = 1;
    int right = 0;
    int bottom = 1;
    bool operator==(const GridRect&) const = default;
};

class TSortGrid {
public:
    explicit TSortGrid(int colCount);

    int ColCount() const { return colCount_; }
    void SetColCount(int count);
    int RowCount() const { return static_cast<int>(rows_.size()); }
    // Adds blank rows or drops rows at the end. Below two rows: "Rowsize too small", no change.
    void SetRowCount(int count);

    const std::string& Cells(int col, int row) const;
    void SetCell(int col, int row, std::string text);

    // A row's cells joined into one text.
    std::string RowText(int row) const;
    // True when the joined row holds nothing but blanks and control characters (also out of range).
    bool IsBlankRow(int row) const;
    // Copies a row cell by cell; rows out of range are ignored.
    void CopyRow(int fromRow, int toRow);
    void BlankRow(int row);
    // Removes a data row; the list keeps at least one (blank) data row.
    void DeleteRow(int row);
    // Appends a blank row at the end and returns its index.
    int AddRow();

    // First data row, scanning from row 1 down, whose cell in col equals text; -1 if none.
    // With ignoreCase, the letters A-Z are folded to lower case on both sides first.
    int FindRowByText(int col, std::string_view text, bool ignoreCase) const;

    // View state.
    int Row() const { return row_; }
    // Makes row the current row and selects it as a whole row.
    void SetRow(int row);
    const GridRect& Selection() const { return selection_; }
    void SetSelection(const GridRect& rect);
    int TopRow() const { return topRow_; }
    void SetTopRow(int row);
    int LeftCol() const { return leftCol_; }
    void SetLeftCol(int col);

    // Counts every change of content or shape; a view compares it to know when to redraw.
    std::uint64_t Revision() const { return revision_; }

    // Receives "Rowsize too small"; the owner routes it to a message box.
    std::function<void(const std::string&)> OnMessage;

private:
    bool ValidCell(int col, int row) const;
    void ClampView();

    int colCount_;
    std::vector<std::vector<std::string>> rows_;
    int row_ = 1;
    GridRect selection_;
    int topRow_ = 1;
    int leftCol_ = 0;
    std::uint64_t revision_ = 0;
};

} // namespace vandoret
