// The list views over the core's lists: current row both ways, header clicks, the number list.
#include <QAbstractItemView>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtTest>
#include <algorithm>

#include "fakes/FakeHost.h"
#include "ui/GridView.h"
#include "ui/Unit1.h"

using vandoret::Timekeeper;
using vandoret::testing::FakeHost;
using vandoret::ui::GridView;
using vandoret::ui::TForm1;

namespace {

vandoret::ui::FormOptions NoFont() {
    vandoret::ui::FormOptions o;
    o.installFont = false;
    return o;
}

void FillStartList(Timekeeper& tk) {
    const char* const rows[][3] = {
        {"9:30", "7", "Carla Dietz"}, {"9:35", "12", "Anna Berger"}, {"9:40", "3", "Ben Krause"}};
    tk.startList.SortGrid1.SetRowCount(4);
    tk.startList.cbNr.Items.clear();
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            tk.startList.SortGrid1.SetCell(c, r + 1, rows[r][c]);
        }
        tk.startList.cbNr.Items.push_back(rows[r][1]);
    }
}

std::vector<std::string> Column(const vandoret::TSortGrid& g, int col) {
    std::vector<std::string> out;
    for (int r = 1; r < g.RowCount(); ++r) {
        out.push_back(g.Cells(col, r));
    }
    return out;
}

void ClickHeader(GridView* view, int col, Qt::MouseButton button = Qt::LeftButton) {
    QHeaderView* header = view->horizontalHeader();
    const int x = header->sectionViewportPosition(col) + header->sectionSize(col) / 2;
    QTest::mouseClick(header->viewport(), button, {}, QPoint(x, header->height() / 2));
}

} // namespace

class GridsTest : public QObject {
    Q_OBJECT
private slots:
    void currentRowFollowsTheCoreAndTheOperator() {
        FakeHost host;
        Timekeeper tk(host);
        TForm1 form(host, tk, NoFont());
        FillStartList(tk);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        GridView* view = form.SortGrids[0];
        tk.startList.SortGrid1.SetRow(3);
        form.RefreshFromCore();
        QCOMPARE(view->currentIndex().row(), 2);
        QVERIFY(view->selectionModel()->isRowSelected(2, {}));
        // A click makes the row current in the core.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(1, 2)).center());
        QCOMPARE(tk.startList.SortGrid1.Row(), 2);
        QVERIFY(view->selectionModel()->isRowSelected(1, {}));
    }

    void scrolledListStaysWhereTheOperatorPutIt() {
        FakeHost host;
        Timekeeper tk(host);
        TForm1 form(host, tk, NoFont());
        tk.startList.SortGrid1.SetRowCount(61);
        for (int r = 1; r <= 60; ++r) {
            tk.startList.SortGrid1.SetCell(1, r, std::to_string(r));
        }
        tk.startList.SortGrid1.SetRow(1);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.RefreshFromCore();
        GridView* view = form.SortGrids[0];
        QTest::qWait(20);
        view->verticalScrollBar()->setValue(30);
        QCOMPARE(view->rowAt(0), 30);
        // A change elsewhere in the list leaves the current row, so it does not scroll back to it.
        tk.startList.SortGrid1.SetCell(2, 45, "Neu");
        form.RefreshFromCore();
        QCOMPARE(view->rowAt(0), 30);
        // A new current row is scrolled into view.
        tk.startList.SortGrid1.SetRow(3);
        form.RefreshFromCore();
        QVERIFY(view->rowAt(0) <= 2);
    }

    void headerClicksFollowTheSortRule() {
        FakeHost host;
        Timekeeper tk(host);
        TForm1 form(host, tk, NoFont());
        FillStartList(tk);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.RefreshFromCore();
        GridView* view = form.SortGrids[0];
        // As the form gives it, the start list does not sort.
        ClickHeader(view, 2);
        QCOMPARE(Column(tk.startList.SortGrid1, 2),
                 (std::vector<std::string>{"Carla Dietz", "Anna Berger", "Ben Krause"}));
        // A list that may sort follows the header-click rule.
        tk.startList.SortGrid1.SortOptions.CanSort = true;
        ClickHeader(view, 2);
        QCOMPARE(Column(tk.startList.SortGrid1, 2),
                 (std::vector<std::string>{"Anna Berger", "Ben Krause", "Carla Dietz"}));
        ClickHeader(view, 2);
        QCOMPARE(Column(tk.startList.SortGrid1, 2),
                 (std::vector<std::string>{"Carla Dietz", "Ben Krause", "Anna Berger"}));
        // Another column starts ascending; the right button always sorts descending.
        ClickHeader(view, 1);
        auto ascending = Column(tk.startList.SortGrid1, 1);
        ClickHeader(view, 1, Qt::RightButton);
        std::reverse(ascending.begin(), ascending.end());
        QCOMPARE(Column(tk.startList.SortGrid1, 1), ascending);
        // The view shows the sorted list at once, with the arrow on the sort column.
        QCOMPARE(view->model()->index(0, 1).data().toString(), QString::fromStdString(ascending[0]));
        QVERIFY(!view->model()->headerData(1, Qt::Horizontal, Qt::DecorationRole).isNull());
        QVERIFY(view->model()->headerData(2, Qt::Horizontal, Qt::DecorationRole).isNull());
    }

