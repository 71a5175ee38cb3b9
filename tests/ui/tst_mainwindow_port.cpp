// The main window with a serial port on the fake port layer: opening at start-up, the lock
// indicators, and closing after the settings are stored.
#include <QLabel>
#include <QtTest>

#include "contacts/Comms.h"
#include "fakes/FakeHost.h"
#include "fakes/FakePortLayer.h"
#include "fakes/QueueDispatcher.h"
#include "ui/Unit1.h"

using vandoret::Settings;
using vandoret::Timekeeper;
using vandoret::testing::FakeHost;
using vandoret::testing::FakePortLayer;
using vandoret::testing::QueueDispatcher;
using vandoret::ui::TForm1;

namespace {

struct PortRig {
    FakeHost host;
    FakePortLayer layer;
    QueueDispatcher dispatcher;
    Timekeeper tk{host};
    vandoret::ui::FormOptions options;
    std::vector<std::string> steps;

    explicit PortRig(int storedPort) {
        tk.AttachComPort(layer, dispatcher, [this] { return host.now; });
        options.installFont = false;
        options.listComPorts = [this] { tk.ListComPorts(layer); };
        options.loadSettings = [storedPort](Settings& s) { s.Port = static_cast<std::uint8_t>(storedPort); };
        options.saveSettings = [this](const Settings& s) {
            steps.push_back(
                "save port " + std::to_string(s.Port) +
                (tk.contacts.ComPort && tk.contacts.ComPort->Connected() ? " while open" : " while closed"));
        };
    }
};

} // namespace

class MainWindowPortTest : public QObject {
    Q_OBJECT
private slots:
    void storedPortOpensAndShowsTheLocks() {
        PortRig rig(3);
        rig.layer.AddDevice(3);
        {
            TForm1 form(rig.host, rig.tk, rig.options);
            QVERIFY(rig.tk.contacts.ComPort->Connected());
            QVERIFY(form.ImageLSstart->isVisibleTo(&form));
            QVERIFY(form.ImageLSstop->isVisibleTo(&form));
            // F11 and F12 switch the locks and their pictures.
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            const QImage before = form.ImageLSstart->pixmap().toImage();
            QTest::keyClick(&form, Qt::Key_F11);
            QVERIFY(form.ImageLSstart->pixmap().toImage() != before);
            QTest::keyClick(&form, Qt::Key_F11);
            QCOMPARE(form.ImageLSstart->pixmap().toImage(), before);
        }
        // The settings are stored while the port is still open; then it is closed.
        QCOMPARE(rig.steps, (std::vector<std::string>{"save port 3 while open"}));
        QVERIFY(!rig.tk.contacts.ComPort->Connected());
    }

    void missingPortIsDroppedWithoutMessage() {
        PortRig rig(7);
        {
            TForm1 form(rig.host, rig.tk, rig.options);
            QVERIFY(!rig.tk.contacts.ComPort->Connected());
            QVERIFY(!form.ImageLSstart->isVisibleTo(&form));
            QVERIFY(!form.ImageLSstop->isVisibleTo(&form));
            QVERIFY(rig.host.messages.empty());
        }
        QCOMPARE(rig.steps, (std::vector<std::string>{"save port 0 while closed"}));
    }
};

QTEST_MAIN(MainWindowPortTest)
#include "tst_mainwindow_port.moc"
