#include "ui/ScreenshotDemo.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QPixmap>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>

#include "ui/DlgYesNo.h"
#include "ui/FInfo.h"
#include "ui/Unit1.h"

namespace vandoret::ui {
namespace {

void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void Save(QWidget& w, const QString& dir, const QString& name) {
    Wait(150);
    // The whole screen area of the window, frame included when a window manager draws one.
    QPixmap shot = w.grab();
    shot.save(QDir(dir).filePath(name + ".png"));
}

} // namespace

void RunScreenshotDemo(TForm1& form, TFormInfo& info, TFDlgYesNo& yesNo, const QString& outDir) {
    QDir().mkpath(outDir);
    Wait(500);
    Timekeeper& tk = form.core();
    // Three riders start, two of them finish, and the operator types their numbers.
    for (int i = 0; i < 3; ++i) {
        form.mStartClick();
        Wait(350);
    }
    for (int i = 0; i < 2; ++i) {
        form.mStopClick();
        Wait(450);
    }
    for (int row = 1; row <= 2 && row < tk.registrations.SortGrid3.RowCount(); ++row) {
        const std::string number = tk.registrations.SortGrid2.Cells(kStartNr, row);
        tk.registrations.SortGrid3.SetCell(kStopNr, row, number);
    }
    tk.registrations.SortGrid3.SetCell(kStopFaults, 2, "4");
    const char* const names[] = {"tab1-startliste", "tab2-startzeiten", "tab3-stoppzeiten", "tab4-ergebnisse",
                                 "tab5-vielseitigkeit"};
    for (int tab = 0; tab < 5; ++tab) {
        form.PageControl1->setCurrentIndex(tab);
        form.RefreshFromCore();
        Save(form, outDir, names[tab]);
    }
    form.PageControl1->setCurrentIndex(0);
    const QRect before = form.geometry();
    form.showMaximized();
    Wait(400);
    if (!form.isMaximized() || form.width() < 900) {
        // Without a window manager nothing maximises: take the whole screen instead.
        form.setGeometry(form.screen()->availableGeometry());
        Wait(300);
    }
    form.RefreshFromCore();
    Save(form, outDir, "maximised");
    form.showNormal();
    form.setGeometry(before);

    yesNo.AskYesNo("Beenden?");
    yesNo.show();
    Save(yesNo, outDir, "dialog-janein");
    yesNo.AskYesNo("Liste ist leer");
    Save(yesNo, outDir, "dialog-janein-warnung");
    yesNo.hide();
    info.show();
    Save(info, outDir, "dialog-information");
    info.hide();
    QApplication::exit(0);
}

void RunLiveDemo(TForm1& form) {
    Wait(300);
    Timekeeper& tk = form.core();
    for (int i = 0; i < 4; ++i) {
        form.mStartClick();
        Wait(700);
    }
    for (int i = 0; i < 2; ++i) {
        form.mStopClick();
        Wait(500);
    }
    for (int row = 1; row <= 2 && row < tk.registrations.SortGrid3.RowCount(); ++row) {
        tk.registrations.SortGrid3.SetCell(kStopNr, row, tk.registrations.SortGrid2.Cells(kStartNr, row));
    }
    tk.registrations.SortGrid3.SetCell(kStopFaults, 1, "4");
    form.RefreshFromCore();
}

} // namespace vandoret::ui
