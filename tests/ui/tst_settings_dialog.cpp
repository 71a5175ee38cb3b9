// The settings dialog "Einstellungen": fields, their rules and the edit cycle, offscreen.
#include <QtTest>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <map>
#include <string>

#include "settings/Cfg.h"

using vandoret::MakeTimeOfDay;
using vandoret::Settings;
using vandoret::ui::TCfgDialog;

namespace {

struct FakePort : vandoret::PortControl {
    std::vector<int> ports{1, 3};
    bool openResult = true;
    QStringList calls;
    void ClosePort() override { calls << "close"; }
    bool OpenPort(int n) override {
        calls << QString("open %1").arg(n);
        return openResult;
    }
    std::vector<int> AvailablePorts() const override { return ports; }
    std::map<int, std::string> devices;
    std::string DeviceOf(int n) const override {
        const auto it = devices.find(n);
        return it == devices.end() ? std::string() : it->second;
    }
    void Pause(int ms) override { calls << QString("pause %1").arg(ms); }
    vandoret::PortTiming timing;
    bool latencySets = false;
    vandoret::PortTiming Timing() const override { return timing; }
    bool SetLatencyToOneMs() override {
        calls << "latency 1";
        if (latencySets) {
            timing.latencyNotice.clear();
        }
        return latencySets;
    }
};

// A dialog whose modal run is replaced by `edit`, whose messages are recorded.
struct Harness {
    FakePort port;
    TCfgDialog dlg{port};
    QStringList messages;
    int resizes = 0;
    Harness() {
        dlg.showMessage = [this](const std::string& m) { messages << QString::fromStdString(m); };
    }
    bool Run(Settings& s, std::function<int(TCfgDialog&)> edit) {
        dlg.runModal = std::move(edit);
        return dlg.bCFGClick(s, [this] { ++resizes; });
    }
};

void Retype(QWidget* field, const QString& text) {
    if (auto* line = qobject_cast<QLineEdit*>(field)) {
        line->selectAll();
    } else if (auto* spin = qobject_cast<QAbstractSpinBox*>(field)) {
        spin->selectAll();
    }
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}

bool HasRed(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 160 && c.green() < 80 && c.blue() < 80) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

class SettingsDialogTest : public QObject {
    Q_OBJECT
private slots:
    void firstStartDefaults() {
        Harness h;
        Settings s;
        QStringList shown;
        QList<bool> enabled;
        h.Run(s, [&](TCfgDialog& d) {
            shown << d.eStartClock->text() << d.eStartInt->Text() << d.seLen->Text() << d.eTempo->Text()
                  << d.eTime->text() << d.eStrafPkt->text() << d.eStrafSek->text() << d.eDis->text()
                  << d.cbPort->currentText() << d.cbAlg1->currentText() << d.cbAlg2->currentText()
                  << d.cbAlg3->currentText();
            for (QWidget* w : {(QWidget*)d.cbLS1, (QWidget*)d.cbAlg1, (QWidget*)d.cbLS2, (QWidget*)d.cbAlg2,
                               (QWidget*)d.cbLS3, (QWidget*)d.cbAlg3}) {
                enabled << w->isEnabled();
            }
            return QDialog::Rejected;
        });
        QCOMPARE(shown, QStringList({"09:30", "5", "2400", "240,0", "00:10:00", "0,4", "1", "Dis.", "Kein", "NPN",
                                     "PNP", "PNP"}));
        QCOMPARE(enabled, QList<bool>({false, false, false, false, false, false}));
    }

