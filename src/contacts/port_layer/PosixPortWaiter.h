// The waiting thread's wait on a POSIX serial device, and the modem-line helpers that the POSIX
// port layer (PosixPortLayer.cpp) shares with it. Internal to the POSIX backend.
#pragma once

#include <linux/serial.h>
#include <pthread.h>
#include <time.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

#include "contacts/port_layer/PortLayer.h"

namespace vandoret::posix {

// The modem status word (kMs* bits) of TIOCMGET's bits.
std::uint32_t StatusFromModemBits(int bits);
// The driver does not offer the call (EINVAL, ENOTTY, ENOSYS).
bool Unsupported(int error);
// The per-line counters of TIOCGICOUNT.
LineCounters CountersFrom(const serial_icounter_struct& icount);

class PosixPortWaiter : public PortWaiter {
public:
    // Takes the starting point of the counters and levels at once, so a change after the waiter
    // was made and before its thread first waits is reported. eventMask: the device's event mask.
    PosixPortWaiter(int fd, std::function<std::uint32_t()> eventMask);
    ~PosixPortWaiter() override;
    WaitResult Wait(std::uint32_t& eventMask) override;
    void RequestStop() override;

private:
    WaitResult Poll(std::uint32_t wanted, std::uint32_t& eventMask);
    bool ReadLevels(std::uint32_t& levels) const;
    // The re-check timer signals the waiting thread kFirstRecheck after it is armed, then every
    // kRecheck, while armed.
    void ArmRecheck(bool on);

    int fd_;
    std::function<std::uint32_t()> eventMask_;
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

} // namespace vandoret::posix
