// TComPort, the serial port component, and TComThread, its waiting thread.
//
// The port opens a device by number, configures the line and, while open, has a thread wait for
// line events and hand each one over to the user-interface thread, where the event handlers run.
// The hand-over is synchronous: the waiting thread is blocked until the handlers have returned.
// The thread reads the modem status and the time of day as soon as its wait completes and hands
// both over with the event bits, so the handlers see the lines and the moment of the change, not
// the state at the time the user-interface thread got round to them. While a hand-over waits for
// a busy user-interface thread, the waiting thread looks at the lines every 0.2 milliseconds and
// hands any change it sees over afterwards, each with its own moment.
//
// The moment is the first thing the thread reads when its wait returns or a look begins, before
// it takes any lock or hands anything over, and it is the waiting thread that reads it. As it
// starts, the thread asks the port layer's ThreadPriority to run before ordinary threads
// (real-time where allowed, port_layer/ThreadPriority.h), so a busy machine does not keep it from
// its core; what it got is WaitingThreadPriority. While a hand-over waits it watches the lines
// without waiting on any lock the user-interface thread holds, so that thread, running at
// ordinary priority, cannot hold the watch up (no priority inversion).
//
// When the port opens it asks the layer for the USB adapter's latency timer (after the
// unprivileged request for low latency, port_layer/LatencyTimer.h): AdapterLatency. A port whose
// waiting thread could wait no more (an adapter unplugged) reports Lost until it is opened again.
//
// No line change is lost. The thread keeps the newest line state it has handed over or queued
// and compares every look with that. The starting point is taken when the port opens, after DTR
// and RTS have been set and before the thread starts. A line that was reported as changed (by
// the driver's per-line change counters where the port layer keeps them, else by the wait's
// event bits) but reads the level it had went to the other level and back between two looks: it
// is handed over as the two changes it was, first the opposite level, then the level read, both
// with the moment the thread noticed it, so the decoder, which works on levels, sees the contact.
// Where the counters show that a line went and came back several times (a thread held up for
// longer than an interruption lasts), each time is handed over so, up to 32 from one look.
//
// The dispatcher only posts a wake-up to the user-interface thread; the waiting thread itself
// blocks until its event has been served. So Close can serve a waiting hand-over directly while
// it waits for the thread, without running the whole event loop.
//
// All platform calls go through PortLayer (contacts/port_layer).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

#include "base/TimeValues.h"
#include "contacts/port_layer/PortLayer.h"

namespace vandoret {

enum class TBaudRate {
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000,
    brUser
};
enum class TParity { prNone, prOdd, prEven, prMark, prSpace };
enum class TStopBits { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum class TFlowControl { fcNone, fcRtsCts, fcXonXoff };
enum class TEvent { evRxChar, evTxEmpty, evRxFlag, evRing, evBreak, evCTS, evDSR, evError, evRLSD };

// A set of TEvent.
class TEvents {
public:
    constexpr TEvents() = default;
    constexpr TEvents(std::initializer_list<TEvent> events) {
        for (TEvent e : events) {
            bits_ |= Bit(e);
        }
    }
    static constexpr TEvents All() {
        return {TEvent::evRxChar, TEvent::evTxEmpty, TEvent::evRxFlag, TEvent::evRing, TEvent::evBreak,
                TEvent::evCTS,    TEvent::evDSR,     TEvent::evError,  TEvent::evRLSD};
    }
    constexpr bool Contains(TEvent e) const { return (bits_ & Bit(e)) != 0; }
    constexpr bool operator==(const TEvents&) const = default;

private:
    static constexpr unsigned Bit(TEvent e) { return 1u << static_cast<unsigned>(e); }
    unsigned bits_ = 0;
};

// The device event bit that an event kind selects.
std::uint32_t DeviceEventBit(TEvent event);
// The device event mask of a set.
std::uint32_t DeviceEventMask(TEvents events);
// The rate in bit/s of a TBaudRate (brUser: userRate).
std::uint32_t BaudRateValue(TBaudRate rate, std::int32_t userRate);

// Opening failed: "Unable to open com port: " + the platform's error text.
class EComHandle : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
// Configuring failed: "Unable to set com state: " + the platform's error text.
class EComState : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Runs the hand-overs of the waiting thread on the user-interface thread. Post is called on the
// waiting thread and must not block: it arranges for `serve` to be called soon on the
// user-interface thread (the Qt program posts a queued call to its event loop). `serve` may be
// called late, twice or after the port has closed: it then does nothing.
class UiDispatcher {
public:
    virtual ~UiDispatcher() = default;
    virtual void Post(std::function<void()> serve) = 0;
};

// One completed wait as the waiting thread saw it.
struct LineEvent {
    std::uint32_t EventMask = 0;   // device event bits reported by the wait
    std::uint32_t ModemStatus = 0; // the lines read at once after the wait
    TimeOfDay Time = 0.0;          // the time of day read at once after the wait
};

class TComPort;

class TComThread {
public:
    // Takes the starting point of the lines, creates the waiter, sets the device's event mask
    // from the port's Events and starts the thread. clock is read on the waiting thread.
    TComThread(TComPort& port, std::function<TimeOfDay()> clock);
    // Stops the thread and waits for it to end, serving its hand-overs meanwhile.
    ~TComThread();
    TComThread(const TComThread&) = delete;
    TComThread& operator=(const TComThread&) = delete;

