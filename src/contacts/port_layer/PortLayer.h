// PortLayer: every call the serial port component makes into the platform, behind one interface.
//
// TComPort and TComThread (contacts/Comms) are plain logic above this layer. The platform backends
// are PosixPortLayer.cpp (termios and the modem-line ioctls) and Win32PortLayer.cpp (CreateFileA,
// SetCommState, WaitCommEvent, ...); tests use FakePortLayer (tests/fakes), which a test scripts.
//
// Threads: the user-interface thread opens, configures and closes the device; the waiting thread
// uses only its PortWaiter and the status queries (ClearCommError, GetModemStatus,
// GetLineCounters) and, once as it starts, WaitingThreadPriority. The waiter's RequestStop may be
// called from any thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "contacts/port_layer/LatencyTimer.h"
#include "contacts/port_layer/ThreadPriority.h"

namespace vandoret {

// A device handle: a file descriptor on POSIX, a HANDLE value on Windows.
using PortHandle = std::intptr_t;
inline constexpr PortHandle kInvalidPortHandle = -1;

// Device event bits (the platform's event constants), as reported by a completed wait.
inline constexpr std::uint32_t kEvRxChar = 0x0001;
inline constexpr std::uint32_t kEvRxFlag = 0x0002;
inline constexpr std::uint32_t kEvTxEmpty = 0x0004;
inline constexpr std::uint32_t kEvCts = 0x0008;
inline constexpr std::uint32_t kEvDsr = 0x0010;
inline constexpr std::uint32_t kEvRlsd = 0x0020;
inline constexpr std::uint32_t kEvBreak = 0x0040;
inline constexpr std::uint32_t kEvErr = 0x0080;
inline constexpr std::uint32_t kEvRing = 0x0100;

// Modem status word bits.
inline constexpr std::uint32_t kMsCtsOn = 0x10;
inline constexpr std::uint32_t kMsDsrOn = 0x20;
inline constexpr std::uint32_t kMsRingOn = 0x40;
inline constexpr std::uint32_t kMsRlsdOn = 0x80;

// The event bits of the modem lines whose levels differ between two status words.
inline constexpr std::uint32_t ModemLineEvents(std::uint32_t before, std::uint32_t after) {
    const std::uint32_t changed = before ^ after;
    std::uint32_t events = 0;
    if (changed & kMsCtsOn)
        events |= kEvCts;
    if (changed & kMsDsrOn)
        events |= kEvDsr;
    if (changed & kMsRlsdOn)
        events |= kEvRlsd;
    if (changed & kMsRingOn)
        events |= kEvRing;
    return events;
}

// The modem status bits of the lines named by event bits.
inline constexpr std::uint32_t ModemLineLevels(std::uint32_t events) {
    std::uint32_t levels = 0;
    if (events & kEvCts)
        levels |= kMsCtsOn;
    if (events & kEvDsr)
        levels |= kMsDsrOn;
    if (events & kEvRlsd)
        levels |= kMsRlsdOn;
    if (events & kEvRing)
        levels |= kMsRingOn;
    return levels;
}

// How often each modem line has changed since the device was opened, as the driver counts.
struct LineCounters {
    std::uint32_t Cts = 0;
    std::uint32_t Dsr = 0;
    std::uint32_t Rlsd = 0;
    std::uint32_t Ring = 0;
};

// The event bits of the lines that changed at least `times` times between two counts.
inline constexpr std::uint32_t CountedLineEvents(const LineCounters& before, const LineCounters& after,
                                                 std::uint32_t times) {
    std::uint32_t events = 0;
    if (after.Cts - before.Cts >= times)
        events |= kEvCts;
    if (after.Dsr - before.Dsr >= times)
        events |= kEvDsr;
    if (after.Rlsd - before.Rlsd >= times)
        events |= kEvRlsd;
    if (after.Ring - before.Ring >= times)
        events |= kEvRing;
    return events;
}

// DTR and RTS control values of the device control block.
inline constexpr std::uint8_t kDtrControlDisable = 0;
inline constexpr std::uint8_t kDtrControlEnable = 1;
inline constexpr std::uint8_t kRtsControlDisable = 0;
inline constexpr std::uint8_t kRtsControlHandshake = 2;

// The device control block: the line settings written in one go. Every field not set by the
// caller is 0, like the platform block it mirrors.
struct DeviceControlBlock {
    std::uint32_t BaudRate = 0;
    bool Binary = false;
    bool OutxCtsFlow = false;
    std::uint8_t DtrControl = kDtrControlDisable;
    std::uint8_t RtsControl = kRtsControlDisable;
    bool OutX = false;
    bool InX = false;
    std::uint16_t XonLim = 0;
    std::uint16_t XoffLim = 0;
    std::uint8_t ByteSize = 0;
    std::uint8_t Parity = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    std::uint8_t StopBits = 0; // 0 one, 1 one and a half, 2 two
    char XonChar = 0;
    char XoffChar = 0;
};

// Read and write time-outs in milliseconds.
struct CommTimeouts {
    std::uint32_t ReadIntervalTimeout = 0;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;
};

// How one wait for line events ended.
enum class WaitResult {
    Stop,    // the stop request was seen
    Event,   // the wait completed and reported events
    Ignored, // the wait completed but reported failure; the next wait may be started
    Failed,  // a wait could not be started (e.g. the adapter was unplugged): stop waiting
};

// One waiting thread's wait on one device. Destroying it finishes or cancels a wait that is
// still pending with the device, so nothing writes into it afterwards.
class PortWaiter {
public:
    virtual ~PortWaiter() = default;
    // Starts a wait for the events selected by the device's event mask and blocks until an event,
    // a failure or the stop request. On Event, eventMask holds the reported event bits.
    virtual WaitResult Wait(std::uint32_t& eventMask) = 0;
    // Makes a running Wait, and every later one, return Stop promptly. Any thread; may be called
    // again and again (the waiting thread's owner does so until the thread has ended).
    virtual void RequestStop() = 0;
};

class PortLayer {
public:
    virtual ~PortLayer() = default;

