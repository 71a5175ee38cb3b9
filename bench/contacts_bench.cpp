// From a line change to the recorded row: the scripted port layer changes the light barrier line,
// the real waiting thread hands the event over through a Qt event loop (a queued call to the main
// thread, as the program does), the decoder takes a finish. Measured beside a bare blocking
// queued call from a worker thread to the same event loop, in the same run.
//
// A second case keeps the main thread busy for 300 ms when the line changes and reports how far
// the recorded moment lies from the change. The same over the real POSIX layer on a
// pseudo-terminal: contacts_pty.cpp.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "ContactsBench.h"
#include "contacts/Comms.h"
#include "fakes/FakeHost.h"
#include "fakes/FakePortLayer.h"
#include "timing/Timekeeper.h"

namespace {

using namespace vandoret;
using namespace vandoret::bench;

struct Rig {
    testing::FakeHost host;
    testing::FakePortLayer layer;
    QtDispatcher dispatcher;
    Timekeeper tk{host};
    Signal recorded;
    int rowsSeen = 0;
    Clock::time_point recordedAt;

    Rig() {
        App();
        layer.AddDevice(1);
        tk.AttachComPort(layer, dispatcher, LineClock);
        tk.settings.Port = 1;
        tk.OpenConfiguredPort();
        tk.registrations.FinishContactFree = true;
        dispatcher.afterServe = [this] {
            const int rows = tk.registrations.SortGrid3.RowCount();
            if (rows != rowsSeen && !tk.registrations.SortGrid3.IsBlankRow(rows - 1)) {
                rowsSeen = rows;
                recordedAt = Clock::now();
                recorded.Set();
            }
        };
    }
    ~Rig() { tk.contacts.ComPort->Close(); }

    // Runs `driver` on its own thread while the main thread runs the event loop.
    template <typename Driver> void Run(Driver driver) {
        QEventLoop loop;
        std::thread worker([&] {
            layer.WaitUntilIdle();
            driver();
            QMetaObject::invokeMethod(
                &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
        });
        loop.exec();
        worker.join();
    }
};

void BM_LineChangeToRecordedRow(benchmark::State& state) {
    const int changes = static_cast<int>(state.range(0));
    std::vector<double> contact, bare;
    contact.reserve(changes);
    bare.reserve(changes);
    for (auto _ : state) {
        Rig rig;
        rig.Run([&] {
            for (int i = 0; i < changes; ++i) {
                // The bare call: a blocking queued call doing nothing, there and back.
                auto t0 = Clock::now();
                QMetaObject::invokeMethod(
                    &App(), [] {}, Qt::BlockingQueuedConnection);
                bare.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());

                // The light barrier: on (a finish row), then off (decoded to nothing).
                rig.layer.WaitUntilIdle();
                t0 = Clock::now();
                rig.layer.SetLines(kMsCtsOn);
                rig.recorded.WaitAndReset();
                contact.push_back(std::chrono::duration<double, std::micro>(rig.recordedAt - t0).count());
                rig.layer.WaitUntilIdle();
                rig.layer.SetLines(0);
            }
        });
        if (rig.rowsSeen - 1 != changes) {
            state.SkipWithError("rows lost");
        }
    }
    const double c50 = Percentile(contact, 0.5), c99 = Percentile(contact, 0.99);
    const double b50 = Percentile(bare, 0.5), b99 = Percentile(bare, 0.99);
    state.counters["contact_p50_us"] = c50;
    state.counters["contact_p99_us"] = c99;
    state.counters["bare_p50_us"] = b50;
    state.counters["bare_p99_us"] = b99;
    state.counters["p99_ratio"] = c99 / b99;
    std::printf("\n%d line changes to a finish row (%d changes in all):\n", changes, 2 * changes);
    std::printf("  contact -> row : p50 %8.1f us   p99 %8.1f us\n", c50, c99);
    std::printf("  bare blocking  : p50 %8.1f us   p99 %8.1f us\n", b50, b99);
    std::printf("  ratio          : p50 %8.2f      p99 %8.2f   (target p99 <= 3)\n", c50 / b50, c99 / b99);
}
BENCHMARK(BM_LineChangeToRecordedRow)->Arg(10'000)->Iterations(1)->Unit(benchmark::kSecond);

void BM_BusyUserInterface(benchmark::State& state) {
    const int rounds = static_cast<int>(state.range(0));
    std::vector<double> offsets, delays;
    for (auto _ : state) {
        Rig rig;
        rig.Run([&] {
            for (int i = 0; i < rounds; ++i) {
                Signal busy;
                // A 300 ms start list reload or repaint holds the main thread.
                QMetaObject::invokeMethod(
                    &App(),
                    [&busy] {
                        busy.Set();
                        const auto end = Clock::now() + std::chrono::milliseconds(300);
                        while (Clock::now() < end) {
                        }
                    },
                    Qt::QueuedConnection);
                busy.WaitAndReset();
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                rig.layer.WaitUntilIdle();
                const TimeOfDay changed = LineClock();
                const auto t0 = Clock::now();
                rig.layer.SetLines(kMsCtsOn);
                rig.recorded.WaitAndReset();
                delays.push_back(std::chrono::duration<double, std::milli>(rig.recordedAt - t0).count());
                // The moment the row was taken for: the event's time, which the finish used.
                TimeOfDay taken = 0;
                QMetaObject::invokeMethod(
                    &App(), [&] { taken = rig.tk.contacts.ComPort->CurrentEvent().Time; },
                    Qt::BlockingQueuedConnection);
                offsets.push_back((taken - changed) * 86'400'000.0);
                rig.layer.WaitUntilIdle();
                rig.layer.SetLines(0);
                rig.layer.WaitUntilIdle(); // its hand-over is done before the next busy spell
            }
        });
    }
    const double worst = *std::max_element(offsets.begin(), offsets.end());
    state.counters["recorded_minus_change_max_ms"] = worst;
    state.counters["row_after_ms_min"] = *std::min_element(delays.begin(), delays.end());
    std::printf("\nMain thread busy 300 ms at the change (%d rounds):\n", rounds);
    std::printf("  row appeared after : %.1f .. %.1f ms\n", *std::min_element(delays.begin(), delays.end()),
                *std::max_element(delays.begin(), delays.end()));
    const auto within = std::count_if(offsets.begin(), offsets.end(), [](double ms) { return ms <= 1.0; });
    std::printf("  recorded - change  : p50 %.3f ms, max %.3f ms, %d of %d within 1 ms (target <= 1 ms)\n",
                Percentile(offsets, 0.5), worst, static_cast<int>(within), rounds);
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        std::printf("    round %2zu: row after %6.1f ms, recorded - change %.3f ms\n", i + 1, delays[i], offsets[i]);
    }
}
BENCHMARK(BM_BusyUserInterface)->Arg(20)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
