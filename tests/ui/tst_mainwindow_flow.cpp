// A competition through the main window on the fake clock: starts, finishes, the stop list
// editor and the start list watch.
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>

#include "fakes/FakeHost.h"
#include "ui/GridView.h"
#include "ui/Label3D.h"
#include "ui/Unit1.h"

using vandoret::Timekeeper;
using vandoret::testing::FakeHost;
using vandoret::ui::TForm1;

namespace {

vandoret::ui::FormOptions NoFont() {
    vandoret::ui::FormOptions o;
    o.installFont = false;
    return o;
}

void WriteStartList(const QString& path, const QStringList& riders) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("Startzeit\tSt.Nr.\tName\tPferd\tClub\tOrt\r\n");
    for (const QString& r : riders) {
        f.write(r.toLatin1() + "\r\n");
    }
}

// A key as the platform delivers it: with the text it produces.
void SendKey(QWidget* w, Qt::Key key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}

int NonBlankRows(const vandoret::TSortGrid& g) {
    int n = 0;
    for (int r = 1; r < g.RowCount(); ++r) {
        n += g.IsBlankRow(r) ? 0 : 1;
    }
    return n;
}

} // namespace

class MainWindowFlowTest : public QObject {
    Q_OBJECT
private slots:
    void f8AndStoppCaptionRecordFinishes() {
        FakeHost host;
        Timekeeper tk(host);
        TForm1 form(host, tk, NoFont());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        host.SetClock(10, 15, 30, 170);
        QTest::keyClick(&form, Qt::Key_F8);
        host.SetClock(10, 16, 1, 990);
        QTest::mouseClick(form.Label3D2, Qt::LeftButton);
        QCOMPARE(NonBlankRows(tk.registrations.SortGrid3), 2);
        QCOMPARE(tk.registrations.SortGrid3.Cells(1, 1), std::string("10:15:30,1"));
        QCOMPARE(tk.registrations.SortGrid3.Cells(1, 2), std::string("10:16:01,9"));
        // The view shows both rows at once, and the clock panel what the core shows.
        QCOMPARE(form.SortGrids[2]->model()->rowCount(), 2);
        QCOMPARE(form.SortGrids[2]->model()->index(1, 1).data().toString(), QString("10:16:01,9"));
        QCOMPARE(form.TextStopTime->text().toStdString(), tk.registrations.TextStopTime);
        QCOMPARE(form.LabOstalosStop->text().toStdString(), tk.registrations.LabOstalosStop);
    }

    void f4AndStartCaptionRecordStarts() {
        FakeHost host;
        Timekeeper tk(host);
        TForm1 form(host, tk, NoFont());
        // Two riders by hand, the first selected.
        tk.startList.SortGrid1.SetRowCount(3);
        for (int r = 1; r <= 2; ++r) {
            tk.startList.SortGrid1.SetCell(0, r, r == 1 ? "9:30" : "9:35");
            tk.startList.SortGrid1.SetCell(1, r, std::to_string(r * 10));
            tk.startList.SortGrid1.SetCell(2, r, "Reiter " + std::to_string(r));
        }
        tk.startList.cbNr.Items = {"10", "20"};
        tk.SelectRider(0);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        host.SetClock(9, 30, 0, 450);
        QTest::keyClick(&form, Qt::Key_F4);
        host.SetClock(9, 35, 2, 0);
        QTest::mouseClick(form.Label3D1, Qt::LeftButton);
        QCOMPARE(NonBlankRows(tk.registrations.SortGrid2), 2);
        QCOMPARE(tk.registrations.SortGrid2.Cells(2, 1), std::string("10"));
        QCOMPARE(tk.registrations.SortGrid2.Cells(2, 2), std::string("20"));
        QCOMPARE(form.SortGrids[1]->model()->rowCount(), 2);
    }