    void controlsAsDesigned() {
        Harness h;
        TCfgDialog& d = h.dlg;
        QCOMPARE(d.windowTitle(), QString("Einstellungen"));
        QCOMPARE(d.size(), QSize(421, 304)); // one row more for the rules
        QCOMPARE(d.palette().color(QPalette::Window), QColor(0xC8, 0xC2, 0xD6));
        QStringList ports;
        for (int i = 0; i < d.cbPort->count(); ++i) {
            ports << d.cbPort->itemText(i);
        }
        QCOMPARE(ports, QStringList({"Kein", "COM1", "COM3"}));
        QCOMPARE(d.cbLS1->text(), QString(" 1+4"));
        QCOMPARE(d.cbLS2->text(), QString(" 4+6"));
        QCOMPARE(d.cbLS3->currentText(), QString("7+8"));
        QCOMPARE(d.DateTimePicker1->text(), QString("01:00:00"));
        QCOMPARE(d.GroupBox1->title(), QString(" Externe USB-/COM-Kontakte "));
        QCOMPARE(d.OKBtn->text(), QString("OK"));
        QCOMPARE(d.bCancel->text(), QString("Abbrechen"));
        QVERIFY(d.OKBtn->isDefault());
        QCOMPARE(d.eStrafPkt->palette().color(QPalette::Base), QColor(0xFF, 0xCC, 0xCC));
        QCOMPARE(d.eTime->palette().color(QPalette::Base), QColor(0xC0, 0xC0, 0xC0));
        QCOMPARE(d.eTime->toolTip(), QString("HH:MM:SS"));

        // Tab order: the buttons first, then the fields as designed.
        const QList<QWidget*> designed = {d.OKBtn, d.bCancel,   d.eStartClock, d.eStartInt, d.seLen,           d.eTempo,
                                          d.eTime, d.eStrafPkt, d.eStrafSek,   d.cbPort,    d.cbLS1,           d.cbAlg1,
                                          d.cbLS2, d.cbAlg2,    d.cbAlg3,      d.cbLS3,     d.DateTimePicker1, d.eDis};
        QList<QWidget*> chain;
        QWidget* w = d.OKBtn;
        do {
            if (designed.contains(w) && !chain.contains(w)) {
                chain << w;
            }
            w = w->nextInFocusChain();
        } while (w != d.OKBtn && chain.size() < designed.size());
        QCOMPARE(chain, designed);
    }

    void aClickOnAnyFieldFocusesIt() {
        Harness h;
        Settings s;
        s.Port = 1; // the contact rows take input too
        QStringList faults;
        h.Run(s, [&faults](TCfgDialog& d) {
            d.show();
            d.activateWindow();
            if (!QTest::qWaitForWindowActive(&d)) {
                faults << "not active";
                return int(QDialog::Rejected);
            }
            const QList<QWidget*> fields = {d.eStartClock,     d.eStartInt, d.seLen,    d.eTempo,      d.eTime,
                                            d.eStrafPkt,       d.eStrafSek, d.cbLS1,    d.cbLS2,       d.cbLS3,
                                            d.DateTimePicker1, d.eDis,      d.eWebPort, d.eMindestzeit};
            for (QWidget* field : fields) {
                // No caption lies over any part of a field.
                for (QLabel* label : d.findChildren<QLabel*>()) {
                    if (label->parentWidget() == field->parentWidget() &&
                        label->geometry().intersects(field->geometry())) {
                        faults << label->text() + " covers a field";
                    }
                }
                // A click delivered to whatever lies at the field's centre gives the field the focus.
                const QPoint centre = field->mapTo(&d, field->rect().center());
                QWidget* hit = d.childAt(centre);
                if (hit == nullptr) {
                    faults << "nothing at a field";
                    continue;
                }
                QTest::mouseClick(hit, Qt::LeftButton, {}, hit->mapFrom(&d, centre));
                QWidget* focus = QApplication::focusWidget();
                if (focus != field && !field->isAncestorOf(focus)) {
                    faults << QString("a click on %1 went to %2")
                                  .arg(hit->metaObject()->className(),
                                       focus != nullptr ? focus->metaObject()->className() : "nothing");
                }
            }
            return int(QDialog::Rejected);
        });
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
    }

    void portChoiceEnablesTheContactRows() {
        Harness h;
        TCfgDialog& d = h.dlg;
        d.cbPort->setCurrentIndex(1);
        for (QWidget* w : {(QWidget*)d.cbLS1, (QWidget*)d.cbAlg1, (QWidget*)d.cbLS2, (QWidget*)d.cbAlg2,
                           (QWidget*)d.cbLS3, (QWidget*)d.cbAlg3}) {
            QVERIFY(w->isEnabled());
        }
        d.cbAlg2->setCurrentIndex(1);
        QVERIFY(HasRed(d.cbAlg2->grab().toImage())); // the closed contact beside "PNP"
        d.cbPort->setCurrentIndex(0);
        QVERIFY(!d.cbAlg2->isEnabled());
        QVERIFY(!HasRed(d.cbAlg2->grab().toImage())); // a disabled list shows an empty box
    }