    // Whether the thread has left its loop.
    bool Finished() const;
    // What the thread was granted as it started (Unchanged until then).
    PriorityGrant Granted() const;
    // Runs a pending hand-over, if any (user-interface thread).
    void ServePending();

private:
    struct HandOver; // shared with the posted serve calls, which may outlive the thread
    static void Serve(std::shared_ptr<HandOver> handOver);
    void Execute();
    // Hands one event over and waits until it has been served, looking at the lines meanwhile.
    void HandOverAndWait(const LineEvent& event, bool lost);
    // Hands the queued events over, oldest first, and those queued while they wait.
    void HandOverBacklog();
    // Looks at the lines once and queues what changed since the newest queued state (a pulse as
    // two events). reported: the event bits of a completed wait, 0 for a look in between.
    void Look(std::uint32_t reported, TimeOfDay when);

    TComPort& port_;
    std::function<TimeOfDay()> clock_;
    std::unique_ptr<PortWaiter> waiter_;
    std::shared_ptr<HandOver> handOver_;
    std::uint32_t watched_ = 0; // event bits of the modem lines the port reports
    // The waiting thread's own (set before it starts):
    std::uint32_t lines_ = 0;         // the newest line state handed over or queued
    LineCounters counters_;           // the driver's change counters at the last look
    bool counted_ = false;            // the port layer keeps change counters
    std::uint32_t seenSinceWait_ = 0; // lines found changed by looks since the last wait ended
    std::deque<LineEvent> backlog_;
    std::thread thread_;
};

class TComPort {
public:
    using TNotifyEvent = std::function<void(TComPort& sender)>;
    using TRxCharEvent = std::function<void(TComPort& sender, std::int32_t inQue)>;

    // clock: the time of day as the waiting thread reads it (must be safe to call from there).
    TComPort(PortLayer& layer, UiDispatcher& dispatcher, std::function<TimeOfDay()> clock);
    ~TComPort();
    TComPort(const TComPort&) = delete;
    TComPort& operator=(const TComPort&) = delete;

    // Settings; they take effect at the next Open.
    TBaudRate BaudRate = TBaudRate::br9600;
    std::int32_t BaudRateUser = 9600;
    std::uint8_t Port = 1;
    TParity Parity = TParity::prNone;
    TStopBits StopBits = TStopBits::sbOneStopBit;
    TFlowControl FlowControl = TFlowControl::fcNone;
    std::uint8_t DataBits() const { return dataBits_; }
    // Stored within 5..8: a value above 8 is stored as 8, below 5 as 5.
    void SetDataBits(int value);
    TEvents Events = TEvents::All();
    bool EnableDTR = true;
    std::int32_t WriteBufSize = 2048;
    std::int32_t ReadBufSize = 2048;

    // Event handlers, each optional; called on the user-interface thread.
    TRxCharEvent OnRxChar;
    TNotifyEvent OnTxEmpty, OnBreak, OnRing, OnCTS, OnDSR, OnRLSD, OnRxFlag, OnError, OnOpen, OnClose;

    // Closes, then opens the port Port and starts waiting. Throws EComHandle or EComState; the
    // port is then closed, its device released, and no handler has been called.
    void Open();
    // Stops the waiting and releases the device; calls OnClose if the port was connected.
    void Close();
    bool Connected() const { return connected_; }
    // The waiting thread could wait no more (the adapter was unplugged) since the last Open.
    bool Lost() const { return lost_; }
    // The priority the waiting thread got (Unchanged while no thread runs).
    PriorityGrant WaitingThreadPriority() const;
    // The adapter's latency timer as read when the port opened.
    const LatencyTimer& AdapterLatency() const { return latency_; }
    // Sets the adapter's latency timer of the open port to ms; true when it now reads ms.
    bool SetAdapterLatency(int ms);

    // The device name used for port number Port.
    std::string DeviceName() const;
    bool HandleValid() const { return handle_ != kInvalidPortHandle; }
    // The current modem status word after clearing the error state; 0 when the query fails.
    std::uint32_t ModemStatus();
    // Bytes waiting in the input queue, after clearing the error state.
    std::int32_t PendingInput();
    std::string LastErrorText();

    // While a handler runs for a line event: that event as the waiting thread saw it (its
    // EventMask is the thread's EventMask).
    const LineEvent& CurrentEvent() const { return currentEvent_; }
    // Calls the handlers for the bits of one event (user-interface thread): what each hand-over of
    // the waiting thread runs; the fuzz target of the decoder feeds events through it directly.
    void DispatchEvents(const LineEvent& event);

    PortLayer& Layer() { return layer_; }
    UiDispatcher& Dispatcher() { return dispatcher_; }
    PortHandle Handle() const { return handle_; }

private:
    friend class TComThread;
    void CreatePortHandle();
    void DestroyPortHandle();
    void ApplySettings();
    // The waiting thread could not wait any more (e.g. the adapter was unplugged).
    void PortLost();

    PortLayer& layer_;
    UiDispatcher& dispatcher_;
    std::function<TimeOfDay()> clock_;
    std::uint8_t dataBits_ = 8;
    PortHandle handle_ = kInvalidPortHandle;
    bool connected_ = false;
    bool closing_ = false;
    bool lost_ = false;
    LatencyTimer latency_;
    std::unique_ptr<TComThread> thread_;
    LineEvent currentEvent_;
};

} // namespace vandoret
