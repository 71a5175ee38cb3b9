#include "ui/DialogPlacement.h"

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

} // namespace vandoret::ui
