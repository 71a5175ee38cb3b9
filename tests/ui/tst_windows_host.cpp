// The platform pieces of the program: QtHost, the display font and the LCD field drawing.
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QTemporaryDir>
#include <QtTest>

#include "ui/DisplayFont.h"
#include "ui/HelpPages.h"
#include "ui/LcdField.h"
#include "ui/QtHost.h"

using vandoret::ui::DisplayFont;
using vandoret::ui::LcdField;
using vandoret::ui::QtHost;

// Runs a test body inside a fresh current folder.
class InFolder {
public:
    InFolder() : old_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
    ~InFolder() { QDir::setCurrent(old_); }
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    QString old_;
};

class WindowsHostTest : public QObject {
    Q_OBJECT
private slots:
    void lcdDisplayText_data() {
        QTest::addColumn<QString>("core");
        QTest::addColumn<QString>("drawn");
        QTest::newRow("no finish") << "..:..:..,."
                                   << "!.!.:!.!.:!.!.,!.";
        QTest::newRow("finish") << "10:16:01,9"
                                << "10:16:01,9";
        QTest::newRow("countdown") << "00:05"
                                   << "00:05";
        QTest::newRow("blank") << " 9:30"
                               << "!9:30";
        QTest::newRow("empty") << ""
                               << "";
    }
    void lcdDisplayText() {
        QFETCH(QString, core);
        QFETCH(QString, drawn);
        QCOMPARE(LcdField::DisplayText(core), drawn);
        // The field keeps the core's text; only the drawing changes it.
        LcdField field(core);
        field.SetSegmentFont(true);
        QCOMPARE(field.text(), core);
    }

    void fontRegisteredFromMemoryAndRemoved() {
        InFolder folder;
        DisplayFont font;
        QVERIFY(font.Install());
        QVERIFY(QDir(folder.path()).isEmpty()); // no font file written
        QVERIFY(QFontDatabase::families().contains(font.family()));
        font.Remove();
        QVERIFY(!font.Installed());
        font.Remove(); // twice is harmless
    }

    void fontInAFolderThatCannotBeWritten() {
        InFolder folder;
        QVERIFY(QDir().mkdir("ZR_LCD_1.TTF")); // a folder in the way of the file
        DisplayFont font;
        QVERIFY(font.Install()); // registered from memory all the same
        font.Remove();
        QVERIFY(QFileInfo("ZR_LCD_1.TTF").isDir()); // what was there stays
    }

    void helpPagesInAFreshFolderOfTheirOwn() {
        const QString page = vandoret::ui::WriteHelpPages();
        QVERIFY(QFile::exists(page));
        const QFileInfo folder(QFileInfo(page).absolutePath());
        QVERIFY(!folder.isSymLink() && folder.fileName() != "vandoret-hilfe"); // never the old fixed folder
        QCOMPARE(folder.permissions() & (QFile::ReadOther | QFile::ReadGroup | QFile::WriteOther),
                 QFile::Permissions());
        QCOMPARE(vandoret::ui::WriteHelpPages(), page); // one folder for the run
    }

    void timers() {
        QtHost host;
        int ticks = 0;
        host.onTimer1 = [&] { ++ticks; };
        QVERIFY(!host.Timer1Enabled());
        host.SetTimer1Enabled(true);
        QVERIFY(host.Timer1Enabled());
        QTRY_VERIFY_WITH_TIMEOUT(ticks >= 2, 1000);
        host.SetTimer1Enabled(false);
        QVERIFY(!host.Timer1Enabled());
        host.StartTimer5sek();
        QVERIFY(host.Timer5sekRunning());
        host.StopTimer5sek();
        QVERIFY(!host.Timer5sekRunning());
    }

    void clockIsTheTimeOfDay() {
        QtHost host;
        const double before = QTime::currentTime().msecsSinceStartOfDay() / 86'400'000.0;
        const double now = host.CurrentTimeOfDay();
        QVERIFY(now >= 0.0 && now < 1.0);
        QVERIFY(now - before < 1.0 / 86'400 || before > now); // within a second, or midnight passed
    }

    void missingSoundStaysSilent() {
        QtHost host;
        host.PlaySound("");
        host.PlaySound("/no/such/Audio-Start.wav");
        host.PreloadSounds({"", "/no/such/Audio-Ziel.wav"});
    }

    void fileStampOfAMissingFile() {
        InFolder folder;
        QtHost host;
        QCOMPARE(host.FileState("Starterliste.txt").stamp, -1);
        QFile f("Starterliste.txt");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("x\r\n");
        f.close();
        QVERIFY(host.FileState("Starterliste.txt").stamp != -1);
        QCOMPARE(host.FileState("Starterliste.txt").size, std::uint64_t{3});
    }

    void replaceableDialogsAndShell() {
        QtHost host;
        std::vector<std::string> asked;
        host.askYesNo = [&](const std::string& q) {
            asked.push_back(q);
            return true;
        };
        QVERIFY(host.AskYesNo("Beenden?"));
        QCOMPARE(asked, (std::vector<std::string>{"Beenden?"}));
        std::vector<std::string> shown;
        host.showMessage = [&](const std::string& m) { shown.push_back(m); };
        host.ShowMessage("Rowsize too small");
        QCOMPARE(shown, (std::vector<std::string>{"Rowsize too small"}));
        host.openFileDialog = [](const std::string&, const std::vector<vandoret::FileFilter>&) {
            return std::optional<std::string>("Starterliste.txt");
        };
        QCOMPARE(host.OpenFileDialog("Öffnen", {}), std::optional<std::string>("Starterliste.txt"));
        host.shellExecute = [](const std::string& verb, const std::string&) { return verb == "open"; };
        QVERIFY(host.ShellExecute("open", "Vandoret.html"));
        QVERIFY(!host.ShellExecute("print", "Vandoret.html"));
    }

    void programFolderAndTitle() {
        QtHost host;
        const std::string dir = host.ProgramDir();
        QVERIFY(!dir.empty());
        QCOMPARE(dir.back(), QDir::separator().toLatin1());
        QCOMPARE(host.ApplicationTitle(), std::string("tst_windows_host"));
    }
    // Qt's folder names the German texts qtbase_de.qm, windeployqt's qt_de.qm: either is found,
    // the first folder holding one wins.
    void germanQtTextsUnderEitherName() {
        QTemporaryDir none, deployed, both;
        const auto put = [](const QTemporaryDir& dir, const char* name) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        };
        put(deployed, "qt_de.qm");
        put(both, "qt_de.qm");
        put(both, "qtbase_de.qm");
        using vandoret::ui::GermanQtTranslation;
        QCOMPARE(GermanQtTranslation({none.path()}), QString());
        QCOMPARE(GermanQtTranslation({none.path(), deployed.path()}), deployed.filePath("qt_de.qm"));
        QCOMPARE(GermanQtTranslation({both.path()}), both.filePath("qtbase_de.qm"));
    }
};

QTEST_MAIN(WindowsHostTest)
#include "tst_windows_host.moc"
