#include "ui/GridView.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QValidator>

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

// ---- Cell editor ----------------------------------------------------------------------------

// Text that reaches the cell editor other than by typing (a paste, a drop) goes through the same
// character filter as typed keys: what the filter discards is dropped, what it replaces is replaced.
class PasteFilter : public QValidator {
public:
    PasteFilter(std::function<char32_t(char32_t)> filter, QObject* parent)
        : QValidator(parent), filter_(std::move(filter)) {}

    State validate(QString& input, int& pos) const override {
        QString out;
        int outPos = 0;
        qsizetype i = 0;
        for (const char32_t c : input.toUcs4()) {
            const qsizetype width = QChar::requiresSurrogates(c) ? 2 : 1;
            // Control characters never come from a typed character the filter lets through.
            const char32_t kept = (c < 0x20 || c == 0x7f) ? 0 : filter_(c);
            if (kept != 0) {
                out += QString::fromUcs4(&kept, 1);
            }
            if (i < pos) {
                outPos = static_cast<int>(out.size());
            }
            i += width;
        }
        input = out;
        pos = std::min(outPos, static_cast<int>(out.size()));
        return Acceptable;
    }

private:
    std::function<char32_t(char32_t)> filter_;
};

class CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(GridView* view) : QStyledItemDelegate(view), view_(view) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        auto* edit = new QLineEdit(parent);
        edit->setProperty("gridRow", index.row() + 1); // for editClosed
        edit->setFrame(false);
        if (view_->keyFilter) {
            edit->setValidator(new PasteFilter(view_->keyFilter, edit));
        }
        edit->setFont(option.font);
        // The cell follows the editor's text as the operator types.
        const QPersistentModelIndex cell(index);
        GridView* view = view_;
        connect(edit, &QLineEdit::textEdited, edit, [view, cell](const QString& text) {
            if (cell.isValid()) {
                view->model()->setData(cell, text, Qt::EditRole);
            }
        });
        return edit;
    }

protected:
    // The highlight is the grid's own selection, whatever the view's selection model holds: the
    // whole row in row mode, the one cell while a stop-list cell is edited, nothing in a list that
    // takes no input.
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const GridRect& sel = view_->grid().Selection();
        const int row = index.row() + 1;
        const int col = index.column();
        const bool selected = view_->InputEnabled() && row >= sel.top && row <= sel.bottom && col >= sel.left &&
                              col <= sel.right;
        option->state.setFlag(QStyle::State_Selected, selected);
    }

    bool eventFilter(QObject* object, QEvent* event) override {
        auto* editor = qobject_cast<QLineEdit*>(object);
        if (editor != nullptr && event->type() == QEvent::ShortcutOverride) {
            // The window's shortcuts (Ctrl+X, Ctrl+0, ...) work in the editor as everywhere else.
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
                event->ignore();
                return true;
            }
        }
        if (editor != nullptr && event->type() == QEvent::KeyPress &&
            HandleKey(editor, static_cast<QKeyEvent*>(event))) {
            return true;
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    bool HandleKey(QLineEdit* editor, QKeyEvent* key) {
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            emit commitData(editor);
            emit closeEditor(editor, NoHint);
            if (view_->enterPressed) {
                view_->enterPressed();
            }
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            emit commitData(editor);
            emit closeEditor(editor, NoHint);
            if (view_->escapePressed) {
                view_->escapePressed();
            }
            return true;
        }
        // Only characters reach the filter: Backspace and printable ones. Delete, Tab and the other
        // keys that merely carry a control code edit or move as usual.
        // Commands (Ctrl+V, Ctrl+A, ...) are the editor's; what they insert passes the paste filter.
        if (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) {
            return false;
        }
        const QList<uint> chars = key->text().toUcs4();
        if (chars.size() != 1 || !view_->keyFilter) {
            return false; // navigation and editing keys go to the editor
        }
        const char32_t c = chars.front();
        if (c != U'\b' && (c < 0x20 || c == 0x7f)) {
            return false;
        }
        const char32_t result = view_->keyFilter(c);
        if (result == 0) {
            return true; // discarded
        }
        if (result != c) {
            editor->insert(QString::fromUcs4(&result, 1));
            return true;
        }
        return false;
    }

    GridView* view_;
};

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
        editClosed(row.toInt());
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
    // A click only makes the cell current; typing opens the editor at once.
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
    QTableView::keyPressEvent(event);
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
