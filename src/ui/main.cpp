#include <QApplication>

#include "ui/Unit1.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    vandoret::ui::TForm1 form;
    form.show();
    return app.exec();
}
