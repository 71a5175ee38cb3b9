#include "ui/StartListHint.h"

#include <QDir>
#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <algorithm>

namespace vandoret::ui {
namespace {

constexpr int kWidestNote = 600;
constexpr int kMargin = 8;  // inside the note
constexpr int kOutside = 6; // between the note and the list's edges

} // namespace

StartListHint::StartListHint(QWidget* list, std::function<void()> open) : QFrame(list) {
    setObjectName("StartListHint");
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setStyleSheet("#StartListHint { background: #fffbe6; border: 1px solid #26385e; }");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    text = new QLabel(this);
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse); // the path can be copied
    text->setTextFormat(Qt::PlainText);
    layout->addWidget(text);
    openButton = new QPushButton(QString::fromUtf8("[Ctrl+O] Starterliste öffnen …"), this);
    // F4, F8 and the other keys stay with the window.
    openButton->setFocusPolicy(Qt::NoFocus);
    connect(openButton, &QPushButton::clicked, this, [open = std::move(open)] {
        if (open) {
            open();
        }
    });
    layout->setSpacing(kOutside);
    layout->addWidget(openButton, 0, Qt::AlignLeft);
    hide();
    list->installEventFilter(this);
}

void StartListHint::Follow(bool notFound, const QString& path) {
    if (!notFound) {
        if (isVisible()) {
            hide();
        }
        return;
    }
    const QString note = QString::fromUtf8("Keine Starterliste gefunden. Vandoret hat hier gesucht:\n%1\n"
                                           "Legen Sie die Starterliste dort ab (sie wird sofort gelesen) "
                                           "oder öffnen Sie eine:")
                             .arg(QDir::toNativeSeparators(path));
    if (text->text() != note) {
        text->setText(note);
        Place();
    }
    if (!isVisible()) {
        Place();
        show();
        raise();
    }
}

bool StartListHint::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) {
        Place();
    }
    return QFrame::eventFilter(watched, event);
}

void StartListHint::Place() {
    const QWidget* list = parentWidget();
    const int width = std::max(120, std::min(kWidestNote, list->width() - 2 * kOutside));
    // The wrapped text's height at that width, the button below it.
    const int wanted = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width) : sizeHint().height();
    const int height = std::min(wanted, std::max(60, list->height() - 2 * kOutside));
    setGeometry((list->width() - width) / 2, std::max(kOutside, (list->height() - height) / 3), width, height);
}

QString OpenDialogFolder(bool startListNotFound) {
    if (startListNotFound) {
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (!documents.isEmpty() && QDir(documents).exists()) {
            return documents;
        }
    }
    return QDir::currentPath();
}

} // namespace vandoret::ui