    void typingIntoTheStopListEditor() {
        FakeHost host;
        Timekeeper tk(host);
        TForm1 form(host, tk, NoFont());
        tk.registrations.SortGrid3.SetRowCount(3);
        tk.registrations.SortGrid3.SetCell(0, 1, "1.");
        tk.registrations.SortGrid3.SetCell(1, 1, "10:15:30,1");
        tk.registrations.SortGrid3.SetCell(0, 2, "2.");
        tk.registrations.SortGrid3.SetCell(1, 2, "10:16:01,9");
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.PageControl1->setCurrentIndex(2);
        auto* view = form.SortGrids[2];
        form.RefreshFromCore();
        QTest::qWait(20);
        // A click on "Stoppzeit" keeps whole-row mode and opens no editor.
        const QModelIndex timeCell = view->model()->index(0, 1);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(timeCell).center());
        QVERIFY(!view->CellMode());
        QVERIFY(!view->Editing());
        // A click on "St.Nr." switches to cell editing; typing fills the cell, Enter commits.
        const QModelIndex numberCell = view->model()->index(0, 2);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(numberCell).center());
        QVERIFY(view->CellMode());
        // The first key opens the editor, which then has the focus.
        QTest::keyClicks(view, "1");
        QVERIFY(view->Editing());
        QTest::keyClicks(QApplication::focusWidget(), "2");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(tk.registrations.SortGrid3.Cells(2, 1), std::string("12"));
        // Enter moved the editing one row down, to the next "St.Nr.".
        QCOMPARE(tk.registrations.SortGrid3.Row(), 2);
        QVERIFY(view->CellMode());
        QCOMPARE(view->currentIndex(), view->model()->index(1, 2));
        // The key filter lets only digits, ":", Backspace and the decimal separator through.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(1, 3)).center());
        QTest::keyClicks(view, "1");
        QTest::keyClicks(QApplication::focusWidget(), "a:3 0-,5x");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
        QTest::keyClicks(QApplication::focusWidget(), "5");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(tk.registrations.SortGrid3.Cells(3, 2), std::string("1:30,5"));
        // Rider 12 has no start: "!" in "Pausen" of the first row.
        QCOMPARE(tk.registrations.SortGrid3.Cells(3, 1), std::string("!"));
        // The window's shortcuts reach their commands from inside the editor.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(1, 5)).center());
        QTest::keyClicks(view, "7");
        QVERIFY(view->Editing());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(host.questions.back(), std::string("Protokoll überschreiben?"));
        QCOMPARE(tk.registrations.SortGrid3.Cells(1, 2), std::string("10:16:01,9")); // answered "Nein": nothing cleared
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        // Esc leaves cell editing for whole-row selection.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(0, 5)).center());
        QTest::keyClicks(view, "4");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!view->CellMode());
        QVERIFY(!view->Editing());
        QCOMPARE(tk.registrations.SortGrid3.Cells(5, 1), std::string("4"));
    }

    void editorFiltersCharactersNotKeys() {
        FakeHost host;
        Timekeeper tk(host);
        TForm1 form(host, tk, NoFont());
        tk.registrations.SortGrid3.SetCell(0, 1, "1.");
        tk.registrations.SortGrid3.SetCell(1, 1, "10:15:30,1");
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.PageControl1->setCurrentIndex(2);
        auto* view = form.SortGrids[2];
        QTest::qWait(20);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(0, 2)).center());
        QTest::keyClicks(view, "1");
        QVERIFY(view->Editing());
        QWidget* editor = QApplication::focusWidget();
        // Letters beyond Latin-1 whose low byte is a digit, and a character outside the basic
        // plane, are discarded like any other letter.
        SendKey(editor, Qt::Key_unknown, QString(QChar(0x0131)));
        SendKey(editor, Qt::Key_unknown, QString(QChar(0x0130)));
        SendKey(editor, Qt::Key_unknown, QString::fromUcs4(U"\U0001F600", 1));
        QCOMPARE(tk.registrations.SortGrid3.Cells(2, 1), std::string("1"));
        // Delete is an editing key, not a character: it deletes.
        QTest::keyClicks(editor, "23");
        SendKey(editor, Qt::Key_Home, {});
        SendKey(editor, Qt::Key_Delete, QString(QChar(0x7f)));
        QCOMPARE(tk.registrations.SortGrid3.Cells(2, 1), std::string("23"));
    }

    void stopListDrawsTheSelectionItHoldsAndFiltersPastes() {
        FakeHost host;
        Timekeeper tk(host);
        TForm1 form(host, tk, NoFont());
        tk.registrations.SortGrid3.SetRowCount(3);
        tk.registrations.SortGrid3.SetCell(0, 1, "1.");
        tk.registrations.SortGrid3.SetCell(0, 2, "2.");
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.PageControl1->setCurrentIndex(2);
        auto* view = form.SortGrids[2];
        form.RefreshFromCore();
        QTest::qWait(20);
        // Which cells of the two rows are drawn highlighted, sampled in a corner free of text.
        const auto highlighted = [&] {
            const QImage image = view->viewport()->grab().toImage();
            QString marks;
            for (int row = 0; row < 2; ++row) {
                for (int col = 0; col < 6; ++col) {
                    const QPoint at = view->visualRect(view->model()->index(row, col)).topLeft() + QPoint(2, 2);
                    marks += image.pixelColor(at).lightness() < 128 ? 'X' : '.'; // the dark selection colour
                }
                marks += row == 0 ? "|" : "";
            }
            return marks;
        };
        const auto click = [&](int row, int col) {
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                              view->visualRect(view->model()->index(row, col)).center());
            QTest::qWait(10);
        };
        click(0, 2); // "St.Nr." of row 1: that cell alone, also while its editor is open
        QCOMPARE(highlighted(), QString("..X...|......"));
        QTest::keyClicks(view, "1");
        QVERIFY(view->Editing());
        QCOMPARE(highlighted().left(6), QString("......")); // the editor covers its cell; nothing else dark
        // A paste goes through the key filter: only digits, ':' and the decimal separator arrive.
        QApplication::clipboard()->setText("x y-Z2:3");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(QString::fromStdString(tk.registrations.SortGrid3.Cells(2, 1)), QString("12:3"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        click(1, 1); // "Stoppzeit" of row 2: the whole row, the one Ctrl+0 deletes
        QCOMPARE(highlighted(), QString("......|XXXXXX"));
    }

    void enterInRowModeMovesToTheNextFaultPoints() {
        FakeHost host;
        Timekeeper tk(host);
        TForm1 form(host, tk, NoFont());
        tk.registrations.SortGrid3.SetRowCount(3);
        tk.registrations.SortGrid3.SetCell(0, 1, "1.");
        tk.registrations.SortGrid3.SetCell(0, 2, "2.");
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.PageControl1->setCurrentIndex(2);
        auto* view = form.SortGrids[2];
        form.RefreshFromCore();
        QTest::qWait(20);
        // A click on "Stoppzeit" marks the whole row, its current cell being "F.-Pkt.".
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(0, 1)).center());
        QVERIFY(!view->CellMode());
        QCOMPARE(tk.registrations.SortGrid3Col, 5);
        // Enter reaches the list as in cell editing: one row down, "F.-Pkt." ready for typing.
        QTest::keyClick(view, Qt::Key_Return);
        QCOMPARE(tk.registrations.SortGrid3.Row(), 2);
        QVERIFY(tk.registrations.SortGrid3Mode == vandoret::Registrations::StopListMode::CellEditing);
        QVERIFY(view->CellMode());
        QCOMPARE(view->currentIndex(), view->model()->index(1, 5));
        QTest::keyClicks(view, "3");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(tk.registrations.SortGrid3.Cells(5, 2), std::string("3"));
    }

    void rewrittenStartListShowsWithinATick() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString old = QDir::currentPath();
        QDir::setCurrent(dir.path());
        FakeHost host;
        Timekeeper tk(host);
        WriteStartList("Starterliste.txt", {"9:30\t1\tAnna Berger\tLancelot\tRV Seetal\tHochdorf",
                                            "9:35\t2\tBen Krause\tFalbala\tRFV Au\tAu"});
        // The watch asks for the start list under its full name in the starting folder.
        const std::string watched = QDir::current().absoluteFilePath("Starterliste.txt").toStdString();
        host.stamps[watched] = 100;
        host.SetClock(9, 0, 0, 0);
        TForm1 form(host, tk, NoFont());
        QCOMPARE(NonBlankRows(tk.startList.SortGrid1), 2);
        // More than one rider at start-up: the countdown is on.
        QVERIFY(tk.registrations.CounterOn);
        QCOMPARE(form.SortGrids[0]->model()->rowCount(), 2);
        WriteStartList("Starterliste.txt",
                       {"9:30\t1\tAnna Berger\tLancelot\tRV Seetal\tHochdorf",
                        "9:35\t2\tBen Krause\tFalbala\tRFV Au\tAu", "9:40\t3\tCarla Dietz\tNordlicht\tRC Lind\tLind"});
        host.stamps[watched] = 102;
        host.SetClock(9, 0, 0, 100);
        form.Timer1Timer(); // seen, and loaded once it has stayed the same for a tick
        host.SetClock(9, 0, 0, 200);
        form.Timer1Timer();
        QDir::setCurrent(old);
        QCOMPARE(form.SortGrids[0]->model()->rowCount(), 3);
        QCOMPARE(form.SortGrids[0]->model()->index(2, 2).data().toString(), QString("Carla Dietz"));
        QCOMPARE(form.cbNr->count(), 3);
    }
};

QTEST_MAIN(MainWindowFlowTest)
#include "tst_mainwindow_flow.moc"
