// The settings reach the store as soon as the operator changes them, not only at a clean end: a
// confirmed settings dialog, the sound switch, the AutoStart box and a start list opened with
// Ctrl+O are written at once; ticks and window moves are not. A store that cannot be written
// costs nothing but the write: the timing goes on and the old file stays whole.
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <string>
#include <vector>

#include "fakes/FakeHost.h"
#include "fakes/FileSizeLimit.h"
#include "settings/Cfg.h"
#include "settings/FileSettingsStore.h"
#include "settings/MemorySettingsStore.h"
#include "settings/Settings.h"
#include "ui/EditFields.h"
#include "ui/Unit1.h"

using vandoret::Settings;
using vandoret::SettingsStore;
using vandoret::Timekeeper;
using vandoret::testing::FakeHost;
using vandoret::ui::TCfgDialog;
using vandoret::ui::TForm1;

namespace {

struct NoPort : vandoret::PortControl {
    void ClosePort() override {}
    bool OpenPort(int) override { return true; }
    std::vector<int> AvailablePorts() const override { return {}; }
    std::string DeviceOf(int) const override { return {}; }
    void Pause(int) override {}
};

// The window as the program wires it: the store behind loadSettings/saveSettings and the
// settings dialog behind F2, whose modal run is answered in advance.
struct Rig {
    FakeHost host;
    Timekeeper tk{host};
    SettingsStore& store;
    int saves = 0;
    NoPort port;
    TCfgDialog cfg{port};
    std::unique_ptr<TForm1> form;
    QStringList messages;

