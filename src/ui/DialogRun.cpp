#include "ui/DialogRun.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPointer>

namespace vandoret::ui {
namespace {

std::function<void(bool)>& Gate() {
    static std::function<void(bool)> gate;
    return gate;
}

int running = 0;

} // namespace

void SetDialogGate(std::function<void(bool open)> gate) {
    Gate() = std::move(gate);
}

bool DialogRunning() {
    return running > 0;
}

int RunDialog(QDialog& dialog) {
    if (running > 0) {
        return dialog.exec();
    }
    ++running;
    if (Gate()) {
        Gate()(true);
    }
    dialog.setWindowModality(Qt::NonModal);
    dialog.setResult(0);
    QEventLoop loop;
    const QMetaObject::Connection done = QObject::connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
    if (dialog.isVisible()) {
        loop.exec(QEventLoop::DialogExec);
    }
    QObject::disconnect(done);
    const int result = dialog.result();
    --running;
    if (Gate()) {
        Gate()(false);
    }
    return result;
}

StartStopKeys::StartStopKeys(QWidget* mainWindow, std::function<void()> start, std::function<void()> stop)
    : QObject(mainWindow), mainWindow_(mainWindow), start_(std::move(start)), stop_(std::move(stop)) {
    qApp->installEventFilter(this);
}

StartStopKeys::~StartStopKeys() {
    qApp->removeEventFilter(this);
}

bool StartStopKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() != Qt::Key_F4 && key->key() != Qt::Key_F8) ||
        (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        return false;
    }
    if (key->isAutoRepeat()) {
        return true; // the key is held: it took its start or finish when it went down
    }
    if (static_cast<QWidget*>(watched)->window() == mainWindow_) {
        return false; // the main window's own items take it
    }
    (key->key() == Qt::Key_F4 ? start_ : stop_)();
    return true;
}

} // namespace vandoret::ui
