// The serial port layer on POSIX systems (Linux first): termios for the line settings, the
// modem-line ioctls for the status and the change counters; the wait is PosixPortWaiter's.
// Port numbers name the devices found when the layer is made (PortMapping.h).
#include <dirent.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "contacts/port_layer/LatencyTimer.h"
#include "contacts/port_layer/PortLayer.h"
#include "contacts/port_layer/PortMapping.h"
#include "contacts/port_layer/PosixPortWaiter.h"

namespace vandoret {

namespace {

speed_t SpeedFor(std::uint32_t rate) {
    // Rates without a termios constant (14400, 28800, 56000, 128000, 256000) use the nearest
    // lower standard rate; the contacts only use the modem lines, never the data.
    static const std::pair<std::uint32_t, speed_t> table[] = {
        {110, B110},   {300, B300},     {600, B600},     {1200, B1200},   {2400, B2400},     {4800, B4800},
        {9600, B9600}, {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
    };
    speed_t speed = B110;
    for (const auto& [value, constant] : table) {
        if (value <= rate) {
            speed = constant;
        }
    }
    return speed;
}

class PosixPortLayer : public PortLayer {
public:
    // The number -> device table is made here, once: the program makes its layer at start-up,
    // just before it lists the ports for the settings dialog.
    PosixPortLayer() {
        std::vector<std::string> entries;
        if (DIR* dir = opendir("/dev")) {
            while (const dirent* entry = readdir(dir)) {
                entries.emplace_back(entry->d_name);
            }
            closedir(dir);
        }
        ports_ = BuildPortTable(OrderSerialDevices(entries), [](const char* name) { return std::getenv(name); });
    }

    std::string DeviceName(int port) override { return PortTableDevice(ports_, port); }

    PortHandle OpenDevice(const std::string& name) override {
        if (name.empty()) {
            lastError_ = ENOENT;
            return kInvalidPortHandle;
        }
        const int fd = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            lastError_ = errno;
            return kInvalidPortHandle;
        }
        // Exclusive: no further open of this terminal while we hold it (not a terminal: refused).
        if (::ioctl(fd, TIOCEXCL) != 0) {
            lastError_ = errno;
            ::close(fd);
            return kInvalidPortHandle;
        }
        return fd;
    }

    void CloseDevice(PortHandle handle) override {
        if (handle >= 0) {
            const int fd = static_cast<int>(handle);
            ::ioctl(fd, TIOCNXCL);
            ::close(fd);
            std::lock_guard lock(mutex_);
            masks_.erase(handle);
            timeouts_.erase(handle);
        }
    }

    bool IsCharacterDevice(PortHandle handle) override {
        struct stat info {};
        return ::fstat(static_cast<int>(handle), &info) == 0 && S_ISCHR(info.st_mode) &&
               ::isatty(static_cast<int>(handle));
    }

    bool SetCommState(PortHandle handle, const DeviceControlBlock& dcb) override {
        const int fd = static_cast<int>(handle);
        termios tio{};
        if (::tcgetattr(fd, &tio) != 0) {
            return Fail();
        }
        ::cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD; // the carrier line is a contact here, never a hang-up
        tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | CMSPAR);
        const int byteSize = dcb.ByteSize < 5 ? 5 : (dcb.ByteSize > 8 ? 8 : dcb.ByteSize);
        static const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
        tio.c_cflag |= sizes[byteSize - 5];
        switch (dcb.Parity) {
        case 0:
            break;
        case 1:
            tio.c_cflag |= PARENB | PARODD;
            break;
        case 2:
            tio.c_cflag |= PARENB;
            break;
        case 3:
            tio.c_cflag |= PARENB | PARODD | CMSPAR;
            break;
        case 4:
            tio.c_cflag |= PARENB | CMSPAR;
            break;
        default:
            errno = EINVAL;
            return Fail();
        }
        if (dcb.StopBits != 0) {
            tio.c_cflag |= CSTOPB; // one and a half and two stop bits both send two
        }
        if (dcb.OutxCtsFlow || dcb.RtsControl == kRtsControlHandshake) {
            tio.c_cflag |= CRTSCTS;
        }
        tio.c_iflag &= ~(IXON | IXOFF | IXANY);
        if (dcb.OutX)
            tio.c_iflag |= IXON;
        if (dcb.InX)
            tio.c_iflag |= IXOFF;
        tio.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
        tio.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        const speed_t speed = SpeedFor(dcb.BaudRate);
        ::cfsetispeed(&tio, speed);
        ::cfsetospeed(&tio, speed);
        if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
            return Fail();
        }
        // DTR (and RTS without handshake) as the block says; the contacts are supplied from them.
        // A device without modem control lines (EINVAL/ENOTTY) is accepted as it is.
        int dtr = TIOCM_DTR;
        if (::ioctl(fd, dcb.DtrControl == kDtrControlEnable ? TIOCMBIS : TIOCMBIC, &dtr) != 0 &&
            !posix::Unsupported(errno)) {
            return Fail();
        }
        if (dcb.RtsControl != kRtsControlHandshake) {
            int rts = TIOCM_RTS;
            if (::ioctl(fd, TIOCMBIC, &rts) != 0 && !posix::Unsupported(errno)) {
                return Fail();
            }
        }
        return true;
    }

