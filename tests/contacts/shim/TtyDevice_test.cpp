// The POSIX serial layer end to end on a real terminal device: a pseudo-terminal reached through
// the port-number mapping (VANDORET_COM7), its modem lines supplied by the ioctl shim that this
// program runs under (LD_PRELOAD, see extra.cmake). The real waiting thread, the real hand-over
// and the contact decoding take starts and finishes from it.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "contacts/port_layer/PortLayer.h"
#include "fakes/FakeHost.h"
#include "fakes/QueueDispatcher.h"
#include "timing/Timekeeper.h"

namespace vandoret {
namespace {

using testing::FakeHost;
using testing::QueueDispatcher;

// The shim's control functions.
struct Shim {
    void (*setLines)(int) = nullptr;
    void (*unplug)(int) = nullptr;
    int (*outputLines)() = nullptr;
    int (*waiting)() = nullptr;
    long (*waitCalls)() = nullptr;
    void (*setLinesAtNextWait)(int) = nullptr;
    void (*keepCounters)(int) = nullptr;
    void (*pulse)(int) = nullptr;
    void (*setLinesWithDtr)(int) = nullptr;
    void (*refuseLineWait)(int) = nullptr;

    static Shim Find() {
        Shim s;
        s.setLines = reinterpret_cast<void (*)(int)>(dlsym(RTLD_DEFAULT, "vandoret_shim_set_lines"));
        s.unplug = reinterpret_cast<void (*)(int)>(dlsym(RTLD_DEFAULT, "vandoret_shim_unplug"));
        s.outputLines = reinterpret_cast<int (*)()>(dlsym(RTLD_DEFAULT, "vandoret_shim_output_lines"));
        s.waiting = reinterpret_cast<int (*)()>(dlsym(RTLD_DEFAULT, "vandoret_shim_waiting"));
        s.waitCalls = reinterpret_cast<long (*)()>(dlsym(RTLD_DEFAULT, "vandoret_shim_wait_calls"));
        s.setLinesAtNextWait =
            reinterpret_cast<void (*)(int)>(dlsym(RTLD_DEFAULT, "vandoret_shim_set_lines_at_next_wait"));
        s.keepCounters = reinterpret_cast<void (*)(int)>(dlsym(RTLD_DEFAULT, "vandoret_shim_keep_counters"));
        s.pulse = reinterpret_cast<void (*)(int)>(dlsym(RTLD_DEFAULT, "vandoret_shim_pulse"));
        s.setLinesWithDtr = reinterpret_cast<void (*)(int)>(dlsym(RTLD_DEFAULT, "vandoret_shim_set_lines_with_dtr"));
        s.refuseLineWait = reinterpret_cast<void (*)(int)>(dlsym(RTLD_DEFAULT, "vandoret_shim_refuse_line_wait"));
        return s;
    }
    bool Loaded() const {
        return setLines && unplug && outputLines && waiting && waitCalls && setLinesAtNextWait && keepCounters &&
               pulse && setLinesWithDtr && refuseLineWait;
    }
};

int Rows(const TSortGrid& grid) {
    int rows = 0;
    for (int r = 1; r < grid.RowCount(); ++r) {
        rows += grid.IsBlankRow(r) ? 0 : 1;
    }
    return rows;
}

template <typename Done> bool WaitFor(Done done, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

class TtyDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        shim = Shim::Find();
        master = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master, 0);
        ASSERT_EQ(grantpt(master), 0);
        ASSERT_EQ(unlockpt(master), 0);
        slave = ptsname(master);
        if (!shim.Loaded()) {
            GTEST_SKIP() << "the ioctl shim is not loaded (run through ctest)";
        }
        // The shim must sit in front of the C library's ioctl (a statically linked sanitizer
        // runtime would take its place).
        const int probe = open(slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(probe, 0);
        shim.setLines(TIOCM_RNG);
        int bits = 0;
        const bool answered = ioctl(probe, TIOCMGET, &bits) == 0 && (bits & TIOCM_RNG) != 0;
        close(probe);
        shim.setLines(0);
        if (!answered) {
            GTEST_SKIP() << "the ioctl shim is loaded but not in front of ioctl";
        }
        shim.unplug(0);
        setenv("VANDORET_COM7", slave.c_str(), 1);
        layer = CreatePlatformPortLayer();
        tk = std::make_unique<Timekeeper>(host);
        tk->AttachComPort(*layer, ui, [this] { return lineClock.load(); });
        tk->settings.Port = 7;
    }