    void lengthTempoAndTimeFollowEachOther() {
        Harness h;
        Settings s;
        QStringList seen;
        h.Run(s, [&](TCfgDialog& d) {
            Retype(d.seLen, "3000");
            seen << d.eTime->text();
            d.seLen->SetValue(2400);
            d.eTime->setTime(QTime(0, 12, 0)); // as the operator
            seen << d.eTempo->Text() << d.eTime->text();
            d.eTime->setTime(QTime(1, 10, 0));
            seen << d.eTempo->Text() << d.eTime->text();
            d.eTime->setTime(QTime(0, 0, 0)); // no tempo follows
            seen << d.eTempo->Text();
            return QDialog::Rejected;
        });
        QCOMPARE(seen, QStringList({"00:12:30", "200,0", "00:12:00", "34,3", "01:09:58", "34,3"}));
    }

    void cancelChangesNothing() {
        Harness h;
        Settings s;
        s.Port = 3;
        const Settings before = s;
        QVERIFY(!h.Run(s, [](TCfgDialog& d) {
            d.cbPort->setCurrentIndex(1);
            d.cbAlg1->setCurrentIndex(1);
            d.cbAlg2->setCurrentIndex(0);
            d.cbAlg3->setCurrentIndex(0);
            d.eStartClock->setTime(QTime(10, 0));
            Retype(d.eStartInt, "9");
            Retype(d.seLen, "5000");
            d.eTime->setTime(QTime(0, 20, 0));
            Retype(d.eStrafPkt, "1");
            Retype(d.eStrafSek, "3");
            Retype(d.eDis, "X");
            return QDialog::Rejected;
        }));
        QCOMPARE(s.Port, before.Port);
        QCOMPARE(s.Alg1, before.Alg1);
        QCOMPARE(s.Alg2, before.Alg2);
        QCOMPARE(s.StartClock, before.StartClock);
        QCOMPARE(s.StartInt, before.StartInt);
        QCOMPARE(s.Len, before.Len);
        QCOMPARE(s.tempo, before.tempo);
        QCOMPARE(s.AllowedTime, before.AllowedTime);
        QCOMPARE(s.StrafPkt, before.StrafPkt);
        QCOMPARE(s.StrafSek, before.StrafSek);
        QCOMPARE(s.DisText, before.DisText);
        QVERIFY(h.port.calls.isEmpty());
        QCOMPARE(h.resizes, 0);
    }

