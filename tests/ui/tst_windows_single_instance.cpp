// One program per PC: a second start hands over to the first, a killed holder's lock is taken over,
// a hung holder gets the message. The holders in other processes are this program, started with
// --hold (answers) or --hold-hung (never runs its event loop).
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>
#include <chrono>
#include <cstdio>
#include <thread>

#include "fakes/FakeHost.h"
#include "ui/SingleInstance.h"

using vandoret::testing::FakeHost;
using vandoret::ui::SingleInstance;
using Start = SingleInstance::Start;
using namespace std::chrono_literals;

namespace {

int Hold(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    FakeHost host;
    SingleInstance instance(QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[2]));
    if (instance.Claim(host) != Start::Owner) {
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
    void secondStartInTheSameProcessRaisesTheFirst() {
        FakeHost host;
        int raised = 0;
        {
            SingleInstance first("Vandoret", dir_.path());
            QCOMPARE(first.Claim(host), Start::Owner);
            first.onRaise = [&] { ++raised; };
            SingleInstance second("Vandoret", dir_.path());
            QCOMPARE(second.Claim(host), Start::Forwarded);
            QCOMPARE(raised, 1);
            // Another title is another program with its own settings: it runs beside.
            SingleInstance copy("Zeit2", dir_.path());
            QCOMPARE(copy.Claim(host), Start::Owner);
            QVERIFY(first.HoldsLock());
        }
        QVERIFY(!QFile::exists(dir_.filePath("Vandoret.lock")));
        SingleInstance next("Vandoret", dir_.path());
        QCOMPARE(next.Claim(host), Start::Owner);
        QVERIFY(host.messages.empty());
    }

    void secondStartAsksTheRunningProgram() {
        QProcess holder;
        StartHolder(holder, "--hold");
        // A program that has run all day: its lock's age does not make it stale.
        QFile lockFile(dir_.filePath("Vandoret.lock"));
        QVERIFY(lockFile.open(QIODevice::ReadOnly));
        QVERIFY(lockFile.setFileTime(QDateTime::currentDateTime().addSecs(-36000), QFileDevice::FileModificationTime));
        lockFile.close();
        FakeHost host;
        SingleInstance second("Vandoret", dir_.path());
        QCOMPARE(second.Claim(host), Start::Forwarded);
        QTRY_VERIFY(HolderSaid(holder, "raised"));
        QVERIFY(host.messages.empty());
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
        FakeHost host;
        SingleInstance next("Vandoret", dir_.path());
        QCOMPARE(next.Claim(host), Start::Owner);
        // And it serves later starts despite the dead holder's socket file.
        SingleInstance later("Vandoret", dir_.path());
        QCOMPARE(later.Claim(host), Start::Forwarded);
        QVERIFY(host.messages.empty());
    }

    void hungHolderGivesTheMessageAfterTwoSeconds() {
        QProcess holder;
        StartHolder(holder, "--hold-hung");
        FakeHost host;
        SingleInstance second("Vandoret", dir_.path());
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(second.Claim(host), Start::NoAnswer);
        QVERIFY(clock.elapsed() >= 1900 && clock.elapsed() < 4000);
        QCOMPARE(host.messages, std::vector<std::string>{"Vandoret läuft bereits."});
        holder.kill();
        holder.waitForFinished();
    }

    void holderStillStartingIsAskedAgain() {
        // Locked but not yet listening: the later start keeps trying within its wait.
        auto early = std::make_unique<QLockFile>(dir_.filePath("Vandoret.lock"));
        QVERIFY(early->tryLock(0));
        FakeHost host;
        SingleInstance first("Vandoret", dir_.path());
        QTimer::singleShot(300, this, [&] {
            early.reset();
            QCOMPARE(first.Claim(host), Start::Owner);
        });
        SingleInstance second("Vandoret", dir_.path());
        QCOMPARE(second.Claim(host), Start::Forwarded);
        QVERIFY(host.messages.empty());
    }

    void folderWithoutLocksRunsUnguarded() {
        FakeHost host;
        SingleInstance instance("Vandoret", dir_.filePath("missing"));
        QCOMPARE(instance.Claim(host), Start::Owner);
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
