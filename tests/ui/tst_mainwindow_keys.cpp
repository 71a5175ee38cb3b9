// The operator's keys and the keyboard's place: F4, F8 and the two captions while a dialog is
// open, held keys, the number list that chooses only in its drop-down, and the stop list's cell
// that a finish leaves to the operator.
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>
#include <functional>
#include <memory>

#include "fakes/FakeHost.h"
#include "ui/DialogRun.h"
#include "ui/DlgYesNo.h"
#include "ui/FInfo.h"
#include "ui/GridView.h"
#include "ui/HandTimeDialog.h"
#include "ui/Label3D.h"
#include "ui/Unit1.h"

using vandoret::Timekeeper;
using vandoret::testing::FakeHost;
using vandoret::ui::TForm1;

namespace {

struct Rig {
    FakeHost host;
    Timekeeper tk{host};
    TForm1 form{host, tk, [] {
                    vandoret::ui::FormOptions o;
                    o.installFont = false;
                    return o;
                }()};
    Rig() {
        tk.startList.SortGrid1.SetRowCount(3);
        tk.startList.SortGrid1.SetCell(1, 1, "10");
        tk.startList.SortGrid1.SetCell(1, 2, "20");
        tk.startList.cbNr.Items = {"10", "20"};
        tk.SelectRider(0);
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.RefreshFromCore();
    }
    // One finish taken, the tab "Stoppzeiten" shown.
    vandoret::ui::GridView* StopListAfterAFinish() {
        form.mStopClick();
        form.PageControl1->setCurrentIndex(2);
        QTest::qWait(20);
        return form.SortGrids[2];
    }
    int Finishes() const {
        return tk.registrations.SortGrid3.IsBlankRow(1) ? 0 : tk.registrations.SortGrid3.RowCount() - 1;
    }
    int Starts() const {
        return tk.registrations.SortGrid2.IsBlankRow(1) ? 0 : tk.registrations.SortGrid2.RowCount() - 1;
    }
};

// A key pressed and held: its first press, then `repeats` repeats, as the platform sends them.
void HoldKey(QWidget* w, Qt::Key key, int repeats) {
    for (int i = 0; i <= repeats; ++i) {
        QTest::simulateEvent(w, true, key, Qt::NoModifier, {}, i > 0);
    }
    QTest::simulateEvent(w, false, key, Qt::NoModifier, {}, false);
}

// Runs `check` on the dialog once one other than `form` is the active window, however long a
// loaded machine takes to show it (at most 10 s: then with nullptr). Every dialog still shown
// afterwards is closed, so a failed check cannot leave the test waiting on its dialog.
void WhenDialogActive(QWidget& form, std::function<void(QWidget*)> check) {
    auto* timer = new QTimer(&form);
    auto since = std::make_shared<QElapsedTimer>();
    since->start();
    QObject::connect(timer, &QTimer::timeout, &form, [timer, since, &form, check] {
        QWidget* open = QApplication::activeWindow();
        const bool shown = open != nullptr && open != &form;
        if (!shown && since->elapsed() < 10'000) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        check(shown ? open : nullptr);
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QDialog*>(w); dialog != nullptr && dialog->isVisible()) {
                dialog->reject();
            }
        }
    });
    timer->start(20);
}

} // namespace

class MainWindowKeysTest : public QObject {
    Q_OBJECT
private slots:
    void startsAndFinishesWhateverDialogIsOpen_data() {
        QTest::addColumn<QString>("dialog");
        for (const char* d : {"information", "yes/no", "Handzeit", "file"}) {
            QTest::newRow(d) << d;
        }
    }
    void startsAndFinishesWhateverDialogIsOpen() {
        QFETCH(QString, dialog);
        Rig rig;
        vandoret::ui::TFormInfo info(&rig.form);
        rig.form.FormInfo = &info;
        vandoret::ui::TFDlgYesNo yesNo(&rig.form);
        QFileDialog files(&rig.form);
        files.setOption(QFileDialog::DontUseNativeDialog);
        rig.form.SortGrids[0]->setFocus();
        bool checked = false;
        WhenDialogActive(rig.form, [&](QWidget* open) {
            QVERIFY(open != nullptr);
            QVERIFY(QApplication::activeModalWidget() == nullptr); // the main window is not blocked
            QVERIFY(!rig.form.PageControl1->isEnabled() && !rig.form.bCFG->isEnabled());
            QWidget* keys = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : open;
            HoldKey(keys, Qt::Key_F4, 3);
            HoldKey(keys, Qt::Key_F8, 3);
            QTest::mouseClick(rig.form.Label3D2, Qt::LeftButton);
            QTest::mouseClick(rig.form.Label3D1, Qt::LeftButton);
            QCOMPARE(rig.Starts(), 2);
            QCOMPARE(rig.Finishes(), 2);
            QVERIFY(open->isVisible()); // the dialog stays as it was
            checked = true;
        });
        if (dialog == "information") {
            rig.form.Info1Click();
        } else if (dialog == "yes/no") {
            yesNo.Ask("Beenden?");
        } else if (dialog == "Handzeit") {
            rig.form.HandTimeClick(false);
        } else {
            vandoret::ui::RunDialog(files);
        }
        QVERIFY(checked);
        QVERIFY(rig.form.PageControl1->isEnabled() && rig.form.bCFG->isEnabled());
        QTRY_VERIFY(rig.form.SortGrids[0]->hasFocus()); // back where it was
        // In the main window a held key takes one finish too.
        HoldKey(&rig.form, Qt::Key_F8, 3);
        QCOMPARE(rig.Finishes(), 3);
    }