    void aBadIntegerStopsTheTransfer() {
        Harness h;
        Settings s;
        QVERIFY(!h.Run(s, [](TCfgDialog& d) {
            Retype(d.eDis, "Aufg.");
            Retype(d.eStrafPkt, "0,8");
            Retype(d.eStrafSek, "1,5");
            Retype(d.seLen, "3000");
            Retype(d.eStartInt, "7");
            d.cbPort->setCurrentIndex(1);
            d.cbAlg1->setCurrentIndex(1);
            return QDialog::Accepted;
        }));
        QCOMPARE(h.messages, QStringList({"'1,5' is not a valid integer value"}));
        QCOMPARE(s.DisText, std::string("Aufg."));
        QCOMPARE(s.StrafPkt, 0.8);
        QCOMPARE(s.StrafSek, 1);
        QCOMPARE(s.Len, 2400);
        QCOMPARE(s.StartInt, 5);
        QCOMPARE(s.AllowedTime, 600'000);
        QCOMPARE(s.Alg1, 0);
        QCOMPARE(s.Port, std::uint8_t{0});
        QVERIFY(h.port.calls.isEmpty());
        QCOMPARE(h.resizes, 0);
    }

    void aPenaltyStepOfZeroIsRefused() {
        Harness h;
        Settings s;
        QVERIFY(!h.Run(s, [](TCfgDialog& d) {
            Retype(d.eStrafSek, "0");
            return QDialog::Accepted;
        }));
        QCOMPARE(h.messages.size(), 1);
        QCOMPARE(s.StrafSek, 1);
    }

    void okWithoutEditsTakesTheFieldsAllowedTime() {
        Harness h;
        Settings s;
        s.Len = 2500;
        s.tempo = 220.0;
        s.AllowedTime = 0;
        QVERIFY(h.Run(s, [](TCfgDialog&) { return QDialog::Accepted; }));
        QCOMPARE(s.AllowedTime, 681'818);
        QCOMPARE(s.Len, 2500);
        QCOMPARE(s.tempo, 220.0);
        QCOMPARE(s.StrafPkt, 0.4);
        QCOMPARE(s.StrafSek, 1);
        QCOMPARE(s.StartClock, 570);
        QVERIFY(h.messages.isEmpty());
        QCOMPARE(h.port.calls, QStringList({"close"}));
        QCOMPARE(h.resizes, 1);
    }

    void choosingAPortClosesAndReopensIt() {
        Harness h;
        h.port.openResult = false; // kept as chosen although it does not open
        Settings s;
        QVERIFY(h.Run(s, [](TCfgDialog& d) {
            d.cbPort->setCurrentIndex(2);
            d.cbAlg3->setCurrentIndex(0);
            return QDialog::Accepted;
        }));
        QCOMPARE(h.port.calls, QStringList({"close", "pause 50", "open 3"}));
        QCOMPARE(s.Port, std::uint8_t{3});
        QCOMPARE(s.Alg3, 0);

        // A stored port that was not found at start-up shows "Kein" and OK drops it.
        s.Port = 7;
        h.port.calls.clear();
        QString shown;
        QVERIFY(h.Run(s, [&](TCfgDialog& d) {
            shown = d.cbPort->currentText();
            return QDialog::Accepted;
        }));
        QCOMPARE(shown, QString("Kein"));
        QCOMPARE(s.Port, std::uint8_t{0});
        QCOMPARE(h.port.calls, QStringList({"close"}));
    }

    void firstStartTimes() {
        Harness h;
        Settings s;
        s.StartClock = 45; // under one hour
        QString shown;
        QVERIFY(h.Run(s, [&](TCfgDialog& d) {
            shown = d.eStartClock->text();
            return QDialog::Accepted;
        }));
        QCOMPARE(shown, QString("00:45"));
        QCOMPARE(s.StartClock, 45);
        QVERIFY(h.Run(s, [&](TCfgDialog& d) {
            d.eStartClock->setTime(QTime(0, 0));
            return QDialog::Accepted;
        }));
        QCOMPARE(s.StartClock, 0);
    }

    void typedCharacters() {
        Harness h;
        TCfgDialog& d = h.dlg;
        Retype(d.eStrafPkt, "a1.2,x5");
        QCOMPARE(d.eStrafPkt->text(), QString("12,5"));
        Retype(d.eStrafPkt, "123456");
        QCOMPARE(d.eStrafPkt->text(), QString("12345")); // five characters at most
        Retype(d.eStrafSek, "-1,55");
        QCOMPARE(d.eStrafSek->text(), QString("1,5"));
        Retype(d.seLen, "12x3456789");
        QCOMPARE(d.seLen->Text(), QString("123456"));
        Retype(d.eStartInt, "-");
        QCOMPARE(d.eStartInt->Text(), QString("-"));
        QCOMPARE(d.eStartInt->Value(), 1); // not an integer: the minimum
        d.eStartInt->ExitCheck();
        QCOMPARE(d.eStartInt->Text(), QString("-"));
        Retype(d.eStartInt, "45");
        d.eStartInt->ExitCheck();
        QCOMPARE(d.eStartInt->Text(), QString("30"));
        d.eStartInt->stepBy(-3);
        QCOMPARE(d.eStartInt->Text(), QString("27"));
    }

    void tempoFieldRefusesBadText() {
        Harness h;
        TCfgDialog& d = h.dlg;
        d.eTempo->SetValue(240.0);
        d.eTempo->stepBy(2);
        QCOMPARE(d.eTempo->Text(), QString("242,0"));
        d.eTempo->SetText("0");
        QVERIFY(!d.eTempo->ExitCheck());
        QCOMPARE(d.eTempo->Text(), QString("1,0")); // the value it had on entry (none yet: the minimum)
        d.eTempo->SetText("");
        QVERIFY(d.eTempo->ExitCheck());
        QCOMPARE(d.eTempo->Text(), QString("1,0"));
        d.eTempo->SetText("250");
        QVERIFY(d.eTempo->ExitCheck());
        QCOMPARE(d.eTempo->Text(), QString("250,0"));
    }

    void fieldsCheckTheirTextOnFocusLoss() {
        Harness h;
        TCfgDialog& d = h.dlg;
        Settings s;
        d.runModal = [](TCfgDialog&) { return QDialog::Rejected; };
        d.bCFGClick(s);
        d.show();
        d.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d));

        d.seLen->setFocus();
        Retype(d.seLen, "5");
        d.eStartInt->setFocus();
        QCOMPARE(d.seLen->Text(), QString("10")); // the nearer bound
        QCOMPARE(d.eTime->text(), QString("00:00:02"));

        d.eTempo->setFocus();
        Retype(d.eTempo, "0");
        d.eDis->setFocus();
        QCOMPARE(d.eTempo->Text(), QString("240,0")); // back to the value it had on entry
        QTRY_VERIFY(d.eTempo->hasFocus());            // and the operator stays there

        // Enter in the field with a bad text does not close the dialog.
        Retype(d.eTempo, "0");
        d.OKBtnClick();
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QVERIFY(d.isVisible());
        QCOMPARE(d.eTempo->Text(), QString("240,0"));
        Retype(d.eTempo, "200");
        d.OKBtnClick();
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(d.eTempo->Text(), QString("200,0"));
    }

