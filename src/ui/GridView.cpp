#include "ui/GridView.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>

#include "ui/CellDelegate.h"
#include "ui/CellFormats.h"
#include "ui/Pictures.h"

namespace vandoret::ui {

// ---- GridModel ------------------------------------------------------------------------------

GridModel::GridModel(TSortGrid& grid, int tab, QObject* parent) : QAbstractTableModel(parent), grid_(grid), tab_(tab) {
    rows_ = std::max(grid_.RowCount() - 1, 0);
    cols_ = grid_.ColCount();
    revision_ = grid_.Revision();
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}
int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : cols_;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const int row = index.row() + 1;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: {
        QString text = QString::fromStdString(grid_.Cells(index.column(), row));
        const CellFormat f = role == Qt::DisplayRole && cellFormat ? cellFormat(index.column(), row) : CellFormat{};
        return f.mark.empty() ? text : text + ' ' + QString::fromUtf8(f.mark.data(), qsizetype(f.mark.size()));
    }
    case Qt::BackgroundRole:
    case Qt::ForegroundRole: {
        const CellFormat f = cellFormat ? cellFormat(index.column(), row) : CellFormat{};
        const std::optional<Rgb>& colour = role == Qt::BackgroundRole ? f.background : f.textColor;
        return colour ? QVariant(ToQColor(*colour)) : QVariant();
    }
    case Qt::ToolTipRole: {
        const CellFormat f = cellFormat ? cellFormat(index.column(), row) : CellFormat{};
        return f.toolTip.empty() ? QVariant() : QVariant(QString::fromStdString(f.toolTip));
    }
    case Qt::TextAlignmentRole: {
        const CellFormat f = cellFormat ? cellFormat(index.column(), row) : CellFormat{};
        return QVariant::fromValue((f.rightAligned ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        return QString::fromStdString(grid_.Cells(section, 0));
    }
    if (orientation == Qt::Horizontal && role == Qt::DecorationRole) {
        // The sort column's caption carries an arrow before it.
        const SortArrow arrow = CaptionSortArrow(grid_, section);
        if (arrow == SortArrow::None) {
            return {};
        }
        return pictures::SortArrow(arrow == SortArrow::Up);
    }
    if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return {};
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole) {
        return false;
    }
    grid_.SetCell(index.column(), index.row() + 1, value.toString().toStdString());
    Sync();
    return true;
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && editableColumn && editableColumn(index.column())) {
        f |= Qt::ItemIsEditable;
    }
    return f;
}

bool GridModel::Sync() {
    if (grid_.Revision() == revision_) {
        return false;
    }
    revision_ = grid_.Revision();
    const int rows = std::max(grid_.RowCount() - 1, 0);
    const int cols = grid_.ColCount();
    if (cols != cols_) {
        beginResetModel();
        rows_ = rows;
        cols_ = cols;
        endResetModel();
        return true;
    }
    if (rows > rows_) {
        beginInsertRows({}, rows_, rows - 1);
        rows_ = rows;
        endInsertRows();
    } else if (rows < rows_) {
        beginRemoveRows({}, rows, rows_ - 1);
        rows_ = rows;
        endRemoveRows();
    }
    if (rows_ > 0 && cols_ > 0) {
        emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1));
    }
    emit headerDataChanged(Qt::Horizontal, 0, cols_ - 1);
    return true;
}

// ---- GridView -------------------------------------------------------------------------------

GridView::GridView(TSortGrid& grid, int tab, QWidget* parent)
    : QTableView(parent), model_(new GridModel(grid, tab, this)) {
    setModel(model_);
    setItemDelegate(new CellDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(19);
    verticalHeader()->setMinimumSectionSize(19);
    horizontalHeader()->setFixedHeight(21);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setMinimumSectionSize(10);
    horizontalHeader()->viewport()->installEventFilter(this);
    QFont f("Arial");
    f.setPixelSize(15);
    setFont(f);
    QFont hf = f;
    hf.setPixelSize(13);
    hf.setBold(true);
    horizontalHeader()->setFont(hf);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, kGridBackground);
    pal.setColor(QPalette::AlternateBase, kGridBackground);
    pal.setColor(QPalette::Highlight, QColor(10, 36, 106));
    pal.setColor(QPalette::HighlightedText, Qt::white);
    pal.setColor(QPalette::Inactive, QPalette::Highlight, QColor(10, 36, 106));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::white);
    setPalette(pal);
    setStyleSheet("QTableView { gridline-color: rgb(160, 160, 196); }");
    ApplyViewState();
}