    // The device that port number n (1..255) stands for, e.g. "\\.\COM3" or "/dev/ttyUSB0";
    // empty when the number maps to no device. The answer does not change while the layer lives
    // (on POSIX the table is made when the layer is created, see PortMapping.h).
    virtual std::string DeviceName(int port) = 0;
    // Opens the device for reading and writing, exclusively, existing devices only, for
    // asynchronous waits. kInvalidPortHandle on failure (LastErrorText tells why).
    virtual PortHandle OpenDevice(const std::string& name) = 0;
    virtual void CloseDevice(PortHandle handle) = 0;
    // Whether the platform reports the handle as a character device.
    virtual bool IsCharacterDevice(PortHandle handle) = 0;

    // Configuration; each reports success.
    virtual bool SetCommState(PortHandle handle, const DeviceControlBlock& dcb) = 0;
    virtual bool GetCommTimeouts(PortHandle handle, CommTimeouts& timeouts) = 0;
    virtual bool SetCommTimeouts(PortHandle handle, const CommTimeouts& timeouts) = 0;
    virtual bool SetupComm(PortHandle handle, std::int32_t inQueue, std::int32_t outQueue) = 0;
    // Selects the events that end a wait.
    virtual bool SetCommMask(PortHandle handle, std::uint32_t eventMask) = 0;

    // Discards pending input (abort and clear).
    virtual void PurgeInput(PortHandle handle) = 0;
    // Fetches and clears the error state; inQueue = bytes waiting in the input queue.
    virtual bool ClearCommError(PortHandle handle, std::uint32_t& inQueue) = 0;
    // The modem status word (kMs* bits).
    virtual bool GetModemStatus(PortHandle handle, std::uint32_t& status) = 0;
    // The driver's per-line change counters; false where none are kept (Windows, some drivers):
    // the waiting thread then goes by the wait's event bits and the levels.
    virtual bool GetLineCounters(PortHandle handle, LineCounters& counters) = 0;

    // A waiter for the waiting thread of this handle.
    virtual std::unique_ptr<PortWaiter> CreateWaiter(PortHandle handle) = 0;
    // What the waiting thread asks for its priority as it starts (ThreadPriority.h); nullptr: it
    // runs as it was made.
    virtual ThreadPriority* WaitingThreadPriority() { return nullptr; }

    // The USB adapter's latency timer of an open device (LatencyTimer.h), after the unprivileged
    // request for low latency; not Known where the device has none the layer can read.
    virtual LatencyTimer PrepareLatency(PortHandle, const std::string& device) {
        LatencyTimer timer;
        timer.Device = device;
        return timer;
    }
    // Sets the adapter's latency timer of a device to ms; false when refused or not possible.
    virtual bool SetLatencyTimer(const std::string&, int) { return false; }

    // The message text of the last failure of a call on the user-interface thread: the
    // platform's text, at most 255 characters, or the error number in decimal.
    virtual std::string LastErrorText() = 0;
};

// The backend of the platform this program was built for.
std::unique_ptr<PortLayer> CreatePlatformPortLayer();

} // namespace vandoret
