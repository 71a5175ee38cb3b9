#include "ui/CellDelegate.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QValidator>

#include "ui/GridView.h"

namespace vandoret::ui {
namespace {

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

} // namespace

CellDelegate::CellDelegate(GridView* view) : QStyledItemDelegate(view), view_(view) {}

QWidget* CellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
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
    if (view_->editOpened) {
        view_->editOpened();
    }
    return edit;
}

// The highlight is the grid's own selection, whatever the view's selection model holds: the
// whole row in row mode, the one cell while a stop-list cell is edited, nothing in a list that
// takes no input.
void CellDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const GridRect& sel = view_->grid().Selection();
    const int row = index.row() + 1;
    const int col = index.column();
    const bool selected =
        view_->InputEnabled() && row >= sel.top && row <= sel.bottom && col >= sel.left && col <= sel.right;
    option->state.setFlag(QStyle::State_Selected, selected);
}

bool CellDelegate::eventFilter(QObject* object, QEvent* event) {
    auto* editor = qobject_cast<QLineEdit*>(object);
    if (editor != nullptr && event->type() == QEvent::ShortcutOverride && view_->windowCommand) {
        // The window's commands (F8, Ctrl+X, Ctrl+0, ...) work in the editor as everywhere else;
        // every other key is the editor's, also one that a window item without action carries.
        event->setAccepted(!view_->windowCommand(*static_cast<QKeyEvent*>(event)));
        return true;
    }
    if (editor != nullptr && event->type() == QEvent::KeyPress && HandleKey(editor, static_cast<QKeyEvent*>(event))) {
        return true;
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

bool CellDelegate::HandleKey(QLineEdit* editor, QKeyEvent* key) {
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (enter || key->key() == Qt::Key_Escape) {
        emit commitData(editor);
        view_->closingByKey_ = true;
        emit closeEditor(editor, NoHint);
        view_->closingByKey_ = false;
        const std::function<void()>& after = enter ? view_->enterPressed : view_->escapePressed;
        if (after) {
            after();
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

} // namespace vandoret::ui