void GridView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    const QVariant row = editor != nullptr ? editor->property("gridRow") : QVariant();
    QTableView::closeEditor(editor, hint);
    if (row.isValid() && editClosed) {
        editClosed(row.toInt(), closingByKey_);
    }
}

void GridView::SetInputEnabled(bool enabled) {
    // A list without input still scrolls (wheel and scroll bar) but takes no click, key or header
    // click, and no row of it is selected.
    inputEnabled_ = enabled;
    horizontalHeader()->setSectionsClickable(enabled);
    setFocusPolicy(enabled ? Qt::StrongFocus : Qt::NoFocus);
    setSelectionMode(enabled ? QAbstractItemView::SingleSelection : QAbstractItemView::NoSelection);
    if (!enabled) {
        clearSelection();
    }
    viewport()->update();
}

bool GridView::viewportEvent(QEvent* event) {
    if (!inputEnabled_) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::ContextMenu:
            return true; // eaten: the list takes no input
        default:
            break;
        }
    }
    return QTableView::viewportEvent(event);
}

void GridView::SetColumnWidths(const std::vector<int>& widths) {
    for (std::size_t c = 0; c < widths.size() && static_cast<int>(c) < model_->columnCount(); ++c) {
        setColumnWidth(static_cast<int>(c), std::max(widths[c], 0));
    }
}

int GridView::ClientWidth() const {
    return viewport()->width();
}

void GridView::Refresh() {
    if (model_->Sync()) {
        ApplyViewState();
    }
}

void GridView::SetCellMode(bool on, int col) {
    cellMode_ = on;
    setSelectionBehavior(on ? QAbstractItemView::SelectItems : QAbstractItemView::SelectRows);
    // A click makes the cell current, a click on the current cell opens its editor; typing opens
    // it at once.
    setEditTriggers(
        on ? (QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed)
           : QAbstractItemView::NoEditTriggers);
    const int row = grid().Row() - 1;
    if (row >= 0 && row < model_->rowCount()) {
        applying_ = true;
        const QModelIndex idx = model_->index(row, col);
        selectionModel()->setCurrentIndex(idx, on ? QItemSelectionModel::ClearAndSelect
                                                  : QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        applying_ = false;
    }
}

void GridView::ApplyViewState() {
    TSortGrid& g = grid();
    const int row = g.Row() - 1;
    applying_ = true;
    if (!inputEnabled_) {
        // Shown from its top row on, which a rebuild of the list puts back to the first.
        const int top = g.TopRow() - 1;
        if (top >= 0 && top < model_->rowCount() && rowAt(0) != top) {
            verticalScrollBar()->setValue(top);
        }
        lastRow_ = g.Row();
        lastTopRow_ = g.TopRow();
    } else if (Editing()) {
        // The open editor stays where the operator types; the grid's place is applied once it closes.
    } else if (row >= 0 && row < model_->rowCount()) {
        const QModelIndex cur = currentIndex();
        const int col = cellMode_ && cur.isValid() ? cur.column() : std::max(model_->columnCount() - 1, 0);
        if (!cur.isValid() || cur.row() != row || !selectionModel()->isRowSelected(row, {})) {
            const QModelIndex idx = model_->index(row, cellMode_ ? col : 0);
            const auto flags = cellMode_ ? QItemSelectionModel::ClearAndSelect
                                         : (QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            selectionModel()->setCurrentIndex(idx, flags);
        }
        if (g.Row() != lastRow_) {
            scrollTo(model_->index(row, 0));
        }
    }
    lastRow_ = g.Row();
    if (g.LeftCol() != lastLeftCol_) {
        lastLeftCol_ = g.LeftCol();
        horizontalScrollBar()->setValue(columnViewportPosition(g.LeftCol()) + horizontalOffset());
    }
    if (g.TopRow() != lastTopRow_) {
        lastTopRow_ = g.TopRow();
        const int top = g.TopRow() - 1;
        if (top >= 0 && top < model_->rowCount() && rowAt(0) != top) {
            verticalScrollBar()->setValue(top);
        }
    }
    applying_ = false;
}

void GridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (applying_ || !current.isValid()) {
        return;
    }
    const int row = current.row() + 1;
    if (selectCell) {
        const bool cell = selectCell(current.column(), row);
        if (cell != cellMode_ || cell) {
            cellMode_ = cell;
            SetCellMode(cell, cell ? current.column() : model_->columnCount() - 1);
        }
    }
    if (rowChosen && grid().Row() != row) {
        rowChosen(row);
    }
    lastRow_ = grid().Row();
    model_->Sync();
}

void GridView::keyPressEvent(QKeyEvent* event) {
    if (!inputEnabled_) {
        event->ignore();
        return;
    }
    // Enter belongs to the list in both modes: in row mode its current cell is the last column.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && enterPressed) {
        enterPressed();
        return;
    }
    if (cellMode_ && event->key() == Qt::Key_Escape) {
        if (escapePressed) {
            escapePressed();
        }
        return;
    }
    const bool plain = (event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) == Qt::NoModifier;
    if (!cellMode_ && plain && typingColumn && currentIndex().isValid()) {
        // In row mode a character goes into the typing column of the current row.
        const QModelIndex cell = model_->index(currentIndex().row(), typingColumn());
        const QList<uint> chars = event->text().toUcs4();
        const bool clear = event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete;
        const bool typed = chars.size() == 1 && chars.front() >= 0x20 && chars.front() != 0x7f && keyFilter &&
                           keyFilter(chars.front()) != 0;
        if (cell.isValid() && (model_->flags(cell) & Qt::ItemIsEditable) && (clear || typed)) {
            ChooseCell(cell);
        }
    }
    if (cellMode_ && plain && !Editing() && (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete)) {
        if (ClearCell(currentIndex())) {
            return;
        }
    }
    QTableView::keyPressEvent(event);
}