    void resultsHeaderTakesNoClick() {
        FakeHost host;
        Timekeeper tk(host);
        TForm1 form(host, tk, NoFont());
        tk.results.SortGrid4.SetRowCount(3);
        tk.results.SortGrid4.SetCell(2, 1, "Zoe");
        tk.results.SortGrid4.SetCell(2, 2, "Anna");
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.PageControl1->setCurrentIndex(3);
        const auto before = Column(tk.results.SortGrid4, 2);
        ClickHeader(form.SortGrids[3], 2);
        QCOMPARE(Column(tk.results.SortGrid4, 2), before);
    }

    void resultsOpenAtPlaceOneAndScrollButTakeNoClick() {
        FakeHost host;
        Timekeeper tk(host);
        TForm1 form(host, tk, NoFont());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.PageControl1->setCurrentIndex(3);
        // Sixty places, the last one current as a ranking leaves it.
        tk.results.SortGrid4.SetRowCount(61);
        for (int r = 1; r <= 60; ++r) {
            tk.results.SortGrid4.SetCell(0, r, std::to_string(r));
        }
        tk.results.SortGrid4.SetRow(60);
        tk.results.SortGrid4.SetTopRow(1);
        form.RefreshFromCore();
        GridView* view = form.SortGrids[3];
        QTest::qWait(20);
        QCOMPARE(view->rowAt(0), 0);
        QVERIFY(!view->selectionModel()->hasSelection());
        // The wheel scrolls, and so does the scroll bar.
        const QPoint at = view->viewport()->rect().center();
        QWheelEvent wheel(at, view->viewport()->mapToGlobal(at), {}, QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &wheel);
        QVERIFY(view->rowAt(0) > 0);
        view->verticalScrollBar()->setValue(20);
        QCOMPARE(view->rowAt(0), 20);
        // A click chooses no row.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(22, 1)).center());
        QCOMPARE(tk.results.SortGrid4.Row(), 60);
        QVERIFY(!view->selectionModel()->hasSelection());
    }

    void aRiderPickedInTheDropDownHandsTheKeysBack() {
        FakeHost host;
        Timekeeper tk(host);
        TForm1 form(host, tk, NoFont());
        FillStartList(tk);
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.RefreshFromCore();
        form.cbNr->setFocus();
        form.cbNr->showPopup();
        QAbstractItemView* popup = form.cbNr->view();
        QTRY_VERIFY(popup->isVisible());
        QTest::mouseClick(popup->viewport(), Qt::LeftButton, {},
                          popup->visualRect(popup->model()->index(2, 0)).center());
        QCOMPARE(tk.startList.cbNr.ItemIndex, 2);
        QTRY_VERIFY(form.SortGrids[0]->hasFocus());
        // A number typed next no longer re-targets the countdown.
        QTest::keyClicks(QApplication::focusWidget(), "7");
        QCOMPARE(tk.startList.cbNr.ItemIndex, 2);
    }

    void choosingANumberShowsTheRider() {
        FakeHost host;
        Timekeeper tk(host);
        TForm1 form(host, tk, NoFont());
        FillStartList(tk);
        form.RefreshFromCore();
        QCOMPARE(form.cbNr->count(), 3);
        QCOMPARE(form.cbNr->itemText(1), QString("12"));
        emit form.cbNr->activated(1);
        QCOMPARE(tk.startList.cbNr.ItemIndex, 1);
        QCOMPARE(form.Edit1->text(), QString("Anna Berger"));
        QCOMPARE(form.TextStartTime->text().toStdString(), tk.registrations.TextStartTime);
    }

    void wheelPassingOverTheNumberListKeepsTheRider() {
        FakeHost host;
        Timekeeper tk(host);
        TForm1 form(host, tk, NoFont());
        FillStartList(tk);
        tk.SelectRider(0);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.RefreshFromCore();
        form.SortGrids[0]->setFocus();
        const auto wheel = [&] {
            const QPoint at = form.cbNr->rect().center();
            QWheelEvent event(at, form.cbNr->mapToGlobal(at), {}, QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(form.cbNr, &event);
        };
        // The mouse wheel over the list while working elsewhere does not choose another rider.
        wheel();
        QCOMPARE(tk.startList.cbNr.ItemIndex, 0);
        QCOMPARE(form.cbNr->currentIndex(), 0);
        // Nor while the list has the focus: a rider is chosen in the drop-down only.
        form.cbNr->setFocus();
        QTRY_VERIFY(form.cbNr->hasFocus());
        wheel();
        QCOMPARE(tk.startList.cbNr.ItemIndex, 0);
    }

    // A number given twice in the start list: its cells carry the core's mark as colour and tooltip.
    void markedCellsShowColourAndTooltip() {
        FakeHost host;
        Timekeeper tk(host);
        TForm1 form(host, tk, NoFont());
        FillStartList(tk);
        tk.startList.SortGrid1.SetCell(1, 3, "7");
        form.RefreshFromCore();
        const QAbstractItemModel* model = form.SortGrids[0]->model();
        for (const int row : {0, 2}) {
            QCOMPARE(model->data(model->index(row, 1), Qt::ToolTipRole).toString(),
                     QString::fromUtf8(vandoret::kNumberTwiceTip.data(), vandoret::kNumberTwiceTip.size()));
            QCOMPARE(model->data(model->index(row, 1), Qt::BackgroundRole).value<QColor>(), QColor(255, 190, 70));
        }
        QVERIFY(!model->data(model->index(1, 1), Qt::ToolTipRole).isValid());
        QVERIFY(!model->data(model->index(0, 2), Qt::ToolTipRole).isValid());
    }
};

QTEST_MAIN(GridsTest)
#include "tst_grids.moc"
