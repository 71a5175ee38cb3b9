// The serial port as the settings dialog drives it: the main window's port "ComPort" of the
// contacts behind the dialog's PortControl. Closing ignores errors, opening reports failure as
// false (the dialog then keeps the chosen number), the available ports are those found at start,
// each naming the device the port layer gave its number at start-up; the open port's timing (the
// waiting thread's priority, the adapter's latency timer) for the port group.
#pragma once

#include <string>
#include <vector>

#include "contacts/Contacts.h"
#include "settings/CfgLogic.h"

namespace vandoret {

class ComPortControl : public PortControl {
public:
    explicit ComPortControl(Contacts& contacts) : contacts_(contacts) {}

    void ClosePort() override {
        if (contacts_.ComPort) {
            try {
                contacts_.ComPort->Close();
            } catch (...) {
            }
        }
    }

    bool OpenPort(int number) override {
        if (!contacts_.ComPort || number < 1 || number > 255) {
            return false;
        }
        try {
            contacts_.ComPort->Port = static_cast<std::uint8_t>(number);
            contacts_.ComPort->Open();
            return true;
        } catch (...) {
            return false;
        }
    }

    std::vector<int> AvailablePorts() const override {
        return std::vector<int>(contacts_.AvailablePorts.begin(), contacts_.AvailablePorts.end());
    }

    std::string DeviceOf(int number) const override {
        return contacts_.ComPort ? contacts_.ComPort->Layer().DeviceName(number) : std::string();
    }

    PortTiming Timing() const override {
        PortTiming timing;
        const TComPort* port = contacts_.ComPort.get();
        if (!port || !port->Connected()) {
            return timing;
        }
        timing.port = port->Port;
        timing.priority = DescribePriority(port->WaitingThreadPriority());
        timing.latencyNotice = LatencyNotice(port->AdapterLatency());
        if (!timing.latencyNotice.empty()) {
            timing.latencyWritable = port->AdapterLatency().Writable;
            timing.latencyAdvice = LatencyAdvice(port->AdapterLatency());
        }
        return timing;
    }

    bool SetLatencyToOneMs() override {
        return contacts_.ComPort && contacts_.ComPort->Connected() &&
               contacts_.ComPort->SetAdapterLatency(kLatencyWanted);
    }

private:
    Contacts& contacts_;
};

} // namespace vandoret
