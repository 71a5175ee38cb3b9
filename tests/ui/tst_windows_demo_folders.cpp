// A demo run points the journal, settings and runtime folders away from the operator's before
// anything reads them; an ordinary start changes nothing.
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include "ui/DemoFolders.h"

using vandoret::ui::DemoFolders;

class DemoFoldersTest : public QObject {
    Q_OBJECT
    const QByteArray variables_[3] = {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"};
    QTemporaryDir operator_; // stands for the operator's own folders
    QByteArray saved_[3];

private slots:
    void init() {
        for (int i = 0; i < 3; ++i) {
            saved_[i] = qgetenv(variables_[i].constData());
            qputenv(variables_[i].constData(), QDir(operator_.path()).filePath(variables_[i]).toLocal8Bit());
        }
        qunsetenv("VANDORET_DEMO_FOLDER");
    }
    void cleanup() {
        for (int i = 0; i < 3; ++i) {
            qputenv(variables_[i].constData(), saved_[i]);
        }
        qunsetenv("VANDORET_DEMO_FOLDER");
    }

    void folders_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("given"); // VANDORET_DEMO_FOLDER, "" unset, "rel" a relative one
        QTest::addColumn<bool>("demo");
        QTest::newRow("ordinary start") << QStringList{"Vandoret"} << "" << false;
        QTest::newRow("a start list named like an option") << QStringList{"Vandoret", "--live"} << "" << false;
        QTest::newRow("screenshot run") << QStringList{"Vandoret", "--screenshot-demo", "out"} << "" << true;
        QTest::newRow("live run") << QStringList{"Vandoret", "--live-demo", "18480"} << "" << true;
        QTest::newRow("live run in a given folder") << QStringList{"Vandoret", "--live-demo", "1"} << "given" << true;
        QTest::newRow("a relative folder is not taken") << QStringList{"Vandoret", "--live-demo", "1"} << "rel" << true;
    }
    void folders() {
        QFETCH(QStringList, args);
        QFETCH(QString, given);
        QFETCH(bool, demo);
        QTemporaryDir scriptFolder;
        const QString wanted = scriptFolder.filePath("demo");
        if (given == "given") {
            qputenv("VANDORET_DEMO_FOLDER", wanted.toLocal8Bit());
        } else if (given == "rel") {
            qputenv("VANDORET_DEMO_FOLDER", "demo");
        }
        QString root;
        {
            const DemoFolders folders(args);
            QCOMPARE(folders.Active(), demo);
            QVERIFY(!folders.Failed());
            root = folders.Root();
            const char* const names[3] = {"data", "config", "runtime"};
            for (int i = 0; i < 3; ++i) {
                const QString now = qEnvironmentVariable(variables_[i].constData());
                if (!demo) {
                    QCOMPARE(now, QDir(operator_.path()).filePath(variables_[i]));
                    continue;
                }
                QCOMPARE(now, QDir(root).filePath(names[i]));
                QVERIFY(!now.startsWith(operator_.path()));
                QVERIFY(QFileInfo(now).isDir());
            }
            if (demo) {
                // The runtime folder is the user's alone.
                const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                                  QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
                QVERIFY(!(QFileInfo(qEnvironmentVariable("XDG_RUNTIME_DIR")).permissions() & others));
                QCOMPARE(root == wanted, given == "given");
            }
        }
        // A fresh folder goes with the run; a given one stays for the script to look into.
        if (demo) {
            QCOMPARE(QFileInfo::exists(root), given == "given");
        }
    }
};

QTEST_GUILESS_MAIN(DemoFoldersTest)
#include "tst_windows_demo_folders.moc"
