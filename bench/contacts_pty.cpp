// The contact benchmarks over the real POSIX port layer: a pseudo-terminal reached as COM7
// (VANDORET_COM7), its modem lines moved by the ioctl shim of the tests (tests/contacts/shim),
// which this program must run under: LD_PRELOAD=<build>/tests/libvandoret_tty_shim.so. The real
// waiting thread (TIOCMIWAIT, change counters), the Qt hand-over and the decoder take the finishes.
//
// 1. Line change -> recorded finish row, p50/p99, beside a bare blocking queued call and a bare
//    line wait with a blocking hand-over on the same pty (the least a program can do), same run.
// 2. A burst of 1,000 interruptions of the light barrier (2 ms on, 8 ms off) while the main
//    thread is busy in random spells of up to 300 ms: how many became finishes, and the error of
//    each recorded moment against the change. Four runs: on an idle machine and under
//    `stress-ng --cpu 2` (which the bench starts and ends itself), each with the waiting thread's
//    priority requested and without it (a port layer that offers none).
//
// The change is stamped inside the shim, where the line state changes, and the thread that moves
// the lines runs at SCHED_FIFO 10 where allowed (as root), the level the waiting thread asks for:
// the figures measure the program, not the injector. The shim wakes a waiting TIOCMIWAIT at the
// change, as a real driver does.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include "ContactsBench.h"
#include "contacts/port_layer/PortLayer.h"
#include "fakes/FakeHost.h"
#include "timing/Timekeeper.h"

