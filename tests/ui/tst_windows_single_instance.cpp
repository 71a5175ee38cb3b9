// One program per PC: a second start hands over to the first, a killed holder's lock is taken over,
// a hung holder gets the message. The holders in other processes are this program, started with
// --hold (answers) or --hold-hung (never runs its event loop).
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "ui/SingleInstance.h"

using vandoret::ui::SingleInstance;
using Start = SingleInstance::Start;
using namespace std::chrono_literals;

namespace {

int Hold(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    SingleInstance instance(QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[2]));
    if (instance.Claim(nullptr) != Start::Owner) {
        return 2;
    }
    instance.onRaise = [] {
        std::puts("raised");
        std::fflush(stdout);
    };
    std::puts("ready");
    std::fflush(stdout);
    if (qstrcmp(argv[1], "--hold-hung") == 0) {
        std::this_thread::sleep_for(60s);
        return 0;
    }
    return app.exec();
}

} // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QByteArray said_; // what the holder printed so far
    std::vector<std::string> messages_;
    const std::function<void(const std::string&)> tell_ = [this](const std::string& m) { messages_.push_back(m); };

    bool HolderSaid(QProcess& holder, const char* word) {
        said_ += holder.readAllStandardOutput();
        return said_.contains(word);
    }

    // Starts a holder process and waits until it owns the lock.
    void StartHolder(QProcess& holder, const char* mode) {
        holder.start(QCoreApplication::applicationFilePath(), {mode, dir_.path(), "Vandoret"});
        QVERIFY(holder.waitForStarted());
        said_.clear();
        QTRY_VERIFY_WITH_TIMEOUT(HolderSaid(holder, "ready"), 10000);
    }