    void aPopupOrAnotherWindowIsNoFocusLoss() {
        Harness h;
        TCfgDialog& d = h.dlg;
        Settings s;
        d.runModal = [](TCfgDialog&) { return QDialog::Rejected; };
        d.bCFGClick(s);
        d.show();
        d.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        const auto focusEvents = [](QWidget* field, Qt::FocusReason reason) {
            QFocusEvent out(QEvent::FocusOut, reason);
            QApplication::sendEvent(field, &out);
            QFocusEvent in(QEvent::FocusIn, reason);
            QApplication::sendEvent(field, &in);
        };

        // The context menu of the field and a switch to another window leave the text as typed.
        d.eTempo->setFocus();
        Retype(d.eTempo, "");
        focusEvents(d.eTempo, Qt::PopupFocusReason);
        QCOMPARE(d.eTempo->Text(), QString(""));
        Retype(d.eTempo, "0");
        focusEvents(d.eTempo, Qt::ActiveWindowFocusReason);
        QCOMPARE(d.eTempo->Text(), QString("0"));
        // Leaving the field still refuses the text and returns to the tempo it had on entry.
        d.eDis->setFocus();
        QCOMPARE(d.eTempo->Text(), QString("240,0"));

        d.seLen->setFocus();
        Retype(d.seLen, "5");
        focusEvents(d.seLen, Qt::PopupFocusReason);
        focusEvents(d.seLen, Qt::ActiveWindowFocusReason);
        QCOMPARE(d.seLen->Text(), QString("5"));
        d.eDis->setFocus();
        QCOMPARE(d.seLen->Text(), QString("10"));
    }

