// The serial port as the settings dialog drives it: the main window's port "ComPort" of a
// Timekeeper behind the dialog's PortControl. Closing ignores errors, opening reports failure as
// false (the dialog then keeps the chosen number), the available ports are those found at start,
// each naming the device the port layer gave its number at start-up.
#pragma once

#include <string>
#include <vector>

#include "settings/CfgLogic.h"
#include "timing/Timekeeper.h"

namespace vandoret {

class ComPortControl : public PortControl {
public:
    explicit ComPortControl(Timekeeper& timekeeper) : tk_(timekeeper) {}

    void ClosePort() override {
        if (tk_.ComPort) {
            try {
                tk_.ComPort->Close();
            } catch (...) {
            }
        }
    }

    bool OpenPort(int number) override {
        if (!tk_.ComPort || number < 1 || number > 255) {
            return false;
        }
        try {
            tk_.ComPort->Port = static_cast<std::uint8_t>(number);
            tk_.ComPort->Open();
            return true;
        } catch (...) {
            return false;
        }
    }

    std::vector<int> AvailablePorts() const override {
        return std::vector<int>(tk_.AvailablePorts.begin(), tk_.AvailablePorts.end());
    }

    std::string DeviceOf(int number) const override {
        return tk_.ComPort ? tk_.ComPort->Layer().DeviceName(number) : std::string();
    }

private:
    Timekeeper& tk_;
};

} // namespace vandoret
