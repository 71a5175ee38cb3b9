// The contact benchmarks over the real POSIX port layer: a pseudo-terminal reached as COM7
// (VANDORET_COM7), its modem lines moved by the ioctl shim of the tests (tests/contacts/shim),
// which this program must run under: LD_PRELOAD=<build>/tests/libvandoret_tty_shim.so. The real
// waiting thread (TIOCMIWAIT, change counters), the Qt hand-over and the decoder take the finishes.
//
// 1. Line change -> recorded finish row, p50/p99, beside a bare blocking queued call, same run.
// 2. A burst of 1,000 interruptions of the light barrier (2 ms on, 8 ms off) while the main
//    thread is busy in random spells of up to 300 ms: how many became finishes, and the largest
//    error of a recorded moment against the change.
//
// The shim notices a line change within its own 0.1 ms poll, which the contact figures include.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
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
    int (*waiting)() = nullptr;
    static Shim Find() {
        Shim s;
        s.setLines = reinterpret_cast<void (*)(int)>(dlsym(RTLD_DEFAULT, "vandoret_shim_set_lines"));
        s.waiting = reinterpret_cast<int (*)()>(dlsym(RTLD_DEFAULT, "vandoret_shim_waiting"));
        return s;
    }
    bool Loaded() const { return setLines && waiting; }
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

    bool Open() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
            return false;
        }
        setenv("VANDORET_COM7", ptsname(master), 1);
        layer = CreatePlatformPortLayer(); // its port table is made now
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

bool Prepare(benchmark::State& state, PtyRig& rig) {
    App();
    if (!rig.shim.Loaded()) {
        state.SkipWithError("run under the shim: LD_PRELOAD=<build>/tests/libvandoret_tty_shim.so");
        return false;
    }
    if (!rig.Open()) {
        state.SkipWithError("the pseudo-terminal port did not open");
        return false;
    }
    return true;
}

void BM_PtyLineChangeToRecordedRow(benchmark::State& state) {
    const int changes = static_cast<int>(state.range(0));
    std::vector<double> contact, bare;
    for (auto _ : state) {
        PtyRig rig;
        if (!Prepare(state, rig)) {
            return;
        }
        rig.Run([&] {
            while (rig.shim.waiting() == 0) {
                std::this_thread::sleep_for(std::chrono::microseconds(20));
            }
            for (int i = 0; i < changes; ++i) {
                auto t0 = Clock::now();
                QMetaObject::invokeMethod(
                    &App(), [] {}, Qt::BlockingQueuedConnection);
                bare.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());

                t0 = Clock::now();
                rig.shim.setLines(TIOCM_CTS); // the light barrier: a finish row
                rig.rowAdded.WaitAndReset();
                contact.push_back(std::chrono::duration<double, std::micro>(rig.rowAddedAt - t0).count());
                rig.WaitUntilIdle(kMsCtsOn);
                rig.shim.setLines(0); // decoded to nothing
                rig.WaitUntilIdle(0);
            }
        });
        if (rig.finishes.load() != changes) {
            state.SkipWithError("rows lost");
        }
    }
    const double c50 = Percentile(contact, 0.5), c99 = Percentile(contact, 0.99);
    const double b50 = Percentile(bare, 0.5), b99 = Percentile(bare, 0.99);
    state.counters["pty_contact_p50_us"] = c50;
    state.counters["pty_contact_p99_us"] = c99;
    state.counters["bare_p50_us"] = b50;
    state.counters["bare_p99_us"] = b99;
    std::printf("\nPOSIX layer on a pty, %d line changes to a finish row:\n", changes);
    std::printf("  contact -> row : p50 %8.1f us   p99 %8.1f us\n", c50, c99);
    std::printf("  bare blocking  : p50 %8.1f us   p99 %8.1f us\n", b50, b99);
}
BENCHMARK(BM_PtyLineChangeToRecordedRow)->Arg(2'000)->Iterations(1)->Unit(benchmark::kSecond);

void BM_PtyBurstWhileBusy(benchmark::State& state) {
    const int interruptions = static_cast<int>(state.range(0));
    std::vector<TimeOfDay> changes; // the moment each interruption began
    std::vector<double> errors;     // recorded - change, ms
    int finishes = 0;
    double busyShare = 0.0;
    for (auto _ : state) {
        PtyRig rig;
        if (!Prepare(state, rig)) {
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
            while (rig.shim.waiting() == 0) {
                std::this_thread::sleep_for(std::chrono::microseconds(20));
            }
            auto next = Clock::now() + std::chrono::milliseconds(5);
            for (int i = 0; i < interruptions; ++i) {
                std::this_thread::sleep_until(next);
                changes.push_back(LineClock());
                rig.shim.setLines(TIOCM_CTS);
                std::this_thread::sleep_until(next + std::chrono::milliseconds(2));
                rig.shim.setLines(0);
                next += std::chrono::milliseconds(10);
            }
            running = false;
            std::this_thread::sleep_for(std::chrono::milliseconds(600)); // the last spell ends
            rig.WaitUntilIdle(0);
        });
        busyShare = std::chrono::duration<double>(busy) / std::chrono::duration<double>(Clock::now() - began);
        finishes = rig.finishes.load();
        for (const TimeOfDay moment : rig.recorded) {
            // The interruption it belongs to: the last one that began before it.
            auto it = std::upper_bound(changes.begin(), changes.end(), moment);
            if (it != changes.begin()) {
                errors.push_back((moment - *(it - 1)) * 86'400'000.0);
            }
        }
    }
    const double worst = errors.empty() ? 0.0 : *std::max_element(errors.begin(), errors.end());
    const auto within = std::count_if(errors.begin(), errors.end(), [](double ms) { return ms <= 1.0; });
    state.counters["finishes"] = finishes;
    state.counters["error_max_ms"] = worst;
    std::printf("\nPOSIX layer on a pty, %d interruptions (2 ms on, 8 ms off), main thread busy %.0f %% of the "
                "time in spells of 0..300 ms:\n",
                interruptions, 100.0 * busyShare);
    std::printf("  finishes           : %d of %d (target: all)\n", finishes, interruptions);
    std::printf("  recorded - change  : p50 %.3f ms, p99 %.3f ms, max %.3f ms; %d of %zu within 1 ms "
                "(target max <= 1 ms)\n",
                Percentile(errors, 0.5), Percentile(errors, 0.99), worst, static_cast<int>(within), errors.size());
}
BENCHMARK(BM_PtyBurstWhileBusy)->Arg(1'000)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
