// The USB-serial adapter's latency timer: how long the adapter holds back what it has to say.
//
// FTDI-type adapters send a modem-line change to the computer only once per latency-timer period,
// 16 ms unless set otherwise, so every contact would be up to that late whatever the program does.
// When the port opens, the port layer first takes the unprivileged route: on Linux TIOCSSERIAL with
// ASYNC_LOW_LATENCY (what `setserial /dev/ttyUSB0 low_latency` does), which makes ftdi_sio use
// 1 ms. Then it reads the timer back: on Linux /sys/bus/usb-serial/devices/<tty>/latency_timer
// (ReadLatencyTimer below, over a sysfs root a test replaces with a folder of its own), on Windows
// the FTDI driver's `LatencyTimer` value in the device's registry key (read only). A timer still
// above 1 ms is shown beside the port ("USB-Latenz 16 ms — auf 1 ms stellen"); the program sets it
// to 1 ms when the operator agrees and the file may be written, otherwise it names the udev rule
// and the command that do it (LatencyAdvice).
#pragma once

#include <optional>
#include <string>

namespace vandoret {

// The latency timer of an open port's adapter.
struct LatencyTimer {
    bool Known = false;    // the adapter has one and it could be read
    int Milliseconds = 0;  // when Known
    bool Writable = false; // the program may set it (Linux: the sysfs file is writable)
    std::string Device;    // the kernel's name of the device ("ttyUSB0"), or "COM3" on Windows
    std::string Where;     // the sysfs file or registry key it was read from
    bool operator==(const LatencyTimer&) const = default;
};

// Above this the timer is shown.
inline constexpr int kLatencyWanted = 1;

// The files the Linux timer lives in; a test gives a folder of its own as the root, and may
// refuse the writes.
class SysfsFiles {
public:
    explicit SysfsFiles(std::string root = "/sys") : root_(std::move(root)) {}
    virtual ~SysfsFiles() = default;
    const std::string& Root() const { return root_; }
    // The whole text of a file; nothing when it cannot be read.
    virtual std::optional<std::string> Read(const std::string& path) const;
    // Whether the file may be opened for writing.
    virtual bool MayWrite(const std::string& path) const;
    // Writes the text to the file; false when refused.
    virtual bool Write(const std::string& path, const std::string& text) const;

private:
    std::string root_;
};

// The kernel's name of a device path: the last part of the path it resolves to ("/dev/serial/
// by-id/usb-FTDI_...-port0" -> "ttyUSB0").
std::string KernelDeviceName(const std::string& devicePath);
// The latency_timer file of a tty below the sysfs root.
std::string LatencyTimerPath(const SysfsFiles& files, const std::string& tty);
// Reads the timer of a tty: not Known when the file is missing or does not hold a number of
// milliseconds (1..255, as the adapters take).
LatencyTimer ReadLatencyTimer(const SysfsFiles& files, const std::string& tty);
// Sets the timer to `ms` and reads it back; true when it now reads `ms`.
bool WriteLatencyTimer(const SysfsFiles& files, const std::string& tty, int ms);

// "USB-Latenz 16 ms — auf 1 ms stellen" for a known timer above 1 ms, else empty.
std::string LatencyNotice(const LatencyTimer& timer);
// What sets it when the program may not: the command for now and the udev rule for good
// (Linux), or where the driver's setting is (Windows).
std::string LatencyAdvice(const LatencyTimer& timer);

} // namespace vandoret
