// The cell editor of a GridView: a line edit whose typed and pasted characters pass the view's
// key filter, whose Enter and Esc belong to the list, and which leaves to the window the keys of
// its commands (F4, F8, Ctrl+C, Ctrl+X, ...) while it takes every other key (Ctrl+A, Ctrl+Z,
// Ctrl+Y, Ctrl+V, and those of the window's items without an action).
#pragma once

#include <QStyledItemDelegate>

namespace vandoret::ui {

class GridView;

class CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(GridView* view);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    bool HandleKey(QLineEdit* editor, QKeyEvent* key);

    GridView* view_;
};

} // namespace vandoret::ui
