// The "Handzeit" dialog: it forwards to the core, shows the core's refusal and stays open until
// the entry is written.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "fakes/FakeHost.h"
#include "ui/HandTimeDialog.h"
#include "ui/HoldDialog.h"

using vandoret::HandTimeEntry;
using vandoret::HandTimeKind;
using vandoret::Timekeeper;
using vandoret::testing::FakeHost;
using vandoret::ui::THandTimeDialog;
using vandoret::ui::THoldDialog;

namespace {

struct Rig {
    FakeHost host;
    Timekeeper tk{host};
    Rig() {
        host.SetClock(9, 40, 5, 250);
        tk.startList.SortGrid1.SetRowCount(3);
        tk.startList.SortGrid1.SetCell(1, 1, "12");
        tk.startList.SortGrid1.SetCell(1, 2, "14");
        tk.startList.cbNr.Items = {"12", "14"};
        tk.registrations.SortGrid2.SetCell(0, 1, "1.");
        tk.registrations.SortGrid2.SetCell(1, 1, "09:30:00,0");
        tk.registrations.SortGrid2.SetCell(2, 1, "12");
    }
};

void Fill(THandTimeDialog& dlg, bool start, const QString& number, const QString& time, const QString& reason) {
    (start ? dlg.rbStart : dlg.rbZiel)->setChecked(true);
    dlg.edNumber->setText(number);
    dlg.edTime->setText(time);
    dlg.cbReason->setEditText(reason);
}

} // namespace

class HandTimeTest : public QObject {
    Q_OBJECT
private slots:
    void refusesBadInputAndStaysOpen_data() {
        QTest::addColumn<bool>("start");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<int>("answer"); // to the start list question: -1 not asked, 0 Nein, 1 Ja
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("written");
        const QString bad = QString::fromUtf8("Keine gültige Uhrzeit: bitte als hh:mm:ss,z eingeben.");
        QTest::newRow("time half typed") << false << "12"
                                         << "09:4"
                                         << "Lichtschranke" << -1 << bad << false;
        QTest::newRow("finish before start")
            << false << "12"
            << "09:29:00,0"
            << "Lichtschranke" << -1 << "Die Zielzeit liegt nicht nach der Startzeit von Nr. 12 (09:30:00,0)." << false;
        QTest::newRow("unknown number, Nein") << false << "77"
                                              << "09:40:00,0"
                                              << "Lichtschranke" << 0 << "" << false;
        QTest::newRow("unknown number, Ja") << false << "77"
                                            << "09:40:00,0"
                                            << "Lichtschranke" << 1 << "" << true;
        QTest::newRow("finish without number") << false << ""
                                               << "09:40:00,0"
                                               << "Lichtschranke" << -1 << "" << true;
    }
    void refusesBadInputAndStaysOpen() {
        QFETCH(bool, start);
        QFETCH(QString, number);
        QFETCH(QString, time);
        QFETCH(QString, reason);
        QFETCH(int, answer);
        QFETCH(QString, message);
        QFETCH(bool, written);
        Rig rig;
        if (answer >= 0) {
            rig.host.yesNoAnswers = {answer == 1};
        }
        THandTimeDialog dlg(rig.tk, rig.tk.NewHandTime());
        QCOMPARE(dlg.windowTitle(), QString("Handzeit"));
        QCOMPARE(dlg.edTime->text(), QString("09:40:05,2")); // the clock when it opened
        dlg.show();
        Fill(dlg, start, number, time, reason);
        QTest::mouseClick(dlg.OKBtn, Qt::LeftButton);
        QCOMPARE(rig.host.questions.size(), std::size_t(answer >= 0 ? 1 : 0));
        QCOMPARE(dlg.result(), written ? int(QDialog::Accepted) : int(QDialog::Rejected));
        QCOMPARE(dlg.isVisible(), !written);
        QCOMPARE(dlg.lbMessage->text(), message);
        QCOMPARE(dlg.lbMessage->isVisibleTo(&dlg), !message.isEmpty());
        QCOMPARE(rig.tk.registrations.SortGrid3.IsBlankRow(1), !written);
        QCOMPARE(rig.tk.registrations.SortGrid3.RowMarked(1), written);
    }

    // "Anhalten" and "Weiter": the rider on the course and the key's moment are filled in; a
    // refusal keeps the dialog open, an accepted entry closes it and is recorded.
    void holdDialogsForwardAndShowRefusals() {
        Rig rig;
        THoldDialog stop(rig.tk, rig.tk.NewHold(false));
        QCOMPARE(stop.windowTitle(), QString("Anhalten"));
        QCOMPARE(stop.edNumbers->text(), QString("12"));
        QCOMPARE(stop.edTime->text(), QString("09:40:05,2"));
        stop.show();
        stop.edNumbers->setText("12 14");
        QTest::mouseClick(stop.OKBtn, Qt::LeftButton);
        QVERIFY(stop.isVisible());
        QCOMPARE(stop.lbMessage->text(), QString("Nr. 14 hat keine Startzeit."));
        stop.edNumbers->setText("12");
        stop.edReason->setText("Hindernis 7 wird repariert");
        QTest::mouseClick(stop.OKBtn, Qt::LeftButton);
        QCOMPARE(stop.result(), int(QDialog::Accepted));
        QVERIFY(rig.tk.results.Holds.Open("12") != nullptr);
        QCOMPARE(rig.tk.results.Holds.All().front().reason, std::string("Hindernis 7 wird repariert"));

        rig.host.SetClock(9, 42, 0, 0);
        THoldDialog go(rig.tk, rig.tk.NewHold(true));
        QCOMPARE(go.windowTitle(), QString("Weiter"));
        QCOMPARE(go.edNumbers->text(), QString("12"));
        QVERIFY(!go.edReason->isVisibleTo(&go));
        go.show();
        QTest::mouseClick(go.OKBtn, Qt::LeftButton);
        QCOMPARE(go.result(), int(QDialog::Accepted));
        QCOMPARE(rig.tk.results.Holds.HeldTotal("12"), std::int64_t{114'800});
    }
};

QTEST_MAIN(HandTimeTest)
#include "tst_handtime.moc"