    bool GetCommTimeouts(PortHandle handle, CommTimeouts& timeouts) override {
        if (!Valid(handle)) {
            return Fail();
        }
        std::lock_guard lock(mutex_);
        timeouts = timeouts_[handle];
        return true;
    }

    bool SetCommTimeouts(PortHandle handle, const CommTimeouts& timeouts) override {
        // Reads never block here (VMIN = VTIME = 0, non-blocking descriptor); the values are kept.
        if (!Valid(handle)) {
            return Fail();
        }
        std::lock_guard lock(mutex_);
        timeouts_[handle] = timeouts;
        return true;
    }

    bool SetupComm(PortHandle handle, std::int32_t, std::int32_t) override {
        // The kernel sizes its own buffers.
        return Valid(handle) || Fail();
    }

    bool SetCommMask(PortHandle handle, std::uint32_t eventMask) override {
        if (!Valid(handle)) {
            return Fail();
        }
        std::lock_guard lock(mutex_);
        masks_[handle] = eventMask;
        return true;
    }

    std::uint32_t EventMaskOf(PortHandle handle) {
        std::lock_guard lock(mutex_);
        const auto it = masks_.find(handle);
        return it == masks_.end() ? 0 : it->second;
    }

    void PurgeInput(PortHandle handle) override { ::tcflush(static_cast<int>(handle), TCIFLUSH); }

    bool ClearCommError(PortHandle handle, std::uint32_t& inQueue) override {
        int waiting = 0;
        if (::ioctl(static_cast<int>(handle), FIONREAD, &waiting) != 0) {
            inQueue = 0;
            return Fail();
        }
        inQueue = waiting < 0 ? 0u : static_cast<std::uint32_t>(waiting);
        return true;
    }

    bool GetModemStatus(PortHandle handle, std::uint32_t& status) override {
        int bits = 0;
        if (::ioctl(static_cast<int>(handle), TIOCMGET, &bits) != 0) {
            status = 0;
            return Fail();
        }
        status = posix::StatusFromModemBits(bits);
        return true;
    }

    bool GetLineCounters(PortHandle handle, LineCounters& counters) override {
        serial_icounter_struct icount{};
        if (::ioctl(static_cast<int>(handle), TIOCGICOUNT, &icount) != 0) {
            return Fail();
        }
        counters = posix::CountersFrom(icount);
        return true;
    }

    std::unique_ptr<PortWaiter> CreateWaiter(PortHandle handle) override {
        return std::make_unique<posix::PosixPortWaiter>(static_cast<int>(handle),
                                                        [this, handle] { return EventMaskOf(handle); });
    }

    ThreadPriority* WaitingThreadPriority() override { return priority_.get(); }

    LatencyTimer PrepareLatency(PortHandle handle, const std::string& device) override {
        // The unprivileged route first: ASYNC_LOW_LATENCY makes ftdi_sio use a 1 ms timer.
        // Drivers without it (pseudo-terminals, built-in ports) refuse; that is no failure.
        const int fd = static_cast<int>(handle);
        serial_struct serial{};
        if (::ioctl(fd, TIOCGSERIAL, &serial) == 0 && (serial.flags & ASYNC_LOW_LATENCY) == 0) {
            serial.flags |= ASYNC_LOW_LATENCY;
            ::ioctl(fd, TIOCSSERIAL, &serial);
        }
        return ReadLatencyTimer(sysfs_, KernelDeviceName(device));
    }

    bool SetLatencyTimer(const std::string& device, int ms) override {
        return WriteLatencyTimer(sysfs_, KernelDeviceName(device), ms);
    }

    std::string LastErrorText() override {
        const int error = lastError_;
        char buffer[256] = {};
        const char* text = ::strerror_r(error, buffer, sizeof buffer); // GNU form
        std::string result = text != nullptr && *text != '\0' ? text : std::to_string(error);
        return result.substr(0, 255);
    }

private:
    bool Fail() {
        lastError_ = errno;
        return false;
    }
    static bool Valid(PortHandle handle) { return handle >= 0 && ::fcntl(static_cast<int>(handle), F_GETFD) != -1; }

    std::atomic<int> lastError_{0};
    std::mutex mutex_;
    std::map<PortHandle, std::uint32_t> masks_;
    std::map<PortHandle, CommTimeouts> timeouts_;
    std::vector<std::string> ports_; // entry n - 1: the device of port n, for the whole run
    std::unique_ptr<ThreadPriority> priority_ = CreatePlatformThreadPriority();
    SysfsFiles sysfs_;
};

} // namespace

std::unique_ptr<PortLayer> CreatePlatformPortLayer() {
    return std::make_unique<PosixPortLayer>();
}

} // namespace vandoret