    explicit Rig(SettingsStore& s) : store(s) {
        host.SetClock(9, 29, 55, 0);
        vandoret::ui::FormOptions o;
        o.installFont = false;
        o.loadSettings = [this](Settings& settings) { vandoret::LoadSettings(store, settings); };
        o.saveSettings = [this](const Settings& settings) {
            ++saves;
            vandoret::SaveSettings(store, settings);
        };
        form = std::make_unique<TForm1>(host, tk, o);
        cfg.showMessage = [this](const std::string& m) { messages << QString::fromStdString(m); };
        form->settingsDialog = [this] { cfg.bCFGClick(tk.settings); };
    }
    void Dialog(std::function<int(TCfgDialog&)> edit) {
        cfg.runModal = std::move(edit);
        form->bCFGClick();
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

std::optional<vandoret::RegValue> Stored(SettingsStore& store, const std::string& name) {
    if (!store.OpenForRead()) {
        return std::nullopt;
    }
    auto value = store.Read(name);
    store.Close();
    return value;
}

QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class SettingsSavedTest : public QObject {
    Q_OBJECT
private slots:
    void changedChoicesAreWrittenAtOnce() {
        QTemporaryDir folder;
        const QString old = QDir::currentPath();
        QDir::setCurrent(folder.path());
        {
            QFile list("Gelände.txt");
            QVERIFY(list.open(QIODevice::WriteOnly));
            list.write(
                "Startzeit\tSt.Nr.\tName\tPferd\tClub\tOrt\r\n9:30\t1\tAnna Berger\tLancelot\tRV Seetal\tHochdorf\r\n");
        }
        using vandoret::RegValue;
        struct Case {
            const char* what;
            std::function<void(Rig&)> act;
            int saves;
            const char* name; // the stored value to look at, with what it must hold
            std::function<RegValue(Rig&)> expected;
        };
        const std::vector<Case> cases = {
            {"dialog confirmed with a new course length",
             [](Rig& r) {
                 r.Dialog([](TCfgDialog& d) {
                     Retype(d.seLen, "3000");
                     return int(QDialog::Accepted);
                 });
             },
             1, "Len", [](Rig&) { return RegValue::Dword(3000); }},
            {"dialog cancelled",
             [](Rig& r) {
                 r.Dialog([](TCfgDialog& d) {
                     Retype(d.seLen, "3000");
                     return int(QDialog::Rejected);
                 });
             },
             0, "Len", [](Rig&) { return RegValue::Dword(2400); }},
            {"dialog confirmed, stopped at a bad number: what it took over is written",
             [](Rig& r) {
                 r.Dialog([](TCfgDialog& d) {
                     Retype(d.eDis, "Aufg.");
                     Retype(d.eStrafSek, "1,5");
                     return int(QDialog::Accepted);
                 });
             },
             1, "DisText", [](Rig&) { return RegValue::Sz("Aufg."); }},
            {"sound switched off", [](Rig& r) { r.form->ImageSoundClick(); }, 1, "Sound",
             [](Rig&) { return RegValue::Dword(0); }},
            {"AutoStart box unticked", [](Rig& r) { r.form->cbAutoStart->click(); }, 1, "AutoStart",
             [](Rig&) { return RegValue::Dword(0); }},
            {"start list opened with Ctrl+O",
             [&folder](Rig& r) {
                 r.host.openAnswers = {QDir(folder.path()).filePath("Gelände.txt").toStdString()};
                 r.form->sbLoadClick();
             },
             1, "BaseName", [](Rig& r) { return RegValue::Sz(r.tk.settings.BaseName); }},
            {"ticks and a moved window",
             [](Rig& r) {
                 for (int i = 0; i < 3; ++i) {
                     r.form->Timer1Timer();
                 }
                 r.form->move(40, 50);
                 r.form->resize(900, 500);
                 r.form->RefreshFromCore();
             },
             0, "Left", [](Rig&) { return RegValue::Dword(333); }},
        };
        for (const Case& c : cases) {
            vandoret::MemorySettingsStore store;
            store.keyExists = true;
            {
                Rig rig(store);
                vandoret::SaveSettings(store, rig.tk.settings); // the file of an earlier run
                c.act(rig);
                QVERIFY2(rig.saves == c.saves, c.what);
                QVERIFY2(Stored(store, c.name) == c.expected(rig), c.what);
                // Nothing changed since: no further write.
                rig.form->Timer1Timer();
                QVERIFY2(rig.saves == c.saves, c.what);
            }
        }
        QDir::setCurrent(old);
    }

    // A full disk during the write: the window goes on timing, the old file stays as it was, and
    // the next change is written once there is room again.
    void aFailedWriteKeepsTimingAndTheOldFile() {
        if (!vandoret::testing::FileSizeLimit::Available()) {
            QSKIP("no file size limit on this platform");
        }
        QTemporaryDir folder;
        vandoret::FileSettingsStore store(folder.path().toStdString(), "Vandoret");
        const QString path = QString::fromStdString(store.FilePath().string());
        {
            Settings earlier;
            earlier.DisText = std::string(200, 'x'); // a file larger than the limit below allows
            vandoret::SaveSettings(store, earlier);
        }
        const QByteArray before = FileBytes(path);
        QVERIFY(before.size() > 300);
        Rig rig(store);
        {
            const vandoret::testing::FileSizeLimit full(64); // the write stops part-way
            rig.Dialog([](TCfgDialog& d) {
                Retype(d.eDis, "Aufg.");
                return int(QDialog::Accepted);
            });
            QCOMPARE(rig.saves, 1);
            rig.form->ImageSoundClick();
            QCOMPARE(rig.saves, 2);
        }
        QCOMPARE(FileBytes(path), before);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 1); // no temporary file left
        // The run goes on: a start is taken and the clock ticks.
        rig.host.SetClock(9, 30, 0, 0);
        rig.form->mStartClick();
        rig.form->Timer1Timer();
        QCOMPARE(rig.tk.registrations.SortGrid2.Cells(1, 1), std::string("09:30:00,0"));
        QVERIFY(rig.host.Timer1Enabled());
        // Room again: the next change writes everything the run holds.
        rig.form->ImageSoundClick();
        QCOMPARE(rig.saves, 3);
        QVERIFY(Stored(store, "DisText") == vandoret::RegValue::Sz("Aufg."));
        QVERIFY(Stored(store, "Sound") == vandoret::RegValue::Dword(1));
    }
};

QTEST_MAIN(SettingsSavedTest)
#include "tst_settings_saved.moc"
