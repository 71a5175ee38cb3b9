#include <QtTest>

#include "ui/Unit1.h"

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void captionAndMinimumSize() {
        vandoret::ui::TForm1 form;
        QVERIFY(form.windowTitle().endsWith(" 1.5"));
        QCOMPARE(form.minimumSize(), QSize(800, 360));
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