private slots:
    void init() { messages_.clear(); }

    void secondStartInTheSameProcessRaisesTheFirst() {
        int raised = 0;
        {
            SingleInstance first("Vandoret", dir_.path());
            QCOMPARE(first.Claim(tell_), Start::Owner);
            first.onRaise = [&] { ++raised; };
            SingleInstance second("Vandoret", dir_.path());
            QCOMPARE(second.Claim(tell_), Start::Forwarded);
            QCOMPARE(raised, 1);
            // Another title is another program with its own settings: it runs beside.
            SingleInstance copy("Zeit2", dir_.path());
            QCOMPARE(copy.Claim(tell_), Start::Owner);
            QVERIFY(first.HoldsLock());
        }
        QVERIFY(!QFile::exists(dir_.filePath("Vandoret.lock")));
        SingleInstance next("Vandoret", dir_.path());
        QCOMPARE(next.Claim(tell_), Start::Owner);
        QVERIFY(messages_.empty());
    }

    void secondStartHandsOverAStartList_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("plain") << "/home/op/Rennen/Starterliste.txt";
        QTest::newRow("spaces, umlauts, a line end") << QString::fromUtf8("/home/op/Gelände 2024/Zwei\nZeilen ß.txt");
        QTest::newRow("percent and plus") << "C:\\Rennen\\100% + 1.txt";
        // "open " and the line end around 4090 characters: exactly the longest request.
        QTest::newRow("at the limit") << QString(4090, u'a');
    }

    void secondStartHandsOverAStartList() {
        QFETCH(QString, file);
        QVERIFY(SingleInstance::CanHandOver(file));
        SingleInstance first("Vandoret", dir_.path());
        QCOMPARE(first.Claim(tell_), Start::Owner);
        int raised = 0;
        QStringList opened;
        first.onRaise = [&] {
            ++raised;
            QVERIFY2(opened.isEmpty(), "opened before the request was answered");
        };
        first.onOpen = [&](const QString& name) { opened << name; };
        SingleInstance second("Vandoret", dir_.path());
        QCOMPARE(second.Claim(tell_, 2s, file), Start::Forwarded);
        QCOMPARE(raised, 1);
        QTRY_COMPARE(opened, QStringList{file});
        QVERIFY(messages_.empty());
    }

    void longerRequestsAreRefused() {
        QVERIFY(!SingleInstance::CanHandOver(QString(4091, u'a')));
        QVERIFY(!SingleInstance::CanHandOver(QString(1400, QChar(0x00E4)))); // ä is %C3%A4: 8400 bytes
        SingleInstance first("Vandoret", dir_.path());
        QCOMPARE(first.Claim(tell_), Start::Owner);
        int raised = 0;
        QStringList opened;
        first.onRaise = [&] { ++raised; };
        first.onOpen = [&](const QString& name) { opened << name; };
        // Written by hand past the limit, with and without its line end: no answer, nothing opened.
        for (const QByteArray& request : {"open " + QByteArray(5000, 'a') + "\n", "open " + QByteArray(5000, 'a')}) {
            QLocalSocket socket;
            socket.connectToServer(first.serverName());
            QVERIFY(socket.waitForConnected(2000));
            socket.write(request);
            socket.flush();
            QTRY_VERIFY(socket.state() == QLocalSocket::UnconnectedState);
            QVERIFY(!socket.readAll().contains("raised"));
        }
        QCoreApplication::processEvents();
        QCOMPARE(raised, 0);
        QVERIFY(opened.isEmpty());
    }

    void secondStartAsksTheRunningProgram() {
        QProcess holder;
        StartHolder(holder, "--hold");
        // A program that has run all day: its lock's age does not make it stale.
        QFile lockFile(dir_.filePath("Vandoret.lock"));
        QVERIFY(lockFile.open(QIODevice::ReadOnly));
        QVERIFY(lockFile.setFileTime(QDateTime::currentDateTime().addSecs(-36000), QFileDevice::FileModificationTime));
        lockFile.close();
        SingleInstance second("Vandoret", dir_.path());
        QCOMPARE(second.Claim(tell_), Start::Forwarded);
        QTRY_VERIFY(HolderSaid(holder, "raised"));
        QVERIFY(messages_.empty());
        QVERIFY(!second.HoldsLock());
        holder.kill();
        holder.waitForFinished();
    }

    void killedHolderLockIsTakenOver() {
        QProcess holder;
        StartHolder(holder, "--hold");
        holder.kill(); // SIGKILL: the lock and socket files stay behind
        QVERIFY(holder.waitForFinished());
        QVERIFY(QFile::exists(dir_.filePath("Vandoret.lock")));
        SingleInstance next("Vandoret", dir_.path());
        QCOMPARE(next.Claim(tell_), Start::Owner);
        // And it serves later starts despite the dead holder's socket file.
        SingleInstance later("Vandoret", dir_.path());
        QCOMPARE(later.Claim(tell_), Start::Forwarded);
        QVERIFY(messages_.empty());
    }

    void hungHolderGivesTheMessageAfterTwoSeconds() {
        QProcess holder;
        StartHolder(holder, "--hold-hung");
        SingleInstance second("Vandoret", dir_.path());
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(second.Claim(tell_), Start::NoAnswer);
        QVERIFY(clock.elapsed() >= 1900 && clock.elapsed() < 4000);
        QCOMPARE(messages_, std::vector<std::string>{"Vandoret läuft bereits."});
        holder.kill();
        holder.waitForFinished();
    }

    void holderStillStartingIsAskedAgain() {
        // Locked but not yet listening: the later start keeps trying within its wait.
        auto early = std::make_unique<QLockFile>(dir_.filePath("Vandoret.lock"));
        QVERIFY(early->tryLock(0));
        SingleInstance first("Vandoret", dir_.path());
        QTimer::singleShot(300, this, [&] {
            early.reset();
            QCOMPARE(first.Claim(tell_), Start::Owner);
        });
        SingleInstance second("Vandoret", dir_.path());
        QCOMPARE(second.Claim(tell_), Start::Forwarded);
        QVERIFY(messages_.empty());
    }

    // A running program whose lock file was deleted: a later start asks its socket before it
    // takes anything over, and a program that accepts the request but does not answer keeps its
    // socket too. The answering holder writes its lock file again within its check interval.
    void deletedLockFileNeverLetsASecondProgramRun_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("lockWrittenAgain");
        QTest::newRow("answering holder") << "--hold" << int(Start::Forwarded) << true;
        QTest::newRow("hung holder") << "--hold-hung" << int(Start::NoAnswer) << false;
    }
    void deletedLockFileNeverLetsASecondProgramRun() {
        QFETCH(QString, mode);
        QFETCH(int, expected);
        QFETCH(bool, lockWrittenAgain);
        QProcess holder;
        StartHolder(holder, mode.toLatin1().constData());
        const QString lockPath = dir_.filePath("Vandoret.lock");
        QFile lockFile(lockPath);
        QVERIFY(lockFile.open(QIODevice::ReadOnly));
        const QByteArray holderLock = lockFile.readAll();
        lockFile.close();
        QVERIFY(QFile::remove(lockPath));
        {
            SingleInstance second("Vandoret", dir_.path());
            QCOMPARE(int(second.Claim(tell_, 500ms)), expected);
            QVERIFY(!second.HoldsLock());
        }
        QVERIFY(QFile::exists(dir_.filePath("Vandoret.socket")));
        if (lockWrittenAgain) {
            QTRY_VERIFY(HolderSaid(holder, "raised"));
            QVERIFY(messages_.empty());
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lockPath), 3000);
            QVERIFY(lockFile.open(QIODevice::ReadOnly));
            QCOMPARE(lockFile.readAll(), holderLock); // the holder's own lock again
            lockFile.close();
            // Later starts find the lock and forward as usual.
            SingleInstance third("Vandoret", dir_.path());
            QCOMPARE(third.Claim(tell_), Start::Forwarded);
        } else {
            QCOMPARE(messages_, std::vector<std::string>{"Vandoret läuft bereits."});
            QVERIFY(!QFile::exists(lockPath)); // the second start took its own file away again
        }
        holder.kill();
        holder.waitForFinished();
        QFile::remove(lockPath);
    }

    // The owner's check: an intact lock file stays as it is, a deleted one is written again, a
    // foreign file at the path is never overwritten, and the end removes what was written again.
    void ownerKeepsItsLockFile() {
        const QString lockPath = dir_.filePath("Vandoret.lock");
        const auto content = [&] {
            QFile f(lockPath);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        {
            SingleInstance owner("Vandoret", dir_.path());
            QCOMPARE(owner.Claim(tell_), Start::Owner);
            const QByteArray ours = content();
            QVERIFY(!ours.isEmpty());
            QVERIFY(owner.CheckLock());
            QCOMPARE(content(), ours);

            QVERIFY(QFile::remove(lockPath));
            QVERIFY(owner.CheckLock());
            QCOMPARE(content(), ours);
            QVERIFY(owner.CheckLock()); // the file written again counts as ours

            QVERIFY(QFile::remove(lockPath));
            {
                QFile foreign(lockPath);
                QVERIFY(foreign.open(QIODevice::WriteOnly));
                foreign.write("99999\nVandoret\nother\n");
            }
            QVERIFY(!owner.CheckLock());
            QCOMPARE(content(), QByteArray("99999\nVandoret\nother\n"));
            QVERIFY(QFile::remove(lockPath));
            QVERIFY(owner.CheckLock());
            QCOMPARE(content(), ours);
            // A start in between still forwards to the owner.
            SingleInstance second("Vandoret", dir_.path());
            QCOMPARE(second.Claim(tell_), Start::Forwarded);
            QCOMPARE(content(), ours);
        }
        QVERIFY(!QFile::exists(lockPath));
        SingleInstance next("Vandoret", dir_.path());
        QCOMPARE(next.Claim(tell_), Start::Owner);
        QVERIFY(messages_.empty());
    }

    void folderWithoutLocksRunsUnguarded() {
        SingleInstance instance("Vandoret", dir_.filePath("missing"));
        QCOMPARE(instance.Claim(tell_), Start::Owner);
        QVERIFY(!instance.HoldsLock());
    }

    void bringForwardRestoresAMinimisedWindow() {
        QWidget window;
        window.showMinimized();
        SingleInstance::BringForward(&window);
        QVERIFY(window.isVisible());
        QVERIFY(!window.isMinimized());
    }
};

int main(int argc, char* argv[]) {
    if (argc == 4 && (qstrcmp(argv[1], "--hold") == 0 || qstrcmp(argv[1], "--hold-hung") == 0)) {
        return Hold(argc, argv);
    }
    QApplication app(argc, argv);
    SingleInstanceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windows_single_instance.moc"