    void theClosedNumberListChoosesNoRider() {
        Rig rig;
        QTRY_VERIFY(rig.form.SortGrids[0]->hasFocus()); // at start-up: the start list
        QCOMPARE(rig.form.cbNr->focusPolicy(), Qt::NoFocus);
        rig.form.cbNr->setFocus(); // even when it had the keyboard
        for (Qt::Key key : {Qt::Key_Down, Qt::Key_PageDown, Qt::Key_End, Qt::Key_2, Qt::Key_Up}) {
            QTest::keyClick(rig.form.cbNr, key, Qt::NoModifier);
        }
        QWheelEvent wheel({10, 10}, rig.form.cbNr->mapToGlobal(QPoint(10, 10)), {}, {0, -120}, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(rig.form.cbNr, &wheel);
        QCOMPARE(rig.tk.startList.cbNr.ItemIndex, 0);
        // A dialog closed while the number list had the keyboard hands it to the list of the tab.
        vandoret::ui::TFDlgYesNo yesNo(&rig.form);
        WhenDialogActive(rig.form, [](QWidget*) {}); // closed as soon as it is up
        yesNo.Ask("Beenden?");
        QTRY_VERIFY(rig.form.SortGrids[0]->hasFocus());
    }

    void aFinishLeavesTheTypedCellAndThenOffersItsStartNumber_data() {
        QTest::addColumn<int>("col"); // the cell typed into when the finish arrives
        QTest::addColumn<int>("key"); // what ends the edit
        QTest::newRow("St.Nr., Enter") << 2 << int(Qt::Key_Return);
        QTest::newRow("F.-Pkt., Enter") << 5 << int(Qt::Key_Return);
        QTest::newRow("Pausen, Esc") << 3 << int(Qt::Key_Escape);
    }
    void aFinishLeavesTheTypedCellAndThenOffersItsStartNumber() {
        QFETCH(int, col);
        QFETCH(int, key);
        Rig rig;
        auto* view = rig.StopListAfterAFinish();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(0, col)).center());
        QTest::keyClicks(view, "1");
        QVERIFY(view->Editing());
        QWidget* editor = QApplication::focusWidget();
        QTest::keyClick(editor, Qt::Key_F8);
        QVERIFY(view->Editing());
        QCOMPARE(QApplication::focusWidget(), editor);
        QCOMPARE(view->currentIndex(), view->model()->index(0, col));
        QTest::keyClicks(editor, "2");
        QTest::keyClick(editor, Qt::Key(key));
        // A pause is shown as it was read once the cell is left: 12 s.
        QCOMPARE(rig.tk.registrations.SortGrid3.Cells(col, 1), std::string(col == 3 ? "12,0" : "12"));
        // The new row is current, and what is typed next is its start number.
        QCOMPARE(rig.tk.registrations.SortGrid3.Row(), 2);
        QTest::keyClicks(view, "3");
        QTest::keyClicks(QApplication::focusWidget(), "4");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(rig.tk.registrations.SortGrid3.Cells(2, 2), std::string("34"));
    }

    void editorKeysAndClearingACell_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Backspace") << int(Qt::Key_Backspace);
        QTest::newRow("Delete") << int(Qt::Key_Delete);
    }
    void editorKeysAndClearingACell() {
        QFETCH(int, key);
        Rig rig;
        auto* view = rig.StopListAfterAFinish();
        const QPoint faults = view->visualRect(view->model()->index(0, 5)).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, faults);
        QTest::keyClicks(view, "12");
        // Ctrl+A belongs to the editor (the window's "All" has no action): "5" replaces all.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), "5");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QCOMPARE(rig.tk.registrations.SortGrid3.Cells(5, 1), std::string("5"));
        // A click on the current cell opens its editor; Esc closes it again.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, faults);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, faults);
        QTRY_VERIFY(view->Editing());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        // Backspace or Delete on the filled cell: an edit that starts with the cell cleared.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, faults);
        QTest::keyClick(view, Qt::Key(key));
        QVERIFY(view->Editing());
        QCOMPARE(rig.tk.registrations.SortGrid3.Cells(5, 1), std::string(""));
        QTest::keyClicks(QApplication::focusWidget(), "7");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(rig.tk.registrations.SortGrid3.Cells(5, 1), std::string("7"));
    }
};

QTEST_MAIN(MainWindowKeysTest)
#include "tst_mainwindow_keys.moc"
