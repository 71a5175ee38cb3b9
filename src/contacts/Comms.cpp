#include "contacts/Comms.h"

#include <algorithm>
#include <chrono>

namespace vandoret {

namespace {

constexpr const char* kOpenFailed = "Unable to open com port: ";
constexpr const char* kStateFailed = "Unable to set com state: ";

// How long the closing user-interface thread waits between two stop requests.
constexpr std::chrono::milliseconds kStopRepeat{2};

// How often the waiting thread looks at the lines while the user-interface thread has not yet
// run its hand-over (a hand-over normally takes some microseconds).
constexpr std::chrono::milliseconds kWatchWhileBusy{1};

// Completed waits that report failure, one after the other, before the thread gives up: a
// device that fails every wait would otherwise keep the thread spinning.
constexpr int kMaxIgnoredWaits = 1000;

} // namespace

std::uint32_t DeviceEventBit(TEvent event) {
    switch (event) {
    case TEvent::evRxChar:
        return kEvRxChar;
    case TEvent::evTxEmpty:
        return kEvTxEmpty;
    case TEvent::evRxFlag:
        return kEvRxFlag;
    case TEvent::evRing:
        return kEvRing;
    case TEvent::evBreak:
        return kEvBreak;
    case TEvent::evCTS:
        return kEvCts;
    case TEvent::evDSR:
        return kEvDsr;
    case TEvent::evError:
        return kEvErr;
    case TEvent::evRLSD:
        return kEvRlsd;
    }
    return 0;
}

std::uint32_t DeviceEventMask(TEvents events) {
    std::uint32_t mask = 0;
    for (TEvent e : {TEvent::evRxChar, TEvent::evTxEmpty, TEvent::evRxFlag, TEvent::evRing, TEvent::evBreak,
                     TEvent::evCTS, TEvent::evDSR, TEvent::evError, TEvent::evRLSD}) {
        if (events.Contains(e)) {
            mask |= DeviceEventBit(e);
        }
    }
    return mask;
}

std::uint32_t BaudRateValue(TBaudRate rate, std::int32_t userRate) {
    static const std::uint32_t rates[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                          19200, 38400, 56000, 57600, 115200, 128000, 256000};
    if (rate == TBaudRate::brUser) {
        return userRate < 0 ? 0u : static_cast<std::uint32_t>(userRate);
    }
    return rates[static_cast<int>(rate)];
}

// ---- TComThread ------------------------------------------------------------------------------

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
};

TComThread::TComThread(TComPort& port, std::function<TimeOfDay()> clock)
    : port_(port), clock_(std::move(clock)), handOver_(std::make_shared<HandOver>()) {
    handOver_->dispatcher = &port.Dispatcher();
    handOver_->port = &port;
    waiter_ = port.Layer().CreateWaiter(port.Handle());
    watched_ = DeviceEventMask(port.Events) & (kEvCts | kEvDsr | kEvRlsd | kEvRing);
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
}

void TComThread::HandOverAndWait(const LineEvent& event, bool lost) {
    std::unique_lock lock(handOver_->mutex);
    if (handOver_->abandoned) {
        return;
    }
    handOver_->event = event;
    handOver_->lost = lost;
    handOver_->pending = true;
    handOver_->changed.notify_all(); // a closing user-interface thread serves it at once
    lock.unlock();
    handOver_->dispatcher->Post([handOver = handOver_] { Serve(handOver); });
    lock.lock();
    // While the user-interface thread is busy, keep an eye on the lines: a change seen now is
    // noted with its own moment and handed over after this event, so a second contact during a
    // long repaint is not stamped late.
    std::uint32_t lines = event.ModemStatus;
    while (!handOver_->changed.wait_for(lock, kWatchWhileBusy, [this] { return !handOver_->pending; })) {
        if (lost) {
            continue;
        }
        lock.unlock();
        LineEvent seen;
        seen.Time = clock_();
        seen.ModemStatus = port_.ModemStatus();
        seen.EventMask = ModemLineEvents(lines, seen.ModemStatus) & watched_;
        if (seen.EventMask != 0) {
            lines = seen.ModemStatus;
            backlog_.push_back(seen);
        }
        lock.lock();
    }
}

void TComThread::HandOverWithBacklog(const LineEvent& event) {
    HandOverAndWait(event, false);
    while (!backlog_.empty()) {
        const LineEvent next = backlog_.front();
        backlog_.pop_front();
        HandOverAndWait(next, false);
    }
}

void TComThread::Execute() {
    int ignored = 0;
    for (;;) {
        std::uint32_t mask = 0;
        const WaitResult result = waiter_->Wait(mask);
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
        LineEvent event;
        event.Time = clock_();
        event.ModemStatus = port_.ModemStatus();
        event.EventMask = mask;
        HandOverWithBacklog(event);
    }
    port_.Layer().PurgeInput(port_.Handle());
    std::lock_guard lock(handOver_->mutex);
    handOver_->finished = true;
    handOver_->changed.notify_all();
}

// ---- TComPort --------------------------------------------------------------------------------

TComPort::TComPort(PortLayer& layer, UiDispatcher& dispatcher, std::function<TimeOfDay()> clock)
    : layer_(layer), dispatcher_(dispatcher), clock_(std::move(clock)) {}

