#include "ui/Unit1.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace vandoret::ui {

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    const QString title = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    setWindowTitle(title + " 1.5");
    setMinimumSize(800, 360);
    resize(800, 360);
}

} // namespace vandoret::ui
