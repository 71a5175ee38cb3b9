// What the contact benchmarks share: the Qt event loop of the "user-interface thread", the
// waiting thread's clock, a blocking-queued-call dispatcher like the program's, a one-shot signal.
#pragma once

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "base/TimeValues.h"
#include "contacts/Comms.h"

namespace vandoret::bench {

using Clock = std::chrono::steady_clock;

inline QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "contacts_bench";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// The time of day as the waiting thread reads it: a steady clock from 09:00; LineClockAt gives
// the time of day of any moment of the steady clock.
inline TimeOfDay LineClockAt(Clock::time_point moment) {
    static const Clock::time_point origin = Clock::now();
    const double ns = std::chrono::duration<double, std::nano>(moment - origin).count();
    return MakeTimeOfDay(9, 0, 0) + ns / 86'400e9;
}
inline TimeOfDay LineClock() {
    return LineClockAt(Clock::now());
}

// The program's hand-over: a queued call into the main thread's event loop. After each serve the
// bench may look at what it did.
class QtDispatcher : public UiDispatcher {
public:
    std::function<void()> afterServe;
    // How long the posts took on the waiting thread: the slowest, and how many took over 0.5 ms
    // (the thread then could not look at the lines).
    std::atomic<double> slowestPostMs{0.0};
    std::atomic<int> slowPosts{0};
    Clock::time_point serveBegan; // main thread: when the last serve began
    void Post(std::function<void()> serve) override {
        const auto began = Clock::now();
        struct Timed {
            QtDispatcher& d;
            Clock::time_point began;
            ~Timed() {
                const double ms = std::chrono::duration<double, std::milli>(Clock::now() - began).count();
                if (ms > d.slowestPostMs.load()) {
                    d.slowestPostMs = ms;
                }
                if (ms > 0.5) {
                    ++d.slowPosts;
                }
            }
        } timed{*this, began};
        QMetaObject::invokeMethod(
            &App(),
            [this, serve = std::move(serve)] {
                serveBegan = Clock::now();
                serve();
                if (afterServe) {
                    afterServe();
                }
            },
            Qt::QueuedConnection);
    }
};

// A one-shot signal between the main thread and the driver.
struct Signal {
    std::mutex mutex;
    std::condition_variable cv;
    bool set = false;
    void Set() {
        std::lock_guard lock(mutex);
        set = true;
        cv.notify_all();
    }
    void WaitAndReset() {
        std::unique_lock lock(mutex);
        cv.wait(lock, [this] { return set; });
        set = false;
    }
};

inline double Percentile(std::vector<double> values, double p) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(std::ceil(p * static_cast<double>(values.size()))) - 1;
    return values[std::min(index, values.size() - 1)];
}

} // namespace vandoret::bench