namespace {

using namespace vandoret;
using namespace vandoret::bench;

struct Shim {
    void (*setLines)(int) = nullptr;
    long long (*setLinesStamped)(int) = nullptr;
    int (*waiting)() = nullptr;
    void (*changeTimes)(long long*, long long*) = nullptr;
    int (*waitingAtChange)() = nullptr;
    static Shim Find() {
        Shim s;
        s.setLines = reinterpret_cast<void (*)(int)>(dlsym(RTLD_DEFAULT, "vandoret_shim_set_lines"));
        s.setLinesStamped =
            reinterpret_cast<long long (*)(int)>(dlsym(RTLD_DEFAULT, "vandoret_shim_set_lines_stamped"));
        s.waiting = reinterpret_cast<int (*)()>(dlsym(RTLD_DEFAULT, "vandoret_shim_waiting"));
        s.changeTimes =
            reinterpret_cast<void (*)(long long*, long long*)>(dlsym(RTLD_DEFAULT, "vandoret_shim_change_times"));
        s.waitingAtChange = reinterpret_cast<int (*)()>(dlsym(RTLD_DEFAULT, "vandoret_shim_waiting_at_change"));
        return s;
    }
    bool Loaded() const { return setLines && setLinesStamped && waiting && changeTimes; }
    // How long after the last change the program first read the lines (ms; -1: not yet).
    double FirstReadAfterChange() const {
        long long changed = 0, seen = 0;
        changeTimes(&changed, &seen);
        return seen == 0 ? -1.0 : (seen - changed) / 1000.0;
    }
    // Moves the lines; the moment of the change as the shim stamped it.
    Clock::time_point Set(int lines) const {
        return Clock::time_point(std::chrono::nanoseconds(setLinesStamped(lines)));
    }
};

// The real layer, without the waiting thread's priority request: the "without priority" runs.
class WithoutPriority : public PortLayer {
public:
    explicit WithoutPriority(std::unique_ptr<PortLayer> inner) : inner_(std::move(inner)) {}
    std::string DeviceName(int port) override { return inner_->DeviceName(port); }
    PortHandle OpenDevice(const std::string& name) override { return inner_->OpenDevice(name); }
    void CloseDevice(PortHandle h) override { inner_->CloseDevice(h); }
    bool IsCharacterDevice(PortHandle h) override { return inner_->IsCharacterDevice(h); }
    bool SetCommState(PortHandle h, const DeviceControlBlock& dcb) override { return inner_->SetCommState(h, dcb); }
    bool GetCommTimeouts(PortHandle h, CommTimeouts& t) override { return inner_->GetCommTimeouts(h, t); }
    bool SetCommTimeouts(PortHandle h, const CommTimeouts& t) override { return inner_->SetCommTimeouts(h, t); }
    bool SetupComm(PortHandle h, std::int32_t in, std::int32_t out) override { return inner_->SetupComm(h, in, out); }
    bool SetCommMask(PortHandle h, std::uint32_t mask) override { return inner_->SetCommMask(h, mask); }
    void PurgeInput(PortHandle h) override { inner_->PurgeInput(h); }
    bool ClearCommError(PortHandle h, std::uint32_t& in) override { return inner_->ClearCommError(h, in); }
    bool GetModemStatus(PortHandle h, std::uint32_t& status) override { return inner_->GetModemStatus(h, status); }
    bool GetLineCounters(PortHandle h, LineCounters& c) override { return inner_->GetLineCounters(h, c); }
    std::unique_ptr<PortWaiter> CreateWaiter(PortHandle h) override { return inner_->CreateWaiter(h); }
    LatencyTimer PrepareLatency(PortHandle h, const std::string& device) override {
        return inner_->PrepareLatency(h, device);
    }
    std::string LastErrorText() override { return inner_->LastErrorText(); }

private:
    std::unique_ptr<PortLayer> inner_;
};

// The calling thread (the injector) at SCHED_FIFO 10, as the waiting thread asks; false when refused.
bool InjectorRealTime() {
    sched_param param{};
    param.sched_priority = kRealTimeLevel;
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
}

// `stress-ng --cpu 2` for the life of the object, in a process group of its own, ended by its id.
class StressLoad {
public:
    explicit StressLoad(bool on) {
        if (!on) {
            return;
        }
        posix_spawnattr_t attr;
        posix_spawnattr_init(&attr);
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attr, 0);
        char a0[] = "stress-ng", a1[] = "--cpu", a2[] = "2", a3[] = "--timeout", a4[] = "600s", a5[] = "--quiet";
        char* argv[] = {a0, a1, a2, a3, a4, a5, nullptr};
        if (posix_spawnp(&pid_, "stress-ng", nullptr, &attr, argv, environ) != 0) {
            pid_ = -1;
        }
        posix_spawnattr_destroy(&attr);
        std::this_thread::sleep_for(std::chrono::seconds(1)); // its workers are up
    }
    ~StressLoad() {
        if (pid_ > 0) {
            kill(-pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
            kill(-pid_, SIGKILL); // a worker left behind
        }
    }
    bool Running() const { return pid_ > 0; }

private:
    pid_t pid_ = -1;
};

// The real layer on a pseudo-terminal, the program's port settings and hand-over.
struct PtyRig {
    Shim shim = Shim::Find();
    int master = -1;
    testing::FakeHost host;
    std::unique_ptr<PortLayer> layer;
    QtDispatcher dispatcher;
    std::unique_ptr<Timekeeper> tk;
    // Written on the main thread after each serve, read by the driver.
    std::atomic<std::uint32_t> servedStatus{0xFFFFFFFF};
    std::atomic<int> finishes{0};
    std::vector<TimeOfDay> recorded; // main thread: the moment of each finish row
    Signal rowAdded;
    Clock::time_point rowAddedAt;

