// TComThread, the waiting thread of TComPort (contacts/Comms.h): waits for line events, looks at
// the lines and hands what it saw over to the user-interface thread, one event at a time.
#include <atomic>
#include <chrono>

#include "contacts/Comms.h"

namespace vandoret {

namespace {

// How long the closing user-interface thread waits between two stop requests.
constexpr std::chrono::milliseconds kStopRepeat{2};

// How often the waiting thread looks at the lines while the user-interface thread has not yet
// run its hand-over (a hand-over normally takes some microseconds): a moment noted then is at
// most this late. A look is three short device queries, so even a long busy spell costs little.
constexpr std::chrono::microseconds kWatchWhileBusy{200};

// Interruptions of one line handed over from one look at most: a thread held up for a long time
// still hands over every interruption its counters show, a line that flutters cannot flood the
// user-interface thread.
constexpr std::uint32_t kMaxPulsesPerLook = 32;

// Completed waits that report failure, one after the other, before the thread gives up: a
// device that fails every wait would otherwise keep the thread spinning.
constexpr int kMaxIgnoredWaits = 1000;

} // namespace

// The one hand-over slot between the waiting thread and the user-interface thread.
struct TComThread::HandOver {
    UiDispatcher* dispatcher = nullptr;
    std::mutex mutex;
    std::condition_variable changed;
    TComPort* port = nullptr; // null once the thread object is gone
    bool pending = false;     // an event waits to be served
    bool serving = false;     // the user-interface thread is running its handlers
    bool lost = false;        // the event is "the port was lost"
    bool finished = false;    // the thread has left its loop
    bool abandoned = false;   // closed from inside a handler: nobody serves hand-overs any more
    LineEvent event;
    PriorityGrant granted; // what the waiting thread got as it started
    // Counts the hand-overs served or given up. The waiting thread waits for it to move on a
    // mutex of its own, which the user-interface thread never takes (it only counts and notifies),
    // not on `mutex`: a user-interface thread of ordinary priority that holds a lock and loses its
    // core cannot hold the watch up. A notification that comes between the waiting thread's check
    // and its wait is caught by the next look.
    std::atomic<unsigned> served{0};
    std::mutex watchMutex; // the waiting thread's only
    std::condition_variable watchWake;
    void Served() {
        served.fetch_add(1);
        watchWake.notify_all();
    }
};

TComThread::TComThread(TComPort& port, std::function<TimeOfDay()> clock)
    : port_(port), clock_(std::move(clock)), handOver_(std::make_shared<HandOver>()) {
    handOver_->dispatcher = &port.Dispatcher();
    handOver_->port = &port;
    watched_ = DeviceEventMask(port.Events) & (kEvCts | kEvDsr | kEvRlsd | kEvRing);
    // The starting point, now that Open has set DTR and RTS (their power-up edges are no
    // contacts) and before the thread runs (a change right after opening is one). Counters
    // before levels, here and at every look: a change between the two reads shows in the levels
    // now and counts once at the next look, where one count with the level as before is nothing.
    counted_ = port.Layer().GetLineCounters(port.Handle(), counters_);
    lines_ = port.ModemStatus();
    waiter_ = port.Layer().CreateWaiter(port.Handle());
    port.Layer().SetCommMask(port.Handle(), DeviceEventMask(port.Events));
    thread_ = std::thread([this] { Execute(); });
}

TComThread::~TComThread() {
    waiter_->RequestStop();
    {
        // Closed from inside one of this thread's own handlers: let the thread go now.
        std::lock_guard lock(handOver_->mutex);
        // The handler that runs now cannot serve a further one (serving is not re-entrant), so the
        // thread must not wait for any: changes it still holds go with the port.
        if (handOver_->serving) {
            handOver_->pending = false;
            handOver_->abandoned = true;
            handOver_->changed.notify_all();
            handOver_->Served();
        }
    }
    // Keep serving hand-overs until the thread has ended: it may be blocked in one.
    for (;;) {
        ServePending();
        std::unique_lock lock(handOver_->mutex);
        if (handOver_->finished) {
            break;
        }
        handOver_->changed.wait_for(
            lock, kStopRepeat, [this] { return handOver_->finished || (handOver_->pending && !handOver_->serving); });
        if (handOver_->finished) {
            break;
        }
        lock.unlock();
        waiter_->RequestStop();
    }
    thread_.join();
    {
        std::lock_guard lock(handOver_->mutex);
        handOver_->port = nullptr;
        handOver_->pending = false;
    }
    waiter_.reset(); // finishes or cancels a wait still pending with the device
}

bool TComThread::Finished() const {
    std::lock_guard lock(handOver_->mutex);
    return handOver_->finished;
}

void TComThread::ServePending() {
    const std::shared_ptr<HandOver> handOver = handOver_; // a handler may close the port
    Serve(handOver);
}

void TComThread::Serve(std::shared_ptr<HandOver> handOver) {
    std::unique_lock lock(handOver->mutex);
    if (!handOver->pending || handOver->serving || handOver->port == nullptr) {
        return;
    }
    handOver->serving = true;
    const LineEvent event = handOver->event;
    const bool lost = handOver->lost;
    TComPort* port = handOver->port;
    lock.unlock();
    try {
        if (lost) {
            port->PortLost();
        } else {
            port->DispatchEvents(event);
        }
    } catch (...) {
        // A failing handler must neither stop the waiting thread nor reach the event loop.
    }
    lock.lock();
    handOver->serving = false;
    handOver->pending = false;
    handOver->changed.notify_all();
    lock.unlock();
    handOver->Served();
}

PriorityGrant TComThread::Granted() const {
    std::lock_guard lock(handOver_->mutex);
    return handOver_->granted;
}

void TComThread::HandOverAndWait(const LineEvent& event, bool lost) {
    std::unique_lock lock(handOver_->mutex);
    if (handOver_->abandoned) {
        return;
    }
    handOver_->event = event;
    handOver_->lost = lost;
    handOver_->pending = true;
    unsigned served = handOver_->served.load(); // before any serve of this hand-over can count
    handOver_->changed.notify_all();            // a closing user-interface thread serves it at once
    lock.unlock();
    handOver_->dispatcher->Post([handOver = handOver_] { Serve(handOver); });
    // While the user-interface thread is busy, keep an eye on the lines: a change seen now is
    // queued with its own moment and handed over after this event, so a second contact during a
    // long repaint is not stamped late. The moment is read first, before any lock.
    std::unique_lock watch(handOver_->watchMutex);
    for (;;) {
        if (handOver_->watchWake.wait_for(watch, kWatchWhileBusy, [&] { return handOver_->served.load() != served; })) {
            lock.lock();
            const bool done = !handOver_->pending || handOver_->abandoned;
            lock.unlock();
            if (done) {
                return;
            }
            served = handOver_->served.load(); // counted for an abandoned hand-over: wait on
            continue;
        }
        if (!lost) {
            watch.unlock();
            Look(0, clock_());
            watch.lock();
        }
    }
}

void TComThread::HandOverBacklog() {
    while (!backlog_.empty()) {
        const LineEvent next = backlog_.front();
        backlog_.pop_front();
        HandOverAndWait(next, false);
    }
}

void TComThread::Look(std::uint32_t reported, TimeOfDay when) {
    LineCounters counters;
    counted_ = counted_ && port_.Layer().GetLineCounters(port_.Handle(), counters);
    const std::uint32_t status = port_.ModemStatus();
    // Compared with the newest state queued, not with the one being handed over: a line that
    // returns to the older state has changed all the same.
    const std::uint32_t changed = ModemLineEvents(lines_, status) & watched_;
    // Round r of pulses: the lines that went to the other level and came back at least r times
    // (a line that also changed has one count more).
    const auto pulses = [&](std::uint32_t round) -> std::uint32_t {
        if (round > kMaxPulsesPerLook) {
            return 0;
        }
        if (counted_) {
            return ((CountedLineEvents(counters_, counters, 2 * round) & ~changed) |
                    (CountedLineEvents(counters_, counters, 2 * round + 1) & changed)) &
                   watched_;
        }
        // Without counters only the wait's event bits tell of a pulse, one at most. A change
        // that a look during the last hand-over queued explains its line's bit (the device noted
        // it too).
        return round == 1 ? reported & watched_ & ~changed & ~seenSinceWait_ : 0;
    };
    std::uint32_t pulsed = 0;
    for (std::uint32_t round = 1, lines = pulses(1); lines != 0; ++round) {
        // The other level first, then back, so the decoder, which works on levels, sees each
        // interruption. The level read comes last (below): it ends the last pulse unless the line
        // also changed.
        backlog_.push_back(LineEvent{lines, lines_ ^ ModemLineLevels(lines), when});
        const std::uint32_t next = pulses(round + 1);
        if (next != 0 || (lines & changed) != 0) {
            backlog_.push_back(LineEvent{lines, lines_, when});
        }
        pulsed |= lines;
        lines = next;
    }
    if (counted_) {
        counters_ = counters;
    } else {
        seenSinceWait_ = reported != 0 ? 0 : seenSinceWait_ | changed;
    }
    const std::uint32_t events = reported | changed | pulsed;
    if (events != 0) {
        backlog_.push_back(LineEvent{events, status, when});
    }
    lines_ = status;
}

void TComThread::Execute() {
    // Before ordinary threads where the system allows it (ThreadPriority.h); a refusal is no failure.
    PriorityGrant granted;
    if (ThreadPriority* priority = port_.Layer().WaitingThreadPriority()) {
        try {
            granted = priority->RaiseCallingThread();
        } catch (...) {
        }
    }
    {
        std::lock_guard lock(handOver_->mutex);
        handOver_->granted = granted;
    }
    // A change since the starting point and before the first wait.
    Look(0, clock_());
    HandOverBacklog();
    int ignored = 0;
    for (;;) {
        std::uint32_t mask = 0;
        const WaitResult result = waiter_->Wait(mask);
        const TimeOfDay when = clock_(); // the moment, before anything else
        if (result == WaitResult::Stop) {
            break;
        }
        if (result == WaitResult::Failed || (result == WaitResult::Ignored && ++ignored >= kMaxIgnoredWaits)) {
            // No further wait can be started (an unplugged adapter): end here rather than spin,
            // and let the user-interface thread hide the indicators.
            HandOverAndWait(LineEvent{}, true);
            break;
        }
        if (result == WaitResult::Ignored) {
            continue;
        }
        ignored = 0;
        Look(mask, when);
        HandOverBacklog();
    }
    port_.Layer().PurgeInput(port_.Handle());
    std::lock_guard lock(handOver_->mutex);
    handOver_->finished = true;
    handOver_->changed.notify_all();
}

} // namespace vandoret
