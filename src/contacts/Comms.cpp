#include "contacts/Comms.h"

#include <algorithm>

namespace vandoret {

namespace {

constexpr const char* kOpenFailed = "Unable to open com port: ";
constexpr const char* kStateFailed = "Unable to set com state: ";

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
    lost_ = false;
    latency_ = LatencyTimer{};
    CreatePortHandle();
    try {
        ApplySettings();
        try {
            latency_ = layer_.PrepareLatency(handle_, DeviceName());
        } catch (...) {
            latency_ = LatencyTimer{}; // what cannot be read is not shown; the port opens all the same
        }
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
    lost_ = true;
    if (OnClose) {
        OnClose(*this);
    }
}

PriorityGrant TComPort::WaitingThreadPriority() const {
    return thread_ ? thread_->Granted() : PriorityGrant{};
}

bool TComPort::SetAdapterLatency(int ms) {
    if (!HandleValid() || !latency_.Known) {
        return false;
    }
    bool set = false;
    try {
        set = layer_.SetLatencyTimer(DeviceName(), ms);
    } catch (...) {
    }
    if (set) {
        latency_.Milliseconds = ms;
    }
    return set;
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
