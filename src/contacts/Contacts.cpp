// The contacts on the serial port: start contact (DSR), finish light barrier (CTS) and start
// release (RLSD), decoded into starts, finishes and the release of the start contact; the lock
// indicators while the port is open; the ports found at start-up.
#include "contacts/Contacts.h"

namespace vandoret {

namespace {

constexpr std::uint32_t kStartLine = kMsDsrOn;    // pins 4+6, "Start:", polarity Alg1
constexpr std::uint32_t kFinishLine = kMsCtsOn;   // pins 7+8, "Ziel:", polarity Alg2
constexpr std::uint32_t kReleaseLine = kMsRlsdOn; // pins 1+4, "Start frei:", polarity Alg3

// Ticks (100 ms) between two attempts to open a lost port again.
constexpr int kReopenTicks = 10;

std::string LostNotice(int port, const std::string& device) {
    std::string name = "COM" + std::to_string(port);
    if (!device.empty() && device.find("COM") == std::string::npos) {
        name += " (" + device + ")";
    }
    return "USB-Adapter " + name +
           " getrennt â keine Kontaktzeiten! Wird wieder geÃ¶"
           "ffnet, "
           "sobald er zurÃ¼"
           "ck ist";
}

} // namespace

Contacts::Contacts(Settings& settings, ContactSink& sink) : settings_(settings), sink_(sink) {}

Contacts::~Contacts() {
    ComPort.reset(); // the port's thread stops before the sink it reports into goes
}

void Contacts::AttachComPort(PortLayer& layer, UiDispatcher& dispatcher, std::function<TimeOfDay()> clock) {
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

void Contacts::ComPortCTS(TComPort& sender) {
    // The lines and the moment as the waiting thread read them when its wait completed, so a
    // busy user-interface thread neither delays the recorded time nor misses a short pulse.
    const LineEvent& event = sender.CurrentEvent();
    DecodeContacts(event.ModemStatus, event.Time);
}

void Contacts::DecodeContacts(std::uint32_t status, TimeOfDay when) {
    if (status == LastModemStatus) {
        return; // also the second and third call of one event that reported several lines
    }
    const bool dsr = (status & kStartLine) != 0;
    const bool cts = (status & kFinishLine) != 0;
    const bool rlsd = (status & kReleaseLine) != 0;
    LastModemStatus = status;
    sink_.ContactLinesChanged(when, dsr, cts, rlsd); // every change, also one a lock ignores
    if (!dsr && !cts && !rlsd) {
        return;
    }
    const std::int32_t polarity = rlsd ? settings_.Alg3 : (cts ? settings_.Alg2 : settings_.Alg1);
    bool act = false;
    if (polarity == static_cast<std::int32_t>(Polarity::NPN)) {
        act = true;
    } else if (polarity == static_cast<std::int32_t>(Polarity::PNP)) {
        act = !(dsr && cts && rlsd); // all three on is the idle state of PNP sensors
    }
    if (!act) {
        return;
    }
    if (dsr && sink_.StartContactIsFree()) {
        sink_.ContactStart(when);
    }
    if (cts && sink_.FinishContactIsFree()) {
        sink_.ContactFinish(when);
    }
    if (rlsd && !sink_.StartContactIsFree()) {
        sink_.ContactRelease();
    }
}

void Contacts::ComPortOpen(TComPort&) {
    if (lostPort_ != 0) {
        lostPort_ = 0;
        sink_.ContactPortLost({});
    }
    // The pictures follow the lock states (StartContactFree, FinishContactFree), which opening
    // leaves as they are, so a contact freed before a re-open is not shown as locked.
    ImageLSstartVisible = true;
    ImageLSstopVisible = true;
    sink_.ContactPortShown();
}

void Contacts::ComPortClose(TComPort& sender) {
    ImageLSstartVisible = false;
    ImageLSstopVisible = false;
    sink_.ContactPortShown();
    if (sender.Lost()) {
        lostPort_ = sender.Port;
        ticksSinceLost_ = 0;
        sink_.ContactPortLost(LostNotice(sender.Port, sender.DeviceName()));
    }
}

void Contacts::ReopenLostPort() {
    if (lostPort_ == 0 || !ComPort) {
        return;
    }
    if (settings_.Port != lostPort_) {
        ForgetLostPort(); // the operator chose another port, or none
        return;
    }
    if (ComPort->HandleValid()) {
        // Released at once: an adapter that comes back while its old device is still held gets
        // another name, and the same port would never find it.
        ComPort->Close();
        ticksSinceLost_ = 0;
        return;
    }
    if (++ticksSinceLost_ < kReopenTicks) {
        return;
    }
    ticksSinceLost_ = 0;
    try {
        ComPort->Port = static_cast<std::uint8_t>(lostPort_);
        ComPort->Open(); // ComPortOpen ends the warning
    } catch (...) {
        // not back yet
    }
}

void Contacts::ForgetLostPort() {
    if (lostPort_ != 0) {
        lostPort_ = 0;
        sink_.ContactPortLost({});
    }
}

void Contacts::ListComPorts(PortLayer& layer) {
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

void Contacts::OpenConfiguredPort() {
    if (settings_.Port == 0 || !ComPort) {
        return;
    }
    try {
        ComPort->Port = settings_.Port;
        ComPort->Open();
    } catch (...) {
        settings_.Port = 0; // no message: the indicators stay hidden and no contact works
    }
}

} // namespace vandoret
