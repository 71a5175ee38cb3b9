// The serial port layer on POSIX systems (Linux first): termios for the line settings, the
// modem-line ioctls for the status and the wait.
//
// The wait. TIOCMIWAIT blocks in the kernel until one of the given modem lines changes; nothing
// but a signal ends it early, so a self-pipe or poll() cannot cancel it. The waiter therefore
// records the waiting thread and RequestStop sets a stop flag and sends that thread SIGURG, whose
// handler (installed once, without SA_RESTART) does nothing: the ioctl returns EINTR and the loop
// sees the flag. A signal that arrives just between the flag check and the ioctl would be lost,
// so the owner repeats RequestStop every few milliseconds until the thread has ended (TComThread
// does). SIGURG is ignored by default, so a stray one harms nothing, and it does not queue.
//
// No change is lost between two waits: before each TIOCMIWAIT the waiter compares the per-line
// change counters (TIOCGICOUNT) with those it saw last, and a change that happened while the
// thread was busy (handing an event over) is reported at once. The kernel takes its own snapshot
// of the counters when TIOCMIWAIT begins, so a change in the few microseconds between our
// comparison and that snapshot would wait for the next change, which may never come (a contact
// that closes and stays closed). A timer therefore interrupts the wait every kRecheck with the same
// signal; the loop compares the counters again and reports such a change, at most kRecheck late.
//
// Drivers without TIOCMIWAIT (EINVAL/ENOTTY) are watched by reading TIOCMGET every 2 ms instead.
// An error such as EIO (adapter unplugged) ends the waiting: Wait returns Failed.
#include <dirent.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "contacts/port_layer/PortLayer.h"
#include "contacts/port_layer/PortMapping.h"

namespace vandoret {

namespace {

constexpr int kStopSignal = SIGURG;

// How often a running TIOCMIWAIT is interrupted to compare the change counters again.
constexpr long kRecheckNs = 10'000'000;

#ifndef sigev_notify_thread_id
#define sigev_notify_thread_id _sigev_un._tid
#endif

void IgnoreStopSignal(int) {}

void InstallStopSignalHandler() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_handler = IgnoreStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0; // no SA_RESTART: the blocked ioctl must return EINTR
        sigaction(kStopSignal, &action, nullptr);
    });
}

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

std::uint32_t StatusFromModemBits(int bits) {
    std::uint32_t status = 0;
    if (bits & TIOCM_CTS)
        status |= kMsCtsOn;
    if (bits & TIOCM_DSR)
        status |= kMsDsrOn;
    if (bits & TIOCM_RNG)
        status |= kMsRingOn;
    if (bits & TIOCM_CAR)
        status |= kMsRlsdOn;
    return status;
}

// The modem lines TIOCMIWAIT watches for an event mask.
int LinesFor(std::uint32_t eventMask) {
    int lines = 0;
    if (eventMask & kEvCts)
        lines |= TIOCM_CTS;
    if (eventMask & kEvDsr)
        lines |= TIOCM_DSR;
    if (eventMask & kEvRlsd)
        lines |= TIOCM_CAR;
    if (eventMask & kEvRing)
        lines |= TIOCM_RNG;
    return lines;
}

// Event bits for the lines whose counters moved.
std::uint32_t EventsFromCounters(const serial_icounter_struct& before, const serial_icounter_struct& after) {
    std::uint32_t events = 0;
    if (after.cts != before.cts)
        events |= kEvCts;
    if (after.dsr != before.dsr)
        events |= kEvDsr;
    if (after.dcd != before.dcd)
        events |= kEvRlsd;
    if (after.rng != before.rng)
        events |= kEvRing;
    return events;
}

bool Unsupported(int error) {
    return error == EINVAL || error == ENOTTY || error == ENOSYS;
}

class PosixPortLayer;

class PosixPortWaiter : public PortWaiter {
public:
    PosixPortWaiter(PosixPortLayer& layer, int fd) : layer_(layer), fd_(fd) { InstallStopSignalHandler(); }
    ~PosixPortWaiter() override {
        if (haveTimer_) {
            timer_delete(recheck_);
        }
    }
    WaitResult Wait(std::uint32_t& eventMask) override;
    void RequestStop() override;

private:
    WaitResult Poll(std::uint32_t wanted, std::uint32_t& eventMask);
    bool ReadLevels(std::uint32_t& levels) const;
    // The re-check timer signals the waiting thread every kRecheck while armed.
    void ArmRecheck(bool on);

    PosixPortLayer& layer_;
    int fd_;
    std::atomic<bool> stop_{false};
    std::mutex threadMutex_;
    bool haveThread_ = false;
    pthread_t thread_{};

    serial_icounter_struct seen_{};
    bool haveSeen_ = false;
    bool countersWork_ = true;
    bool polling_ = false;
    std::uint32_t levels_ = 0;
    bool haveLevels_ = false;
    timer_t recheck_{};
    bool haveTimer_ = false; // waiting thread only
    bool armed_ = false;
};