TComPort::~TComPort() {
    try {
        Close();
    } catch (...) {
    }
}

void TComPort::SetDataBits(int value) {
    dataBits_ = static_cast<std::uint8_t>(std::clamp(value, 5, 8));
}

std::string TComPort::DeviceName() const {
    return layer_.DeviceName(Port);
}

void TComPort::Open() {
    Close();
    CreatePortHandle();
    try {
        ApplySettings();
        thread_ = std::make_unique<TComThread>(*this, clock_);
    } catch (...) {
        // The device is opened exclusively: release it, or the next Open would be refused.
        thread_.reset();
        DestroyPortHandle();
        throw;
    }
    connected_ = true;
    if (OnOpen) {
        OnOpen(*this);
    }
}

void TComPort::Close() {
    if (closing_ || (!connected_ && !thread_ && !HandleValid())) {
        return; // a handler served while closing asked to close again
    }
    closing_ = true;
    thread_.reset();
    closing_ = false;
    DestroyPortHandle();
    const bool wasConnected = connected_; // a lost port has already reported its close
    connected_ = false;
    if (wasConnected && OnClose) {
        OnClose(*this);
    }
}

void TComPort::PortLost() {
    if (!connected_) {
        return;
    }
    // The thread has ended; the device stays held until Close or the next Open releases it.
    connected_ = false;
    if (OnClose) {
        OnClose(*this);
    }
}

void TComPort::CreatePortHandle() {
    handle_ = layer_.OpenDevice(DeviceName());
    if (!HandleValid()) {
        throw EComHandle(kOpenFailed + LastErrorText());
    }
}

void TComPort::DestroyPortHandle() {
    if (HandleValid()) {
        layer_.CloseDevice(handle_);
        handle_ = kInvalidPortHandle;
    }
}

void TComPort::ApplySettings() {
    DeviceControlBlock dcb;
    dcb.BaudRate = BaudRateValue(BaudRate, BaudRateUser);
    dcb.Binary = true;
    if (EnableDTR) {
        dcb.DtrControl = kDtrControlEnable;
    }
    switch (FlowControl) {
    case TFlowControl::fcRtsCts:
        dcb.OutxCtsFlow = true;
        dcb.RtsControl = kRtsControlHandshake;
        break;
    case TFlowControl::fcXonXoff:
        dcb.OutX = true;
        dcb.InX = true;
        break;
    case TFlowControl::fcNone:
        break;
    }
    dcb.XonLim = static_cast<std::uint16_t>(std::clamp(WriteBufSize / 4, 0, 0xFFFF));
    dcb.XoffLim = 1;
    dcb.XonChar = 17;
    dcb.XoffChar = 19;
    dcb.ByteSize = dataBits_;
    dcb.Parity = static_cast<std::uint8_t>(Parity);
    dcb.StopBits = static_cast<std::uint8_t>(StopBits);
    if (!layer_.SetCommState(handle_, dcb)) {
        throw EComState(kStateFailed + LastErrorText());
    }
    CommTimeouts timeouts;
    if (!layer_.GetCommTimeouts(handle_, timeouts)) {
        throw EComState(kStateFailed + LastErrorText());
    }
    timeouts.ReadIntervalTimeout = 0xFFFFFFFF;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = 1000;
    timeouts.WriteTotalTimeoutConstant = 1500;
    if (!layer_.SetCommTimeouts(handle_, timeouts)) {
        throw EComState(kStateFailed + LastErrorText());
    }
    if (!layer_.SetupComm(handle_, ReadBufSize, WriteBufSize)) {
        throw EComState(kStateFailed + LastErrorText());
    }
}

std::uint32_t TComPort::ModemStatus() {
    std::uint32_t inQueue = 0;
    layer_.ClearCommError(handle_, inQueue);
    std::uint32_t status = 0;
    return layer_.GetModemStatus(handle_, status) ? status : 0;
}

std::int32_t TComPort::PendingInput() {
    std::uint32_t inQueue = 0;
    if (!layer_.ClearCommError(handle_, inQueue)) {
        return 0;
    }
    return static_cast<std::int32_t>(std::min<std::uint32_t>(inQueue, 0x7FFFFFFF));
}

std::string TComPort::LastErrorText() {
    return layer_.LastErrorText();
}

void TComPort::DispatchEvents(const LineEvent& event) {
    currentEvent_ = event;
    const std::uint32_t mask = event.EventMask;
    if ((mask & kEvRxChar) && OnRxChar)
        OnRxChar(*this, PendingInput());
    if ((mask & kEvTxEmpty) && OnTxEmpty)
        OnTxEmpty(*this);
    if ((mask & kEvBreak) && OnBreak)
        OnBreak(*this);
    if ((mask & kEvRing) && OnRing)
        OnRing(*this);
    if ((mask & kEvCts) && OnCTS)
        OnCTS(*this);
    if ((mask & kEvDsr) && OnDSR)
        OnDSR(*this);
    if ((mask & kEvRxFlag) && OnRxFlag)
        OnRxFlag(*this);
    if ((mask & kEvRlsd) && OnRLSD)
        OnRLSD(*this);
    if ((mask & kEvErr) && OnError)
        OnError(*this);
}

} // namespace vandoret