    void theTimeLimitFollowsTheAllowedTimeUntilTheOperatorSetsIt() {
        Harness h;
        Settings s; // 2400 m at 240 m/min: 10:00
        QStringList seen;
        QVERIFY(h.Run(s, [&seen](TCfgDialog& d) {
            seen << d.DateTimePicker1->text() << d.cbWertung->currentText() << d.eMindestzeit->text();
            d.seLen->SetValue(3000); // 12:30 allowed: the limit follows
            seen << d.DateTimePicker1->text();
            d.DateTimePicker1->setFocus();
            d.DateTimePicker1->setTime(QTime(0, 30, 0)); // the operator's own limit
            d.seLen->SetValue(2400);
            seen << d.DateTimePicker1->text();
            d.cbWertung->setCurrentIndex(1);
            d.eMindestzeit->setTime(QTime(0, 9, 0));
            return int(QDialog::Accepted);
        }));
        QCOMPARE(seen, QStringList({"00:20:00", "wie bisher", "00:00:00", "00:25:00", "00:30:00"}));
        QCOMPARE(s.Hoechstzeit, 1'800'000u);
        QCOMPARE(s.Wertung, 1u);
        QCOMPARE(s.Mindestzeit, 540'000u);
    }

    void thePortBoxNamesTheDeviceBehindEachNumber() {
        FakePort port;
        port.devices = {{1, "/dev/ttyACM0"}, {3, "/dev/ttyUSB0"}};
        TCfgDialog d(port);
        QCOMPARE(d.cbPort->toolTip(), QString("COM1 = /dev/ttyACM0\nCOM3 = /dev/ttyUSB0"));
        QCOMPARE(d.cbPort->itemData(2, Qt::ToolTipRole).toString(), QString("/dev/ttyUSB0"));
        QVERIFY(!d.cbPort->itemData(0, Qt::ToolTipRole).isValid()); // "Kein"
    }

    // The open port's priority and its adapter's latency timer beside the port box, and the offer
    // to set the timer to 1 ms: asked first, refused or not permitted said with what does it.
    void thePortGroupShowsTheOpenPortsTiming() {
        const std::string notice = "USB-Latenz 16 ms \xE2\x80\x94 auf 1 ms stellen";
        const std::string advice = "echo 1 | sudo tee /sys/bus/usb-serial/devices/ttyUSB0/latency_timer";
        struct Case {
            const char* what;
            int openPort, chosenPort;
            std::string latency;
            bool writable, agree, sets;
            bool priorityShown, latencyShown;
            QStringList calls;
            QStringList messages;
            bool latencyAfter;
        };
        const Case cases[] = {
            {"no port open", 0, 3, notice, true, true, true, false, false, {}, {}, false},
            {"open, 1 ms", 3, 3, "", true, true, true, true, false, {}, {}, false},
            {"another port chosen", 3, 1, notice, true, true, true, false, false, {}, {}, false},
            {"16 ms, agreed, set", 3, 3, notice, true, true, true, true, true, {"latency 1"}, {}, false},
            {"16 ms, not agreed", 3, 3, notice, true, false, true, true, true, {}, {}, true},
            {"16 ms, set refused", 3, 3, notice, true, true, false, true, true, {"latency 1"}, {"refused"}, true},
            {"16 ms, not permitted", 3, 3, notice, false, true, true, true, true, {}, {"advice"}, true},
        };
        for (const Case& c : cases) {
            Harness h;
            h.port.timing.port = c.openPort;
            h.port.timing.priority = "Echtzeit (SCHED_FIFO 10)";
            h.port.timing.latencyNotice = c.latency;
            h.port.timing.latencyAdvice = c.latency.empty() ? "" : advice;
            h.port.timing.latencyWritable = c.writable;
            h.port.latencySets = c.sets;
            QStringList questions;
            h.dlg.askQuestion = [&](const std::string& q) {
                questions << QString::fromStdString(q);
                return c.agree;
            };
            Settings s;
            s.Port = static_cast<std::uint8_t>(c.chosenPort);
            bool priorityShown = false, latencyShown = false, latencyAfter = false;
            QString priorityText, priorityTip, latencyText, latencyTip;
            h.Run(s, [&](TCfgDialog& d) {
                priorityShown = d.lPriority->isVisibleTo(&d);
                latencyShown = d.lLatency->isVisibleTo(&d);
                priorityText = d.lPriority->text();
                priorityTip = d.lPriority->toolTip();
                latencyText = d.lLatency->text();
                latencyTip = d.lLatency->toolTip();
                if (latencyShown) {
                    d.LatencyClick();
                    latencyAfter = d.lLatency->isVisibleTo(&d);
                }
                return QDialog::Rejected;
            });
            const QByteArray what = c.what;
            QVERIFY2(priorityShown == c.priorityShown, what);
            QVERIFY2(latencyShown == c.latencyShown, what);
            QVERIFY2(!c.priorityShown || priorityText.contains("Echtzeit"), what);
            QVERIFY2(!c.priorityShown || priorityTip.contains("Echtzeit (SCHED_FIFO 10)"), what);
            QVERIFY2(!c.latencyShown || latencyText.contains(QString::fromStdString(notice).toHtmlEscaped()), what);
            QVERIFY2(!c.latencyShown || c.writable || latencyTip.contains("tee"), what);
            QVERIFY2(latencyAfter == c.latencyAfter, what);
            QCOMPARE(h.port.calls, c.calls);
            QCOMPARE(questions.size(), c.latencyShown && c.writable ? 1 : 0);
            QCOMPARE(h.messages.size(), c.messages.size());
            for (const QString& m : h.messages) {
                QVERIFY(m.contains(QString::fromStdString(advice)));
            }
        }
    }

    // Not a test: saves the dialog's picture when VANDORET_SCREENSHOT names a file.
    void screenshot() {
        const QString path = qEnvironmentVariable("VANDORET_SCREENSHOT");
        if (path.isEmpty()) {
            QSKIP("VANDORET_SCREENSHOT not set");
        }
        Harness h;
        Settings s;
        s.Port = 3;
        h.Run(s, [&](TCfgDialog& d) {
            d.show();
            QTest::qWait(200);
            d.grab().save(path);
            return QDialog::Rejected;
        });
        QVERIFY(QFile::exists(path));
    }
};

QTEST_MAIN(SettingsDialogTest)
#include "tst_settings_dialog.moc"
