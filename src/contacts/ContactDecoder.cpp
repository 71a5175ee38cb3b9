// The contacts on the serial port: start contact (DSR), finish light barrier (CTS) and start
// release (RLSD), decoded into starts, finishes and the release of the start contact; the lock
// indicators while the port is open; the ports found at start-up.
#include <chrono>
#include <thread>

#include "timing/Timekeeper.h"

namespace vandoret {

namespace {

constexpr std::uint32_t kStartLine = kMsDsrOn;    // pins 4+6, "Start:", polarity Alg1
constexpr std::uint32_t kFinishLine = kMsCtsOn;   // pins 7+8, "Ziel:", polarity Alg2
constexpr std::uint32_t kReleaseLine = kMsRlsdOn; // pins 1+4, "Start frei:", polarity Alg3

// Runs `action` with `slot` holding `value`, and clears the slot afterwards whatever happens.
template <typename Action> void WithEventTime(std::optional<TimeOfDay>& slot, TimeOfDay value, Action action) {
    struct Reset {
        std::optional<TimeOfDay>& slot;
        ~Reset() { slot.reset(); }
    } reset{slot};
    slot = value;
    action();
}

} // namespace

void Timekeeper::AttachComPort(PortLayer& layer, UiDispatcher& dispatcher, std::function<TimeOfDay()> clock) {
    if (ComPort) {
        ComPort->Close();
    }
    ComPort = std::make_unique<TComPort>(layer, dispatcher, std::move(clock));
    TComPort& port = *ComPort;
    port.BaudRate = TBaudRate::br9600;
    port.BaudRateUser = 28800;
    port.Port = 0;
    port.Parity = TParity::prNone;
    port.StopBits = TStopBits::sbOneStopBit;
    port.FlowControl = TFlowControl::fcRtsCts; // RTS on while the port is open: it feeds the light barrier
    port.SetDataBits(5);
    port.Events = {TEvent::evCTS, TEvent::evDSR, TEvent::evRLSD};
    port.EnableDTR = true; // DTR feeds the start contact and the release contact
    port.WriteBufSize = 64;
    port.ReadBufSize = 64;
    const auto lines = [this](TComPort& sender) { ComPortCTS(sender); };
    port.OnCTS = lines;
    port.OnDSR = lines;
    port.OnRLSD = lines;
    port.OnOpen = [this](TComPort& sender) { ComPortOpen(sender); };
    port.OnClose = [this](TComPort& sender) { ComPortClose(sender); };
}

void Timekeeper::ComPortCTS(TComPort& sender) {
    // The lines and the moment as the waiting thread read them when its wait completed, so a
    // busy user-interface thread neither delays the recorded time nor misses a short pulse.
    const LineEvent& event = sender.CurrentEvent();
    DecodeContacts(event.ModemStatus, event.Time);
}

void Timekeeper::DecodeContacts(std::uint32_t status, TimeOfDay when) {
    if (status == LastModemStatus) {
        return; // also the second and third call of one event that reported several lines
    }
    const bool dsr = (status & kStartLine) != 0;
    const bool cts = (status & kFinishLine) != 0;
    const bool rlsd = (status & kReleaseLine) != 0;
    LastModemStatus = status;
    if (journal) { // every change, also one a lock ignores, with the waiting thread's moment
        journal->ContactLines(ToMilliseconds(when), ContactLinesText(dsr, cts, rlsd, StartContactFree, FinishContactFree));
    }
    if (!dsr && !cts && !rlsd) {
        return;
    }
    const std::int32_t polarity = rlsd ? settings.Alg3 : (cts ? settings.Alg2 : settings.Alg1);
    bool act = false;
    if (polarity == static_cast<std::int32_t>(Polarity::NPN)) {
        act = true;
    } else if (polarity == static_cast<std::int32_t>(Polarity::PNP)) {
        act = !(dsr && cts && rlsd); // all three on is the idle state of PNP sensors
    }
    if (!act) {
        return;
    }
    if (dsr && StartContactFree) {
        RegisterStartAt(when);
    }
    if (cts && FinishContactFree) {
        RegisterFinishAt(when);
    }
    if (rlsd && !StartContactFree) {
        ImageLSClick(LockIndicator::Start);
    }
}

void Timekeeper::RegisterStartAt(TimeOfDay when) {
    WithEventTime(ContactEventTime, when, [this] { mStartClick(); });
}

void Timekeeper::RegisterFinishAt(TimeOfDay when) {
    WithEventTime(ContactEventTime, when, [this] { mStopClick(); });
}

TimeOfDay Timekeeper::ClockNow() {
    return ContactEventTime ? *ContactEventTime : host_.CurrentTimeOfDay();
}

void Timekeeper::ComPortOpen(TComPort&) {
    // The pictures follow the lock states (StartContactFree, FinishContactFree), which opening
    // leaves as they are, so a contact freed before a re-open is not shown as locked.
    ImageLSstartVisible = true;
    ImageLSstopVisible = true;
    ++IndicatorRevision;
}

void Timekeeper::ComPortClose(TComPort&) {
    ImageLSstartVisible = false;
    ImageLSstopVisible = false;
    ++IndicatorRevision;
}

void Timekeeper::ListComPorts(PortLayer& layer) {
    AvailablePorts.clear();
    for (int n = 1; n <= 32; ++n) {
        const PortHandle handle = layer.OpenDevice(layer.DeviceName(n));
        if (handle == kInvalidPortHandle) {
            continue; // missing, or held by another program
        }
        if (layer.IsCharacterDevice(handle)) {
            AvailablePorts.insert(n);
        }
        layer.CloseDevice(handle); // whatever it turned out to be
    }
}

void Timekeeper::OpenConfiguredPort() {
    if (settings.Port == 0 || !ComPort) {
        return;
    }
    try {
        ComPort->Port = settings.Port;
        ComPort->Open();
    } catch (...) {
        settings.Port = 0; // no message: the indicators stay hidden and no contact works
    }
}

void Timekeeper::ChangeComPort(std::uint8_t port) {
    if (!ComPort) {
        settings.Port = port;
        return;
    }
    try {
        ComPort->Close();
    } catch (...) {
    }
    settings.Port = port;
    if (port == 0) {
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    try {
        ComPort->Port = port;
        ComPort->Open();
    } catch (...) {
        // Kept: the choice is stored and tried again at the next start.
    }
}

std::vector<std::string> Timekeeper::ComPortChoices() const {
    std::vector<std::string> choices{"Kein"};
    for (int n : AvailablePorts) {
        choices.push_back("COM" + std::to_string(n));
    }
    return choices;
}

} // namespace vandoret
