// The view of a TSortGrid: a table model over the grid and a table view that draws it.
//
// Row 0 of the grid gives the header captions; data rows 1.. are model rows 0... The grid owns
// the current row, the selection and the top row; the view applies them after each change and
// reports the operator's clicks, moves and edits back.
#pragma once

#include <QAbstractTableModel>
#include <QTableView>
#include <cstdint>
#include <functional>

#include "grid/HeaderClick.h"
#include "grid/ListFormats.h"
#include "grid/SortGrid.h"

namespace vandoret::ui {

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    GridModel(TSortGrid& grid, int tab, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Brings the model up to the grid's revision; true when anything changed.
    bool Sync();
    TSortGrid& grid() { return grid_; }
    int tab() const { return tab_; }
    // Columns the operator may edit (stop list); empty for the other lists.
    std::function<bool(int col)> editableColumn;
    // The format of a cell (grid row numbering); unset: the list's own colours.
    std::function<CellFormat(int col, int row)> cellFormat;

private:
    TSortGrid& grid_;
    int tab_;
    int rows_ = 0;
    int cols_ = 0;
    std::uint64_t revision_ = 0;
};

class GridView : public QTableView {
    Q_OBJECT
public:
    GridView(TSortGrid& grid, int tab, QWidget* parent = nullptr);

    GridModel* gridModel() const { return model_; }
    TSortGrid& grid() { return model_->grid(); }

    // Redraws after a change of the grid and applies its view state; cheap when nothing changed.
    void Refresh();
    // Takes no click, key or header click while false and shows no selection; the wheel and the
    // scroll bar still scroll it.
    void SetInputEnabled(bool enabled);
    bool InputEnabled() const { return inputEnabled_; }
    // Sets the column widths in pixels.
    void SetColumnWidths(const std::vector<int>& widths);
    // The width the column rule shares out: the viewport's width.
    int ClientWidth() const;

    // Hooks of the owner.
    std::function<void(int row)> rowChosen;           // the operator made a row current
    std::function<bool(int col, int row)> selectCell; // a cell is to become current; false: row mode
    std::function<char32_t(char32_t key)> keyFilter;  // characters typed into the cell editor; 0: discard
    std::function<void()> enterPressed;               // Enter in the cell editor, after the commit
    std::function<void()> escapePressed;              // Esc in the cell editor
    // The cell editor closed, its text committed; byKey: by Enter or Esc, whose hook follows.
    std::function<void(int row, bool byKey)> editClosed;
    std::function<void()> editOpened;                        // the cell editor opened
    std::function<bool(const QKeyEvent& key)> windowCommand; // the key is a command of the window
    // The column a character typed in row mode goes into (its editor opens with it); -1: none.
    std::function<int()> typingColumn;
    std::function<void()> sorted; // a header click sorted the list
    std::function<void(const QPoint& globalPos)> contextMenu;
    std::function<void()> resized; // the client width changed

    // True while a cell, not a whole row, is current (stop list editing).
    bool CellMode() const { return cellMode_; }
    // True while the cell editor is open.
    bool Editing() const { return state() == QAbstractItemView::EditingState; }
    void SetCellMode(bool on, int col);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ApplyViewState();
    // Backspace or Delete on a filled editable cell: an edit that starts with the cell cleared.
    bool ClearCell(const QModelIndex& cell);
    // Makes `cell` the current cell as a click on it would, also when it is current already.
    void ChooseCell(const QModelIndex& cell);

    GridModel* model_;
    bool inputEnabled_ = true;
    bool applying_ = false;
    bool cellMode_ = false;
    int lastRow_ = -1;
    int lastTopRow_ = -1;
    int lastLeftCol_ = 0;
    THeaderClick headerClick_;
    bool closingByKey_ = false;
    bool pressedCurrentCell_ = false; // a click on the current cell opens its editor

    friend class CellDelegate;
};

} // namespace vandoret::ui