class PosixPortLayer : public PortLayer {
public:
    std::string DeviceName(int port) override {
        std::vector<std::string> entries;
        if (DIR* dir = opendir("/dev")) {
            while (const dirent* entry = readdir(dir)) {
                entries.emplace_back(entry->d_name);
            }
            closedir(dir);
        }
        return MapPortNumber(port, OrderSerialDevices(entries), [](const char* name) { return std::getenv(name); });
    }

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
        if (::ioctl(fd, dcb.DtrControl == kDtrControlEnable ? TIOCMBIS : TIOCMBIC, &dtr) != 0 && !Unsupported(errno)) {
            return Fail();
        }
        if (dcb.RtsControl != kRtsControlHandshake) {
            int rts = TIOCM_RTS;
            if (::ioctl(fd, TIOCMBIC, &rts) != 0 && !Unsupported(errno)) {
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
        status = StatusFromModemBits(bits);
        return true;
    }

    std::unique_ptr<PortWaiter> CreateWaiter(PortHandle handle) override {
        return std::make_unique<PosixPortWaiter>(*this, static_cast<int>(handle));
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
};

bool PosixPortWaiter::ReadLevels(std::uint32_t& levels) const {
    int bits = 0;
    if (::ioctl(fd_, TIOCMGET, &bits) != 0) {
        return false;
    }
    levels = StatusFromModemBits(bits);
    return true;
}

void PosixPortWaiter::RequestStop() {
    stop_ = true;
    std::lock_guard lock(threadMutex_);
    if (haveThread_) {
        pthread_kill(thread_, kStopSignal);
    }
}

void PosixPortWaiter::ArmRecheck(bool on) {
    if (!haveTimer_ || armed_ == on) {
        return;
    }
    itimerspec period{};
    if (on) {
        period.it_value.tv_nsec = kRecheckNs;
        period.it_interval.tv_nsec = kRecheckNs;
    }
    armed_ = timer_settime(recheck_, 0, &period, nullptr) == 0 && on;
}

WaitResult PosixPortWaiter::Wait(std::uint32_t& eventMask) {
    {
        std::lock_guard lock(threadMutex_);
        if (!haveThread_) {
            thread_ = pthread_self();
            haveThread_ = true;
            sigevent notify{};
            notify.sigev_notify = SIGEV_THREAD_ID;
            notify.sigev_signo = kStopSignal;
            notify.sigev_notify_thread_id = static_cast<pid_t>(gettid());
            haveTimer_ = timer_create(CLOCK_MONOTONIC, &notify, &recheck_) == 0;
        }
    }
    // The timer only runs while this call waits in the kernel.
    struct Disarm {
        PosixPortWaiter& waiter;
        ~Disarm() { waiter.ArmRecheck(false); }
    } disarm{*this};
    const std::uint32_t wanted = layer_.EventMaskOf(fd_) & (kEvCts | kEvDsr | kEvRlsd | kEvRing);
    if (!haveSeen_ && countersWork_ && ::ioctl(fd_, TIOCGICOUNT, &seen_) == 0) {
        haveSeen_ = true; // counters before levels: a change between the two is still reported
    }
    if (!haveLevels_ && ReadLevels(levels_)) {
        haveLevels_ = true;
    }
    while (!stop_) {
        if (polling_) {
            return Poll(wanted, eventMask);
        }
        serial_icounter_struct now{};
        if (countersWork_) {
            if (::ioctl(fd_, TIOCGICOUNT, &now) != 0) {
                if (!Unsupported(errno)) {
                    return WaitResult::Failed;
                }
                countersWork_ = false;
            } else {
                const std::uint32_t missed = haveSeen_ ? EventsFromCounters(seen_, now) & wanted : 0;
                seen_ = now;
                haveSeen_ = true;
                if (missed != 0) {
                    eventMask = missed;
                    ReadLevels(levels_);
                    return WaitResult::Event;
                }
            }
        }
        if (!countersWork_) {
            // Without counters the levels tell what moved since the last look.
            std::uint32_t levels = 0;
            if (ReadLevels(levels)) {
                const std::uint32_t moved = ModemLineEvents(levels_, levels) & wanted;
                levels_ = levels;
                if (moved != 0) {
                    eventMask = moved;
                    return WaitResult::Event;
                }
            }
        }
        if (stop_) {
            break;
        }
        ArmRecheck(true);
        if (::ioctl(fd_, TIOCMIWAIT, LinesFor(wanted)) != 0) {
            if (errno == EINTR) {
                continue; // a stop request or the re-check: compare the counters again
            }
            if (Unsupported(errno)) {
                ArmRecheck(false);
                polling_ = true;
                continue;
            }
            return WaitResult::Failed;
        }
        // Which lines moved: from the counters where the driver keeps them, else from the levels.
        std::uint32_t events = 0;
        if (countersWork_ && ::ioctl(fd_, TIOCGICOUNT, &now) == 0) {
            events = EventsFromCounters(seen_, now) & wanted;
            seen_ = now;
        }
        std::uint32_t levels = 0;
        if (ReadLevels(levels)) {
            if (events == 0) {
                events = ModemLineEvents(levels_, levels) & wanted;
            }
            levels_ = levels;
        }
        eventMask = events != 0 ? events : wanted;
        return WaitResult::Event;
    }
    return WaitResult::Stop;
}

WaitResult PosixPortWaiter::Poll(std::uint32_t wanted, std::uint32_t& eventMask) {
    while (!stop_) {
        std::uint32_t levels = 0;
        if (!ReadLevels(levels)) {
            return WaitResult::Failed;
        }
        const std::uint32_t events = ModemLineEvents(levels_, levels) & wanted;
        levels_ = levels;
        if (events != 0) {
            eventMask = events;
            return WaitResult::Event;
        }
        timespec pause{0, 2'000'000};
        ::nanosleep(&pause, nullptr); // the stop signal cuts it short
    }
    return WaitResult::Stop;
}

} // namespace

std::unique_ptr<PortLayer> CreatePlatformPortLayer() {
    return std::make_unique<PosixPortLayer>();
}

} // namespace vandoret