    void TearDown() override {
        if (tk) {
            tk->contacts.ComPort->Close();
            tk.reset();
        }
        if (shim.Loaded()) {
            shim.setLines(0);
            shim.unplug(0);
            shim.keepCounters(1);
            shim.setLinesWithDtr(-1);
            shim.refuseLineWait(0);
        }
        unsetenv("VANDORET_COM7");
        if (master >= 0) {
            close(master);
        }
    }

    // Moves the lines once the thread waits, so the change is the wait's own.
    void SetLines(int lines) {
        ASSERT_TRUE(WaitFor([&] { return shim.waiting() > 0; }));
        shim.setLines(lines);
    }

    Shim shim;
    int master = -1;
    std::string slave;
    FakeHost host;
    QueueDispatcher ui;
    std::atomic<double> lineClock{MakeTimeOfDay(9, 30, 0)};
    std::unique_ptr<PortLayer> layer;
    std::unique_ptr<Timekeeper> tk;
};

TEST_F(TtyDeviceTest, OpensThePortByNumberAndDrivesDtrAndRts) {
    EXPECT_EQ(layer->DeviceName(7), slave);
    tk->OpenConfiguredPort();
    ASSERT_EQ(tk->settings.Port, 7);
    ASSERT_TRUE(tk->contacts.ComPort->Connected());
    EXPECT_TRUE(tk->contacts.ImageLSstartVisible);
    EXPECT_EQ(shim.outputLines() & TIOCM_DTR, TIOCM_DTR);
    if (geteuid() != 0) { // exclusive use does not bind root
        TComPort second(*layer, ui, [] { return 0.0; });
        second.Port = 7;
        EXPECT_THROW(second.Open(), EComHandle);
    }
    tk->contacts.ComPort->Close();
    EXPECT_FALSE(tk->contacts.ImageLSstartVisible);
}

TEST_F(TtyDeviceTest, ContactsTakeStartsAndFinishesAtTheMomentOfTheChange) {
    tk->OpenConfiguredPort();
    ASSERT_TRUE(tk->contacts.ComPort->Connected());
    tk->registrations.StartContactFree = true;
    tk->registrations.FinishContactFree = true;
    host.SetClock(11, 0, 0); // the user-interface thread's clock is not what gets recorded

    lineClock = MakeTimeOfDay(9, 30, 4, 712);
    SetLines(TIOCM_DSR);
    ASSERT_TRUE(ui.PumpUntil([&] { return Rows(tk->registrations.SortGrid2) == 1; }));
    EXPECT_EQ(tk->registrations.SortGrid2.Cells(1, 1), "09:30:04,7");
    EXPECT_FALSE(tk->registrations.StartContactFree);

    lineClock = MakeTimeOfDay(9, 41, 2, 250);
    SetLines(TIOCM_DSR | TIOCM_CTS);
    ASSERT_TRUE(ui.PumpUntil([&] { return Rows(tk->registrations.SortGrid3) == 1; }));
    EXPECT_EQ(tk->registrations.SortGrid3.Cells(1, 1), "09:41:02,2");

    // The release line frees the start contact (Alg3 NPN), the next close takes a start.
    tk->settings.Alg3 = 0;
    SetLines(0);
    ASSERT_TRUE(ui.PumpUntil([&] { return tk->contacts.LastModemStatus == 0u; }));
    SetLines(TIOCM_CAR);
    ASSERT_TRUE(ui.PumpUntil([&] { return tk->registrations.StartContactFree; }));
    SetLines(0);
    ASSERT_TRUE(ui.PumpUntil([&] { return tk->contacts.LastModemStatus == 0u; }));
    SetLines(TIOCM_DSR);
    ASSERT_TRUE(ui.PumpUntil([&] { return Rows(tk->registrations.SortGrid2) == 2; }));
}

TEST_F(TtyDeviceTest, AChangeDuringTheHandOverIsNotLost) {
    tk->OpenConfiguredPort();
    tk->registrations.StartContactFree = true;
    tk->registrations.FinishContactFree = true;
    SetLines(TIOCM_DSR);
    ASSERT_TRUE(ui.WaitForPosts(1)); // the thread is blocked in its hand-over
    lineClock = MakeTimeOfDay(9, 45, 0, 100);
    shim.setLines(TIOCM_DSR | TIOCM_CTS); // no wait is running now
    ASSERT_TRUE(ui.PumpUntil([&] { return Rows(tk->registrations.SortGrid3) == 1; }));
    EXPECT_EQ(Rows(tk->registrations.SortGrid2), 1);
}

TEST_F(TtyDeviceTest, ALightBarrierDuringABusySpellKeepsItsMoment) {
    tk->OpenConfiguredPort();
    tk->registrations.StartContactFree = true;
    tk->registrations.FinishContactFree = true;
    lineClock = MakeTimeOfDay(10, 2, 3, 450);
    SetLines(TIOCM_DSR);
    ASSERT_TRUE(ui.WaitForPosts(1)); // nobody serves the hand-over for a while
    lineClock = MakeTimeOfDay(10, 2, 3, 610);
    shim.setLines(TIOCM_DSR | TIOCM_CTS);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    lineClock = MakeTimeOfDay(10, 2, 4, 0);
    ASSERT_TRUE(ui.PumpUntil([&] { return Rows(tk->registrations.SortGrid3) == 1; }));
    EXPECT_EQ(tk->registrations.SortGrid2.Cells(1, 1), "10:02:03,4");
    EXPECT_EQ(tk->registrations.SortGrid3.Cells(1, 1), "10:02:03,6");
}

TEST_F(TtyDeviceTest, AChangeJustBeforeTheWaitBeginsIsNotLost) {
    tk->OpenConfiguredPort();
    tk->registrations.StartContactFree = true;
    tk->registrations.FinishContactFree = true;
    SetLines(TIOCM_DSR);
    ASSERT_TRUE(ui.WaitForPosts(1)); // the thread is in its hand-over, no wait is running
    // The light barrier closes after the thread's last look at the counters but before the
    // kernel's wait takes its own snapshot, and stays closed: no further change follows.
    shim.setLinesAtNextWait(TIOCM_DSR | TIOCM_CTS);
    ASSERT_TRUE(ui.PumpUntil([&] { return Rows(tk->registrations.SortGrid3) == 1; }, std::chrono::seconds(2)));
    EXPECT_EQ(Rows(tk->registrations.SortGrid2), 1);
}

TEST_F(TtyDeviceTest, WithoutChangeCountersTheLevelsFindEveryChange) {
    shim.keepCounters(0); // a driver that keeps no per-line counters
    tk->OpenConfiguredPort();
    tk->registrations.StartContactFree = true;
    tk->registrations.FinishContactFree = true;
    lineClock = MakeTimeOfDay(9, 50, 1, 300);
    SetLines(TIOCM_DSR);
    ASSERT_TRUE(ui.PumpUntil([&] { return Rows(tk->registrations.SortGrid2) == 1; }));
    EXPECT_EQ(tk->registrations.SortGrid2.Cells(1, 1), "09:50:01,3");
    SetLines(0);
    ASSERT_TRUE(ui.WaitForPosts(2)); // in its hand-over: no wait is running
    shim.setLinesAtNextWait(TIOCM_CTS);
    ASSERT_TRUE(ui.PumpUntil([&] { return Rows(tk->registrations.SortGrid3) == 1; }, std::chrono::seconds(2)));
}

TEST_F(TtyDeviceTest, WithoutLineWaitOrCountersThePolledLevelsGiveOneEventPerChange) {
    shim.keepCounters(0);
    shim.refuseLineWait(1); // EINVAL: the levels are read every 2 ms instead
    const long waits = shim.waitCalls();
    tk->OpenConfiguredPort();
    tk->registrations.StartContactFree = true;
    ASSERT_TRUE(WaitFor([&] { return shim.waitCalls() > waits; })); // refused: polling from now on
    shim.setLines(TIOCM_DSR);
    ASSERT_TRUE(ui.PumpUntil([&] { return Rows(tk->registrations.SortGrid2) == 1; }));
    shim.setLines(0);
    ASSERT_TRUE(ui.PumpUntil([&] { return tk->contacts.LastModemStatus == 0u; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(30)); // some fifteen looks at unchanged lines
    ui.RunPending();
    EXPECT_EQ(ui.Posted(), 2) << "one hand-over per change, no repeats";
}

TEST_F(TtyDeviceTest, TheStartingPointIsTakenAfterDtrAndBeforeTheThreadRuns) {
    // A contact fed by DTR that is closed when the port opens: its power-up edge is no contact.
    shim.setLinesWithDtr(TIOCM_DSR);
    tk->OpenConfiguredPort();
    ASSERT_TRUE(tk->contacts.ComPort->Connected());
    tk->registrations.StartContactFree = true;
    ASSERT_TRUE(WaitFor([&] { return shim.waiting() > 0; }));
    EXPECT_EQ(ui.RunPending(), 0);
    tk->contacts.ComPort->Close();
    shim.setLinesWithDtr(-1);
    shim.setLines(0);

    // A contact that closes as soon as the port is open is one, however soon.
    for (int round = 1; round <= 20; ++round) {
        SCOPED_TRACE(round);
        tk->OpenConfiguredPort();
        tk->registrations.StartContactFree = true;
        shim.setLines(TIOCM_DSR);
        ASSERT_TRUE(ui.PumpUntil([&] { return Rows(tk->registrations.SortGrid2) == round; }, std::chrono::seconds(2)));
        tk->contacts.ComPort->Close();
        shim.setLines(0);
        tk->contacts.LastModemStatus = 0; // as if the decoder had seen the contact open again
    }
}

TEST_F(TtyDeviceTest, APulseBetweenTwoLooksBecomesAFinish) {
    tk->OpenConfiguredPort();
    tk->registrations.FinishContactFree = true;
    tk->registrations.StartContactFree = true;
    // While the thread waits in the kernel: the counters moved by two, the level reads as before.
    lineClock = MakeTimeOfDay(10, 7, 1, 230);
    ASSERT_TRUE(WaitFor([&] { return shim.waiting() > 0; }));
    shim.pulse(TIOCM_CTS);
    ASSERT_TRUE(ui.PumpUntil([&] { return Rows(tk->registrations.SortGrid3) == 1; }));
    EXPECT_EQ(tk->registrations.SortGrid3.Cells(1, 1), "10:07:01,2");
    ASSERT_TRUE(ui.PumpUntil([&] { return shim.waiting() > 0; })); // the level read comes second

    // While a start waits to be served: the look during the hand-over reads the counters too.
    lineClock = MakeTimeOfDay(10, 7, 2, 0);
    const int posted = ui.Posted();
    SetLines(TIOCM_DSR);
    ASSERT_TRUE(ui.WaitForPosts(posted + 1));
    lineClock = MakeTimeOfDay(10, 7, 2, 450);
    shim.pulse(TIOCM_CTS);
    shim.pulse(TIOCM_CTS); // two riders through between two looks: two finishes
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    lineClock = MakeTimeOfDay(10, 7, 3, 0);
    ASSERT_TRUE(ui.PumpUntil([&] { return Rows(tk->registrations.SortGrid3) == 3; }));
    EXPECT_EQ(tk->registrations.SortGrid3.Cells(1, 2), "10:07:02,4");
    EXPECT_EQ(tk->registrations.SortGrid3.Cells(1, 3), "10:07:02,4");
    EXPECT_EQ(Rows(tk->registrations.SortGrid2), 1);
    ASSERT_TRUE(ui.PumpUntil([&] { return shim.waiting() > 0; }));

    // A barrier that rests on (PNP) and is interrupted: off and on again between two looks.
    tk->settings.Alg2 = 1;
    SetLines(TIOCM_DSR | TIOCM_CTS);
    ASSERT_TRUE(ui.PumpUntil([&] { return Rows(tk->registrations.SortGrid3) == 4; })); // the barrier closes: a finish
    lineClock = MakeTimeOfDay(10, 7, 5, 610);
    ASSERT_TRUE(ui.PumpUntil([&] { return shim.waiting() > 0; }));
    shim.pulse(TIOCM_CTS);
    ASSERT_TRUE(ui.PumpUntil([&] { return Rows(tk->registrations.SortGrid3) == 5; }));
    EXPECT_EQ(tk->registrations.SortGrid3.Cells(1, 5), "10:07:05,6");
    ASSERT_TRUE(ui.PumpUntil([&] { return shim.waiting() > 0; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ui.RunPending();
    EXPECT_EQ(Rows(tk->registrations.SortGrid3), 5) << "no finish twice";
}

TEST_F(TtyDeviceTest, UnpluggingEndsTheThreadWithoutSpinning) {
    tk->OpenConfiguredPort();
    ASSERT_TRUE(WaitFor([&] { return shim.waiting() > 0; }));
    shim.unplug(1);
    ASSERT_TRUE(ui.PumpUntil([&] { return !tk->contacts.ImageLSstartVisible; }));
    EXPECT_FALSE(tk->contacts.ComPort->Connected());
    const long waits = shim.waitCalls();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(shim.waitCalls(), waits);
    EXPECT_EQ(ui.RunPending(), 0);
    tk->contacts.ComPort->Close();
}

TEST_F(TtyDeviceTest, StoppingIsPromptAndClosingServesAWaitingHandOver) {
    tk->OpenConfiguredPort();
    ASSERT_TRUE(WaitFor([&] { return shim.waiting() > 0; }));
    auto started = std::chrono::steady_clock::now();
    // The stop signal ends a running line wait: its handler is installed without SA_RESTART.
    struct sigaction stop {};
    ASSERT_EQ(sigaction(SIGURG, nullptr, &stop), 0);
    EXPECT_NE(stop.sa_handler, SIG_DFL);
    EXPECT_EQ(stop.sa_flags & SA_RESTART, 0);
    tk->contacts.ComPort->Close(); // the thread sits in TIOCMIWAIT
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(500));
    EXPECT_EQ(shim.waiting(), 0);

    tk->contacts.ComPort->Open();
    tk->registrations.StartContactFree = true;
    SetLines(TIOCM_DSR);
    ASSERT_TRUE(ui.WaitForPosts(1));
    started = std::chrono::steady_clock::now();
    tk->contacts.ComPort->Close(); // the thread sits in its hand-over
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(500));
    EXPECT_EQ(Rows(tk->registrations.SortGrid2), 1) << "the start was taken, not dropped";
    for (int round = 0; round < 50; ++round) { // open and close quickly, never hanging
        tk->contacts.ComPort->Open();
        tk->contacts.ComPort->Close();
    }
}

} // namespace
} // namespace vandoret
