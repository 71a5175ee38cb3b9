// The yes/no dialog and the information dialog.
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "fakes/FakeHost.h"
#include "ui/DlgYesNo.h"
#include "ui/FInfo.h"
#include "ui/HandTimeDialog.h"

using vandoret::ui::TFDlgYesNo;
using vandoret::ui::TFormInfo;

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void iconsAndButtonsFollowTheQuestionMark_data() {
        QTest::addColumn<QString>("question");
        QTest::addColumn<bool>("questionIcon");
        QTest::addColumn<QString>("yes");
        QTest::addColumn<QString>("no");
        QTest::newRow("Beenden?") << "Beenden?" << true << "Ja"
                                  << "Nein";
        QTest::newRow("delete line") << QString::fromUtf8("Markierte Zeile löschen?") << true << "Ja"
                                     << "Nein";
        QTest::newRow("overwrite") << QString::fromUtf8("Protokoll überschreiben?") << true << "Ja"
                                   << "Nein";
        QTest::newRow("mark inside") << "Wirklich? Ja" << true << "Ja"
                                     << "Nein";
        QTest::newRow("no mark") << "Liste ist leer" << false << "OK"
                                 << "Abbrechen";
        QTest::newRow("empty") << "" << false << "OK"
                               << "Abbrechen";
    }
    void iconsAndButtonsFollowTheQuestionMark() {
        QFETCH(QString, question);
        QFETCH(bool, questionIcon);
        QFETCH(QString, yes);
        QFETCH(QString, no);
        TFDlgYesNo dlg;
        dlg.AskYesNo(question);
        QCOMPARE(dlg.Label1->text(), question);
        QCOMPARE(dlg.Icon->isVisibleTo(&dlg), questionIcon);
        QCOMPARE(dlg.Icon2->isVisibleTo(&dlg), !questionIcon);
        QCOMPARE(dlg.OKBtn->text(), yes);
        QCOMPARE(dlg.CancelBtn->text(), no);
    }

    void layoutAsDesigned() {
        TFDlgYesNo dlg;
        QCOMPARE(dlg.size(), QSize(222, 94));
        QCOMPARE(dlg.OKBtn->geometry(), QRect(39, 60, 75, 25));
        QCOMPARE(dlg.CancelBtn->geometry(), QRect(135, 60, 75, 25));
        QVERIFY(dlg.windowFlags() & Qt::WindowStaysOnTopHint);
    }

    // Title and close button only, and centred on the main window each time, wherever it went.
    void smallDialogsHaveNoMinMaxAndOpenCentred() {
        QWidget owner;
        owner.setGeometry(100, 80, 900, 500);
        owner.show();
        vandoret::testing::FakeHost host;
        vandoret::Timekeeper tk(host);
        TFDlgYesNo yesNo(&owner);
        vandoret::ui::THandTimeDialog handTime(tk, vandoret::HandTimeEntry{}, &owner);
        for (QDialog* dlg : std::initializer_list<QDialog*>{&yesNo, &handTime}) {
            const Qt::WindowFlags flags = dlg->windowFlags();
            QVERIFY(flags.testFlags(Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint));
            QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
            for (const QPoint at : {QPoint(100, 80), QPoint(400, 250)}) {
                owner.move(at);
                QPoint centre;
                QTimer::singleShot(0, dlg, [&] {
                    centre = dlg->frameGeometry().center();
                    dlg->reject();
                });
                dlg->exec();
                const QPoint off = centre - owner.frameGeometry().center();
                QVERIFY2(off.manhattanLength() <= 4, qPrintable(QString("%1,%2").arg(off.x()).arg(off.y())));
            }
        }
    }

    void aQuestionWithDetailsGrowsAndShrinksAgain() {
        TFDlgYesNo dlg;
        dlg.AskYesNo(
            QString::fromUtf8("Zeiten der letzten Sitzung wiederherstellen?\n\nSitzung vom 11.05.2024, "
                              "09:00–12:14: 3 Startzeiten, 2 Stoppzeiten\n\n1 beschädigte Zeile übersprungen:\n"
                              "2024-05-11 09:31:02.345 Ziel"));
        QCOMPARE(dlg.Label1->text(), QString::fromUtf8("Zeiten der letzten Sitzung wiederherstellen?"));
        QVERIFY(dlg.Details->isVisibleTo(&dlg));
        QVERIFY(dlg.Details->text().endsWith("09:31:02.345 Ziel"));
        QVERIFY(dlg.height() > 94);
        QVERIFY2(dlg.OKBtn->geometry().top() >= dlg.Details->geometry().bottom(), "the buttons below the details");
        QVERIFY(dlg.Icon->isVisibleTo(&dlg));
        dlg.AskYesNo("Beenden?");
        QCOMPARE(dlg.size(), QSize(222, 94));
        QVERIFY(!dlg.Details->isVisibleTo(&dlg));
    }

    void replies_data() {
        QTest::addColumn<QString>("question");
        QTest::addColumn<int>("answer"); // 0 Enter, 1 Esc, 2 second button, 3 first button click
        QTest::addColumn<bool>("expected");
        QTest::newRow("Enter gives Ja") << "Beenden?" << 0 << true;
        QTest::newRow("Esc gives Cancel") << "Beenden?" << 1 << false;
        QTest::newRow("Nein") << "Beenden?" << 2 << false;
        QTest::newRow("Ja") << "Beenden?" << 3 << true;
        QTest::newRow("OK still yields Yes") << "Achtung" << 3 << true;
        QTest::newRow("Abbrechen") << "Achtung" << 2 << false;
    }
    void replies() {
        QFETCH(QString, question);
        QFETCH(int, answer);
        QFETCH(bool, expected);
        TFDlgYesNo dlg;
        QTimer::singleShot(50, &dlg, [&] {
            QVERIFY(dlg.isVisible());
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dlg.OKBtn));
            switch (answer) {
            case 0:
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                break;
            case 1:
                QTest::keyClick(&dlg, Qt::Key_Escape);
                break;
            case 2:
                QTest::mouseClick(dlg.CancelBtn, Qt::LeftButton);
                break;
            default:
                QTest::mouseClick(dlg.OKBtn, Qt::LeftButton);
                break;
            }
        });
        QCOMPARE(dlg.Ask(question), expected);
    }

    void informationTexts() {
        TFormInfo info;
        QCOMPARE(info.windowTitle(), QString("Information"));
        QCOMPARE(info.Label1->text(), QString("Vandoret"));
        QCOMPARE(info.LabelVer->text(), QString("Version 1.5 (13.12.2009)"));
        QCOMPARE(info.sOK->text(), QString("Einverstanden"));
        QVERIFY(info.Lab->text().startsWith(QString::fromUtf8("Lob und Kritik, Verbesserungsvorschläge,\r\nFragen")));
        QVERIFY(info.Memo1->isReadOnly());
        QCOMPARE(info.Memo1->focusPolicy(), Qt::NoFocus);
        QCOMPARE(info.size(), QSize(256, 359));
        QVERIFY(!(info.windowFlags() & Qt::WindowCloseButtonHint));
    }

    // The notice text says where the files go, asked anew each time the dialog shows.
    void informationShowsWhereTheFilesGo() {
        TFormInfo info;
        QVERIFY(info.Memo1->toPlainText().startsWith("Vandoret misst"));
        QString page = "/home/op/Vandoret.html";
        info.places = [&page] {
            return vandoret::ui::FilePlaces{"/home/op/.local/share/Kronvale", "/home/op/.config/Kronvale/Vandoret.reg",
                                            page};
        };
        info.show();
        const QString text = info.Memo1->toPlainText();
        QVERIFY2(text.startsWith("Journal (Ordner):\n/home/op/.local/share/Kronvale\nEinstellungen:\n"
                                 "/home/op/.config/Kronvale/Vandoret.reg\nErgebnisseite (Strg+H):\n"
                                 "/home/op/Vandoret.html\n\nVandoret misst"),
                 qPrintable(text));
        QVERIFY(text.contains("GNU General Public License, Version 3 oder"));
        info.hide();
        page = "/srv/Rennen/Vandoret.html"; // Ctrl+O changed the current folder
        info.show();
        QVERIFY(info.Memo1->toPlainText().contains("/srv/Rennen/Vandoret.html"));
        QVERIFY(!info.Memo1->toPlainText().contains("/home/op/Vandoret.html"));
    }

    void escapeClosesInformation() {
        TFormInfo info;
        QTimer::singleShot(50, &info, [&] { QTest::keyClick(&info, Qt::Key_Escape); });
        info.exec();
        QVERIFY(!info.isVisible());
        // Other keys do nothing.
        info.show();
        QTest::keyClick(&info, Qt::Key_A);
        QVERIFY(info.isVisible());
        info.hide();
    }

    void logoOpensTheContactPage() {
        TFormInfo info;
        QStringList opened;
        info.openUrl = [&](const QString& url) { opened << url; };
        info.show();
        QTest::mouseClick(info.Image1, Qt::LeftButton);
        QTest::mouseClick(info.Label2, Qt::LeftButton);
        QCOMPARE(opened, QStringList({vandoret::ui::kContactAddress, vandoret::ui::kContactAddress}));
    }
};

QTEST_MAIN(DialogsTest)
#include "tst_dialogs.moc"
