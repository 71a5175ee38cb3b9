#include "ui/DialogPlacement.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace vandoret::ui {

void CenterOnOwnerWindow(QWidget* dialog) {
    const QWidget* parent = dialog->parentWidget();
    if (parent == nullptr) {
        return;
    }
    if (!dialog->testAttribute(Qt::WA_Resized)) {
        dialog->adjustSize();
    }
    const QRect owner = parent->window()->frameGeometry();
    const QSize frame = dialog->frameGeometry().size().expandedTo(dialog->size());
    dialog->move(owner.center() - QPoint(frame.width() / 2, frame.height() / 2));
}

QLabel* NewRefusalLabel(QWidget* dialog) {
    auto* label = new QLabel(dialog);
    label->setWordWrap(true);
    label->setStyleSheet("QLabel { color: #b00000; font-weight: bold; }");
    label->hide();
    return label;
}

QHBoxLayout* NewOkCancelRow(QDialog* dialog, QPushButton*& ok, QPushButton*& cancel) {
    ok = new QPushButton("OK", dialog);
    ok->setDefault(true);
    cancel = new QPushButton("Abbrechen", dialog);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

} // namespace vandoret::ui