void GridView::mousePressEvent(QMouseEvent* event) {
    const QModelIndex at = indexAt(event->position().toPoint());
    const bool onCurrent = inputEnabled_ && event->button() == Qt::LeftButton && at.isValid() && at == currentIndex();
    pressedCurrentCell_ = onCurrent && cellMode_ && !Editing();
    if (onCurrent && !cellMode_) {
        ChooseCell(at); // the current cell of a whole-row selection, chosen on its own
    }
    QTableView::mousePressEvent(event);
}

void GridView::ChooseCell(const QModelIndex& cell) {
    if (cell != currentIndex()) {
        selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect); // see currentChanged
        return;
    }
    if (selectCell) {
        const bool on = selectCell(cell.column(), cell.row() + 1);
        SetCellMode(on, on ? cell.column() : model_->columnCount() - 1);
        model_->Sync();
    }
}

void GridView::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    const QModelIndex at = indexAt(event->position().toPoint());
    if (pressedCurrentCell_ && at == currentIndex() && cellMode_ && !Editing()) {
        edit(at);
    }
    pressedCurrentCell_ = false;
}

bool GridView::ClearCell(const QModelIndex& cell) {
    if (!cell.isValid() || !(model_->flags(cell) & Qt::ItemIsEditable) ||
        model_->data(cell, Qt::EditRole).toString().isEmpty()) {
        return false;
    }
    edit(cell);
    auto* editor = qobject_cast<QLineEdit*>(indexWidget(cell));
    if (editor == nullptr) {
        return false;
    }
    editor->clear();
    model_->setData(cell, QString(), Qt::EditRole);
    return true;
}

void GridView::contextMenuEvent(QContextMenuEvent* event) {
    if (contextMenu && inputEnabled_) {
        contextMenu(event->globalPos());
        event->accept();
        return;
    }
    QTableView::contextMenuEvent(event);
}

void GridView::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    if (!applying_ && dy != 0) {
        const int top = rowAt(0) + 1;
        if (top >= 1 && top != grid().TopRow()) {
            grid().SetTopRow(top);
            lastTopRow_ = grid().TopRow();
            model_->Sync();
        }
    }
}

void GridView::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    if (resized) {
        resized();
    }
}

bool GridView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == horizontalHeader()->viewport() && inputEnabled_ &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease)) {
        auto* me = static_cast<QMouseEvent*>(event);
        QHeaderView* header = horizontalHeader();
        HeaderHit hit;
        hit.x = me->position().toPoint().x();
        hit.col = header->logicalIndexAt(hit.x);
        hit.row = 0;
        hit.colLeft = header->sectionViewportPosition(hit.col);
        hit.colRight = hit.colLeft + header->sectionSize(hit.col);
        if (event->type() == QEvent::MouseButtonPress) {
            headerClick_.MouseDown(hit);
        } else {
            const MouseButton button = me->button() == Qt::RightButton  ? MouseButton::Right
                                       : me->button() == Qt::LeftButton ? MouseButton::Left
                                                                        : MouseButton::Middle;
            if (headerClick_.MouseUp(grid(), hit, button)) {
                Refresh();
                if (sorted) {
                    sorted();
                }
            }
        }
    }
    return QTableView::eventFilter(watched, event);
}

} // namespace vandoret::ui
