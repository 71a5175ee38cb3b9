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
//
// Each row carries one mark beside its cells (a hand-entered time) and a tag (RowTag): neither is
// part of the text, so texts, comparisons and the saved lists never see them, but they move with
// their row when rows are sorted, deleted or copied, and go when the row is blanked or the list is
// emptied or replaced.
//
// Sorting: SortOnColumn sorts the data rows on one column and then on the columns listed in
// SortOptions.SecondaryIndex, under a comparison style per column (see SortCompare.h). It runs
// inside the update bracket BeginUpdate / EndUpdate, which the window reads to paint data cells
// blank and to refuse input while it is open.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/TimeValues.h"

namespace vandoret {

enum class TSortStyle { ssAutomatic, ssNormal, ssNumeric, ssNumericExtended, ssDateTime, ssTime, ssCustom };
enum class TSortDirection { sdAscending, sdDescending };

// A comparison of two texts: negative, zero or positive.
using TSortCompare = std::function<int(std::string_view, std::string_view)>;

// The sort settings of a list.
struct TSortOptions {
    bool CanSort = true;        // off: a sort request does nothing
    std::string SecondaryIndex; // "6" or "2,0": further keys, most significant first
    TSortStyle SortStyle = TSortStyle::ssNormal;
    bool SortCaseSensitive = false; // off: A-Z folded to lower case before comparing
    std::int32_t SortCol = 0;       // primary column of the last sort
    TSortDirection SortDirection = TSortDirection::sdAscending;
    bool UpdateOnSizeChange = false; // on: re-sort on SortCol whenever the size changes

    // Not a published setting: the comparison of ssCustom. Only set during a sort, by an
    // OnGetSortStyle handler; every sort clears it when it ends.
    TSortCompare CustomCompare;
    // The regional separators the numeric and time conversions read with.
    Locale SortLocale;
};

class TSortGrid;
// OnGetSortStyle (Sender, Col, var SortStyle).
using TGetSortStyleEvent = std::function<void(TSortGrid& sender, int col, TSortStyle& style)>;

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

    // Replaces every row, row 0 included, in one step and without copying a cell: each row is
    // cut or padded to ColCount() cells, and blank rows are added up to the two rows a list
    // never goes below. The view state is kept inside the new rows; a changed row count re-sorts
    // as SetRowCount does when UpdateOnSizeChange is on.
    void AssignRows(std::vector<std::vector<std::string>>&& rows);
    // Empties the list as SetRowCount(2) and BlankRow(1) do, row 0 staying as it is, and gives
    // back the rows it held (row 0 as a copy), so that a caller who fills a new content can reuse
    // their storage and hand them to AssignRows.
    std::vector<std::vector<std::string>> TakeRows();

    // The row's mark; out of range reads false and writes are ignored.
    bool RowMarked(int row) const;
    void SetRowMarked(int row, bool marked);
    // A second mark of its own, kept beside the first and moved with the row as it is.
    bool RowNoted(int row) const;
    void SetRowNoted(int row, bool noted);
    // A small number a list's owner gives a row (0 .. kMaxRowTag, 0 unless set), kept and moved
    // as the mark is: the results tell the rows without a place by it. Other values are ignored.
    static constexpr int kMaxRowTag = 63; // six bits beside the mark and the note
    int RowTag(int row) const;
    void SetRowTag(int row, int tag);

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

    // ---- Sorting ----
    TSortOptions SortOptions;
    TGetSortStyleEvent OnGetSortStyle;
    // Raised when the update bracket closes.
    std::function<void()> OnEndUpdate;
    // Raised with true when the bracket opens and false when it closes: the owner shows the
    // hourglass cursor meanwhile.
    std::function<void(bool)> OnBusy;

    // Sorts the data rows on col, then on the SecondaryIndex columns; stable, so rows equal in
    // every key keep their order. Does nothing when CanSort is off or col is not a column.
    // Entries of SecondaryIndex that are not a column of the list are skipped.
    void SortOnColumn(int col);
    // The style every cell of col parses as: ssNumeric, else ssDateTime, else ssTime, else ssNormal.
    TSortStyle GuessColumnStyle(int col) const;

    // The update bracket. It does not nest: the first EndUpdate closes it; an EndUpdate outside
    // the bracket does nothing.
    void BeginUpdate();
    void EndUpdate();
    bool Updating() const { return updating_; }

    // Counts every change of content or shape; a view compares it to know when to redraw.
    std::uint64_t Revision() const { return revision_; }

    // Receives "Rowsize too small"; the owner routes it to a message box.
    std::function<void(const std::string&)> OnMessage;

private:
    bool ValidCell(int col, int row) const;
    void ClampView();
    void SizeChanged();

    int colCount_;
    std::vector<std::vector<std::string>> rows_;
    std::vector<char> marks_; // one per row, beside rows_: bit 0 the mark, bit 1 the note
    int row_ = 1;
    GridRect selection_;
    int topRow_ = 1;
    int leftCol_ = 0;
    std::uint64_t revision_ = 0;
    bool updating_ = false;
    bool savedUpdateOnSizeChange_ = false;
};

} // namespace vandoret
