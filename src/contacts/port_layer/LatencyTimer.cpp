// Reading and setting the USB adapter's latency timer on Linux, and what is said about it
// (contacts/port_layer/LatencyTimer.h). Plain file access below a sysfs root.
#include "contacts/port_layer/LatencyTimer.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace vandoret {

namespace {

// The number a sysfs file holds: digits and an optional line end, nothing else.
std::optional<int> Milliseconds(const std::string& text) {
    std::size_t end = text.size();
    while (end > 0 && (text[end - 1] == '\n' || text[end - 1] == '\r' || text[end - 1] == ' ')) {
        --end;
    }
    if (end == 0 || end > 3) {
        return std::nullopt;
    }
    int value = 0;
    for (std::size_t i = 0; i < end; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) {
            return std::nullopt;
        }
        value = value * 10 + (text[i] - '0');
    }
    if (value < 1 || value > 255) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<std::string> SysfsFiles::Read(const std::string& path) const {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        return std::nullopt;
    }
    return text.str();
}

bool SysfsFiles::MayWrite(const std::string& path) const {
    // Opened for writing without truncating it (sysfs files take no truncation): what the write
    // itself will need.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return false;
    }
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    return file.is_open();
}

bool SysfsFiles::Write(const std::string& path, const std::string& text) const {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return false; // never made here
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file.is_open()) {
        return false;
    }
    file << text;
    file.flush();
    return static_cast<bool>(file);
}

std::string KernelDeviceName(const std::string& devicePath) {
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::canonical(devicePath, error);
    if (error) {
        resolved = devicePath;
    }
    return resolved.filename().string();
}

std::string LatencyTimerPath(const SysfsFiles& files, const std::string& tty) {
    return files.Root() + "/bus/usb-serial/devices/" + tty + "/latency_timer";
}

LatencyTimer ReadLatencyTimer(const SysfsFiles& files, const std::string& tty) {
    LatencyTimer timer;
    timer.Device = tty;
    if (tty.empty() || tty.find('/') != std::string::npos || tty == "." || tty == "..") {
        return timer;
    }
    timer.Where = LatencyTimerPath(files, tty);
    const std::optional<std::string> text = files.Read(timer.Where);
    const std::optional<int> ms = text ? Milliseconds(*text) : std::nullopt;
    if (!ms) {
        return timer;
    }
    timer.Known = true;
    timer.Milliseconds = *ms;
    timer.Writable = files.MayWrite(timer.Where);
    return timer;
}

bool WriteLatencyTimer(const SysfsFiles& files, const std::string& tty, int ms) {
    const LatencyTimer before = ReadLatencyTimer(files, tty);
    if (!before.Known || !files.Write(before.Where, std::to_string(ms) + "\n")) {
        return false;
    }
    const LatencyTimer after = ReadLatencyTimer(files, tty);
    return after.Known && after.Milliseconds == ms;
}

std::string LatencyNotice(const LatencyTimer& timer) {
    if (!timer.Known || timer.Milliseconds <= kLatencyWanted) {
        return {};
    }
    return "USB-Latenz " + std::to_string(timer.Milliseconds) + " ms \xE2\x80\x94 auf " +
           std::to_string(kLatencyWanted) + " ms stellen";
}

std::string LatencyAdvice(const LatencyTimer& timer) {
    if (timer.Where.rfind("HKEY_", 0) == 0) {
        return "Im Ger\xC3\xA4temanager: Anschl\xC3\xBCsse (COM & LPT) \xE2\x86\x92 " + timer.Device +
               " \xE2\x86\x92 Eigenschaften \xE2\x86\x92 Anschlusseinstellungen \xE2\x86\x92 Erweitert \xE2\x86\x92 "
               "Wartezeit (msec) auf 1 stellen.";
    }
    const std::string tty = timer.Device.empty() ? std::string("ttyUSB0") : timer.Device;
    return "Bis zum Ausstecken:\n  echo 1 | sudo tee /sys/bus/usb-serial/devices/" + tty +
           "/latency_timer\n"
           "Auf Dauer eine udev-Regel, z. B. /etc/udev/rules.d/60-vandoret-usb-latency.rules "
           "(liegt dem Paket bei unter /usr/share/doc/vandoret/examples/):\n"
           "  ACTION==\"add\", SUBSYSTEM==\"usb-serial\", DRIVER==\"ftdi_sio\", ATTR{latency_timer}=\"1\"\n"
           "dann: sudo udevadm control --reload && sudo udevadm trigger";
}

} // namespace vandoret
