// A PortLayer for tests: devices, failures and line changes are scripted by the test, every call
// is recorded. The waiting thread's Wait blocks until the test changes a line (SetLines), injects
// an event, unplugs the device or the stop is requested; like a device, it then reports every
// line that moved since the last wait in one go. Thread-safe.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "contacts/port_layer/PortLayer.h"

namespace vandoret::testing {

// A ThreadPriority that grants what the test says, or refuses, and notes who asked.
class FakeThreadPriority : public ThreadPriority {
public:
    PriorityGrant RaiseCallingThread() override;
    void Grant(PriorityGrant grant);
    void Refuse() { Grant({}); }
    void ThrowOnRequest(bool on);
    int Requests() const;
    std::thread::id AskedBy() const; // the thread of the last request

private:
    mutable std::mutex mutex_;
    PriorityGrant grant_{PriorityGrant::Kind::RealTime, kRealTimeLevel};
    bool throw_ = false;
    int requests_ = 0;
    std::thread::id askedBy_;
};

class FakePortLayer : public PortLayer {
public:
    struct Device {
        bool characterDevice = true;
        bool heldElsewhere = false; // another program has it open: opening fails
    };

    // ---- Script (any thread) ----
    // Port n is named "COM<n>"; a device exists only when added.
    void AddDevice(int port);
    void AddDevice(int port, Device device);
    // Configuration failures: the named call fails (reports false) until reset.
    bool failSetCommState = false, failGetCommTimeouts = false, failSetCommTimeouts = false, failSetupComm = false;
    bool failModemStatus = false;
    // Whether the layer keeps per-line change counters (as Linux drivers do); off: like Windows.
    bool keepCounters = true;
    std::string errorText = "Zugriff verweigert";

    // Sets the modem status word; the lines that changed produce one wait event.
    void SetLines(std::uint32_t status);
    // The lines of these event bits go to the other level and back at once: one wait event
    // reporting them, their counters moved by two, the status word as before.
    void Pulse(std::uint32_t eventMask);
    // Queues an event with these bits without changing the lines.
    void InjectEvent(std::uint32_t eventMask);
    // The next waits report a completed wait with failure (Ignored).
    void IgnoreWaits(int count);
    // The device goes away: every wait from now on fails to start, and it cannot be opened.
    void Unplug();
    // The device is back: it opens again.
    void Replug();
    // The priority the waiting thread is granted; null: the layer offers none.
    FakeThreadPriority priority;
    bool offerPriority = true;
    // The adapter's latency timer a port opens with (Device is filled in); a write of a timer
    // whose Writable is set takes effect.
    LatencyTimer latency;
    // Called on the waiting thread when a wait completes with an event, before Wait returns.
    std::function<void()> onEventReturned;

    // ---- Observations (any thread) ----
    std::uint32_t Lines() const;
    int OpenHandles() const;
    int WaitCalls() const;
    int WaitersAlive() const;
    int PurgeCalls() const;
    int StatusQueries() const;
    std::uint32_t EventMask() const;
    DeviceControlBlock LastDcb() const;
    CommTimeouts LastTimeouts() const;
    std::vector<std::string> Calls() const; // "open COM3", "state", "gettimeouts", ...
    // Blocks until a waiter is blocked in Wait with nothing queued (or the timeout passes).
    bool WaitUntilIdle(std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;

    // ---- PortLayer ----
    std::string DeviceName(int port) override;
    PortHandle OpenDevice(const std::string& name) override;
    void CloseDevice(PortHandle handle) override;
    bool IsCharacterDevice(PortHandle handle) override;
    bool SetCommState(PortHandle handle, const DeviceControlBlock& dcb) override;
    bool GetCommTimeouts(PortHandle handle, CommTimeouts& timeouts) override;
    bool SetCommTimeouts(PortHandle handle, const CommTimeouts& timeouts) override;
    bool SetupComm(PortHandle handle, std::int32_t inQueue, std::int32_t outQueue) override;
    bool SetCommMask(PortHandle handle, std::uint32_t eventMask) override;
    void PurgeInput(PortHandle handle) override;
    bool ClearCommError(PortHandle handle, std::uint32_t& inQueue) override;
    bool GetModemStatus(PortHandle handle, std::uint32_t& status) override;
    bool GetLineCounters(PortHandle handle, LineCounters& counters) override;
    std::unique_ptr<PortWaiter> CreateWaiter(PortHandle handle) override;
    ThreadPriority* WaitingThreadPriority() override { return offerPriority ? &priority : nullptr; }
    LatencyTimer PrepareLatency(PortHandle handle, const std::string& device) override;
    bool SetLatencyTimer(const std::string& device, int ms) override;
    std::string LastErrorText() override;

private:
    class Waiter;
    friend class Waiter;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::map<std::string, Device> devices_;
    std::map<PortHandle, std::string> open_;
    PortHandle nextHandle_ = 100;
    std::uint32_t lines_ = 0;
    LineCounters counters_;
    std::uint32_t mask_ = 0;
    std::deque<std::uint32_t> events_;
    int ignoreWaits_ = 0;
    bool unplugged_ = false;
    int waitCalls_ = 0;
    int waitersAlive_ = 0;
    int blockedWaiters_ = 0;
    int purgeCalls_ = 0;
    int statusQueries_ = 0;
    DeviceControlBlock dcb_;
    CommTimeouts timeouts_;
    std::vector<std::string> calls_;
};

} // namespace vandoret::testing