    bool Open(bool priority = true) {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
            return false;
        }
        setenv("VANDORET_COM7", ptsname(master), 1);
        layer = CreatePlatformPortLayer(); // its port table is made now
        if (!priority) {
            layer = std::make_unique<WithoutPriority>(std::move(layer));
        }
        tk = std::make_unique<Timekeeper>(host);
        tk->AttachComPort(*layer, dispatcher, LineClock);
        tk->settings.Port = 7;
        tk->OpenConfiguredPort();
        if (!tk->contacts.ComPort->Connected()) {
            return false;
        }
        tk->registrations.FinishContactFree = true;
        dispatcher.afterServe = [this] {
            const TSortGrid& grid = tk->registrations.SortGrid3;
            const int rows = grid.RowCount() - (grid.IsBlankRow(grid.RowCount() - 1) ? 1 : 0) - 1;
            if (rows > finishes.load()) {
                recorded.push_back(tk->contacts.ComPort->CurrentEvent().Time);
                rowAddedAt = Clock::now();
                finishes = rows;
                rowAdded.Set();
            }
            servedStatus = tk->contacts.ComPort->CurrentEvent().ModemStatus;
        };
        return true;
    }
    ~PtyRig() {
        if (tk) {
            tk->contacts.ComPort->Close();
        }
        unsetenv("VANDORET_COM7");
        if (master >= 0) {
            close(master);
        }
    }
    // Until the thread waits in the kernel again, its last hand-over served with `status`.
    void WaitUntilIdle(std::uint32_t status) const {
        while (servedStatus.load() != status || shim.waiting() == 0) {
            std::this_thread::sleep_for(std::chrono::microseconds(20));
        }
    }
    // Runs `driver` on its own thread while the main thread runs the event loop.
    template <typename Driver> void Run(Driver driver) {
        QEventLoop loop;
        std::thread worker([&] {
            driver();
            QMetaObject::invokeMethod(
                &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
        });
        loop.exec();
        worker.join();
    }
};

bool Prepare(benchmark::State& state, PtyRig& rig, bool priority = true) {
    App();
    if (!rig.shim.Loaded()) {
        state.SkipWithError("run under the shim: LD_PRELOAD=<build>/tests/libvandoret_tty_shim.so");
        return false;
    }
    if (!rig.Open(priority)) {
        state.SkipWithError("the pseudo-terminal port did not open");
        return false;
    }
    return true;
}

// The least any program could do on this path, as a second baseline: a thread at the waiting
// thread's level blocked in TIOCMIWAIT on the same pseudo-terminal, which on a change reads the
// lines once and hands them to the main thread by a blocking queued call that only notes the time.
// Change -> noted, in µs, for `changes` changes of CTS to on (each followed by one back to off,
// not measured). Run while the program's own port is closed, so that nothing else wakes.
std::vector<double> BareLineWaitHandOver(const Shim& shim, int changes) {
    App(); // made on the main thread
    std::vector<double> noted;
    if (!shim.Loaded()) {
        return noted;
    }
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        return noted;
    }
    const int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
    if (slave < 0) {
        close(master);
        return noted;
    }
    shim.setLines(0);
    std::atomic<bool> stop{false};
    std::atomic<int> handedOver{0};
    Clock::time_point notedAt;
    Signal on;
    std::thread waiter([&] {
        InjectorRealTime(); // the waiting thread's level
        while (!stop.load()) {
            if (ioctl(slave, TIOCMIWAIT, TIOCM_CTS) != 0) {
                continue; // the shim's wait is woken every 0.1 ms at the latest
            }
            int lines = 0;
            ioctl(slave, TIOCMGET, &lines);
            QMetaObject::invokeMethod(
                &App(),
                [&, lines] {
                    if (lines & TIOCM_CTS) {
                        notedAt = Clock::now();
                        on.Set();
                    }
                },
                Qt::BlockingQueuedConnection);
            handedOver.fetch_add(1);
        }
    });
    QEventLoop loop;
    std::thread driver([&] {
        InjectorRealTime();
        const auto waitIdle = [&](int served) {
            while (handedOver.load() < served || shim.waiting() == 0) {
                std::this_thread::sleep_for(std::chrono::microseconds(20));
            }
        };
        waitIdle(0);
        for (int i = 0; i < changes; ++i) {
            const Clock::time_point t0 = shim.Set(TIOCM_CTS);
            on.WaitAndReset();
            noted.push_back(std::chrono::duration<double, std::micro>(notedAt - t0).count());
            waitIdle(2 * i + 1);
            shim.setLines(0);
            waitIdle(2 * i + 2);
        }
        stop = true;
        shim.setLines(TIOCM_CTS); // ends the last wait
        QMetaObject::invokeMethod(
            &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec();
    driver.join();
    // The last hand-over may still wait for the main thread.
    while (handedOver.load() < 2 * changes + 1) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    waiter.join();
    shim.setLines(0);
    close(slave);
    close(master);
    return noted;
}

void BM_PtyLineChangeToRecordedRow(benchmark::State& state) {
    const int changes = static_cast<int>(state.range(0));
    std::vector<double> contact, bare, handler, firstRead, barePty;
    for (auto _ : state) {
        barePty = BareLineWaitHandOver(Shim::Find(), changes / 2);
        PtyRig rig;
        if (!Prepare(state, rig)) {
            return;
        }
        rig.Run([&] {
            InjectorRealTime();
            while (rig.shim.waiting() == 0) {
                std::this_thread::sleep_for(std::chrono::microseconds(20));
            }
            for (int i = 0; i < changes; ++i) {
                auto t0 = Clock::now();
                QMetaObject::invokeMethod(
                    &App(), [] {}, Qt::BlockingQueuedConnection);
                bare.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());

                t0 = rig.shim.Set(TIOCM_CTS); // the light barrier: a finish row
                rig.rowAdded.WaitAndReset();
                contact.push_back(std::chrono::duration<double, std::micro>(rig.rowAddedAt - t0).count());
                handler.push_back(
                    std::chrono::duration<double, std::micro>(rig.rowAddedAt - rig.dispatcher.serveBegan).count());
                firstRead.push_back(1000.0 * rig.shim.FirstReadAfterChange());
                rig.WaitUntilIdle(kMsCtsOn);
                rig.shim.setLines(0); // decoded to nothing
                rig.WaitUntilIdle(0);
            }
        });
        if (rig.finishes.load() != changes) {
            state.SkipWithError("rows lost");
        }
    }
    // The second half of the bare line waits after the program's run, so both see the same machine.
    for (const double v : BareLineWaitHandOver(Shim::Find(), changes / 2)) {
        barePty.push_back(v);
    }
    const double c50 = Percentile(contact, 0.5), c99 = Percentile(contact, 0.99);
    const double b50 = Percentile(bare, 0.5), b99 = Percentile(bare, 0.99);
    state.counters["pty_contact_p50_us"] = c50;
    state.counters["pty_contact_p99_us"] = c99;
    state.counters["bare_p50_us"] = b50;
    state.counters["bare_p99_us"] = b99;
    state.counters["p99_ratio"] = c99 / b99;
    std::printf("\nPOSIX layer on a pty, %d line changes to a finish row:\n", changes);
    std::printf("  contact -> row : p50 %8.1f us   p99 %8.1f us\n", c50, c99);
    std::printf("  bare blocking  : p50 %8.1f us   p99 %8.1f us\n", b50, b99);
    std::printf("  ratio          : p50 %8.2f      p99 %8.2f   (target p99 <= 2 on an idle machine)\n", c50 / b50,
                c99 / b99);
    const double w50 = Percentile(barePty, 0.5), w99 = Percentile(barePty, 0.99);
    state.counters["bare_pty_p50_us"] = w50;
    state.counters["bare_pty_p99_us"] = w99;
    state.counters["p99_ratio_pty"] = w99 > 0 ? c99 / w99 : 0;
    std::printf("  bare line wait + blocking hand-over on the same pty (%zu changes, half before, half after):\n"
                "                   p50 %8.1f us   p99 %8.1f us   ratio p50 %5.2f  p99 %5.2f\n",
                barePty.size(), w50, w99, w50 > 0 ? c50 / w50 : 0.0, w99 > 0 ? c99 / w99 : 0.0);
    std::printf("  of which: the waiting thread's first line read after the change: p50 %8.1f us   p99 %8.1f us\n",
                Percentile(firstRead, 0.5), Percentile(firstRead, 0.99));
    std::printf("            the finish's own work on the window's thread    : p50 %8.1f us   p99 %8.1f us\n",
                Percentile(handler, 0.5), Percentile(handler, 0.99));
}
BENCHMARK(BM_PtyLineChangeToRecordedRow)->Arg(2'000)->Iterations(1)->Unit(benchmark::kSecond);

void BM_PtyBurstWhileBusy(benchmark::State& state) {
    const int interruptions = static_cast<int>(state.range(0));
    const bool stress = state.range(1) != 0;
    const bool priority = state.range(2) != 0;
    std::vector<TimeOfDay> changes; // the moment each interruption began, as the shim stamped it
    std::vector<double> errors;     // recorded - change, ms
    int finishes = 0;
    double busyShare = 0.0;
    bool injectorRealTime = false;
    PriorityGrant granted;
    double slowestPost = 0.0;
    int slowPosts = 0;
    std::vector<double> firstReads;   // per interruption: the first line read after it began, ms
    std::vector<double> injectorLate; // per interruption: how late the injector woke to end it, ms
    std::vector<int> inWait;          // per interruption: the waiting thread was in its line wait
    for (auto _ : state) {
        StressLoad load(stress);
        if (stress && !load.Running()) {
            state.SkipWithError("stress-ng not found (scripts/setup --bench installs it)");
            return;
        }
        PtyRig rig;
        if (!Prepare(state, rig, priority)) {
            return;
        }
        // The main thread: busy spells of 0..300 ms, a few milliseconds apart.
        std::mt19937 random(20240611);
        std::uniform_int_distribution<int> spell(0, 300), gap(1, 10);
        std::atomic<bool> running{true};
        Clock::duration busy{};
        std::function<void()> spellNow = [&] {
            if (!running) {
                return;
            }
            const auto start = Clock::now();
            const auto end = start + std::chrono::milliseconds(spell(random));
            while (Clock::now() < end) {
            }
            busy += Clock::now() - start;
            QTimer::singleShot(gap(random), &App(), spellNow);
        };
        QTimer::singleShot(0, &App(), spellNow);
        const auto began = Clock::now();
        rig.Run([&] {
            injectorRealTime = InjectorRealTime();
            while (rig.shim.waiting() == 0) {
                std::this_thread::sleep_for(std::chrono::microseconds(20));
            }
            granted = rig.tk->contacts.ComPort->WaitingThreadPriority();
            auto next = Clock::now() + std::chrono::milliseconds(5);
            for (int i = 0; i < interruptions; ++i) {
                std::this_thread::sleep_until(next);
                changes.push_back(LineClockAt(rig.shim.Set(TIOCM_CTS)));
                std::this_thread::sleep_until(next + std::chrono::milliseconds(2));
                injectorLate.push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - next - std::chrono::milliseconds(2))
                        .count());
                firstReads.push_back(rig.shim.FirstReadAfterChange());
                inWait.push_back(rig.shim.waitingAtChange ? rig.shim.waitingAtChange() : -1);
                rig.shim.setLines(0);
                next += std::chrono::milliseconds(10);
            }
            running = false;
            std::this_thread::sleep_for(std::chrono::milliseconds(600)); // the last spell ends
            rig.WaitUntilIdle(0);
        });
        busyShare = std::chrono::duration<double>(busy) / std::chrono::duration<double>(Clock::now() - began);
        finishes = rig.finishes.load();
        slowestPost = rig.dispatcher.slowestPostMs.load();
        slowPosts = rig.dispatcher.slowPosts.load();
        // Each interruption is one finish, in order; should some be missing, the nearest change is
        // taken. (A look reads the moment before the lines, so a change during its few
        // microseconds is recorded just before the change's stamp.)
        if (rig.recorded.size() == changes.size()) {
            for (std::size_t i = 0; i < changes.size(); ++i) {
                errors.push_back((rig.recorded[i] - changes[i]) * 86'400'000.0);
            }
        }
        for (const TimeOfDay moment : rig.recorded.size() == changes.size() ? std::vector<TimeOfDay>{} : rig.recorded) {
            auto it = std::upper_bound(changes.begin(), changes.end(), moment);
            double error = 1e9;
            if (it != changes.end()) {
                error = (moment - *it) * 86'400'000.0;
            }
            if (it != changes.begin() && std::abs((moment - *(it - 1)) * 86'400'000.0) < std::abs(error)) {
                error = (moment - *(it - 1)) * 86'400'000.0;
            }
            errors.push_back(error);
        }
    }
    std::vector<double> sizes; // |recorded - change|
    for (const double e : errors) {
        sizes.push_back(std::abs(e));
    }
    const double worst = sizes.empty() ? 0.0 : *std::max_element(sizes.begin(), sizes.end());
    const double earliest = errors.empty() ? 0.0 : *std::min_element(errors.begin(), errors.end());
    const auto within = std::count_if(sizes.begin(), sizes.end(), [](double ms) { return ms <= 1.0; });
    state.counters["finishes"] = finishes;
    state.counters["error_p50_ms"] = Percentile(sizes, 0.5);
    state.counters["error_p99_ms"] = Percentile(sizes, 0.99);
    state.counters["error_max_ms"] = worst;
    std::printf("\nPOSIX layer on a pty, %s, waiting thread %s (granted: %s), injector %s:\n",
                stress ? "under stress-ng --cpu 2" : "idle machine",
                priority ? "asks for its priority" : "without priority", DescribePriority(granted).c_str(),
                injectorRealTime ? "SCHED_FIFO 10" : "normal (SCHED_FIFO refused)");
    std::printf("  %d interruptions (2 ms on, 8 ms off), main thread busy %.0f %% of the time in spells of 0..300 ms\n",
                interruptions, 100.0 * busyShare);
    std::printf("  finishes           : %d of %d (target: all)\n", finishes, interruptions);
    std::printf("  |recorded - change|: p50 %.3f ms, p99 %.3f ms, max %.3f ms; %d of %zu within 1 ms "
                "(target with priority: max <= 1 ms, p99 <= 0.5 ms); earliest %.3f ms\n",
                Percentile(sizes, 0.5), Percentile(sizes, 0.99), worst, static_cast<int>(within), sizes.size(),
                earliest);
    std::printf("  posts to the window : slowest %.3f ms, %d over 0.5 ms\n", slowestPost, slowPosts);
    for (std::size_t i = 0; i < errors.size(); ++i) {
        if (std::abs(errors[i]) > 1.0) {
            std::printf("    interruption %4zu: recorded - change %.3f ms, lines first read after %.3f ms, the "
                        "injector woke %.3f ms late to end it; in the line wait: %d\n",
                        i + 1, errors[i], i < firstReads.size() ? firstReads[i] : -1.0,
                        i < injectorLate.size() ? injectorLate[i] : -1.0, i < inWait.size() ? inWait[i] : -1);
        }
    }
}
// What the machine itself allows: a SCHED_FIFO 10 thread that does nothing but sleep 0.2 ms at a
// time (the waiting thread's watch period), idle and under stress-ng, and how late it wakes. No
// program on the machine can stamp more exactly than this.
void BM_PlatformRealTimeWake(benchmark::State& state) {
    const bool stress = state.range(0) != 0;
    std::vector<double> late; // ms
    bool realTime = false;
    for (auto _ : state) {
        StressLoad load(stress);
        std::thread sleeper([&] {
            realTime = InjectorRealTime();
            auto next = Clock::now();
            for (int i = 0; i < 25'000; ++i) {
                next += std::chrono::microseconds(200);
                std::this_thread::sleep_until(next);
                late.push_back(std::chrono::duration<double, std::milli>(Clock::now() - next).count());
            }
        });
        sleeper.join();
    }
    const auto over = std::count_if(late.begin(), late.end(), [](double ms) { return ms > 1.0; });
    state.counters["wake_p99_ms"] = Percentile(late, 0.99);
    state.counters["wake_max_ms"] = late.empty() ? 0.0 : *std::max_element(late.begin(), late.end());
    std::printf("\nA %s thread sleeping 0.2 ms at a time, %s: woke late by p50 %.3f ms, p99 %.3f ms, "
                "p99.9 %.3f ms, max %.3f ms; %d of %zu over 1 ms\n",
                realTime ? "SCHED_FIFO 10" : "normal (SCHED_FIFO refused)",
                stress ? "under stress-ng --cpu 2" : "idle machine", Percentile(late, 0.5), Percentile(late, 0.99),
                Percentile(late, 0.999), late.empty() ? 0.0 : *std::max_element(late.begin(), late.end()),
                static_cast<int>(over), late.size());
}
BENCHMARK(BM_PlatformRealTimeWake)->ArgName("stress")->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond);

// Arguments: interruptions, stress-ng (0/1), the waiting thread's priority (0/1).
BENCHMARK(BM_PtyBurstWhileBusy)
    ->ArgNames({"n", "stress", "priority"})
    ->Args({1'000, 0, 1})
    ->Args({1'000, 0, 0})
    ->Args({1'000, 1, 1})
    ->Args({1'000, 1, 0})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

} // namespace
