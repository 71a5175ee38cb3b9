#include "fakes/FakePortLayer.h"

#include <stdexcept>

namespace vandoret::testing {

class FakePortLayer::Waiter : public PortWaiter {
public:
    explicit Waiter(FakePortLayer& layer) : layer_(layer) {
        std::lock_guard lock(layer_.mutex_);
        ++layer_.waitersAlive_;
    }
    ~Waiter() override {
        std::lock_guard lock(layer_.mutex_);
        --layer_.waitersAlive_;
    }

    WaitResult Wait(std::uint32_t& eventMask) override {
        std::unique_lock lock(layer_.mutex_);
        ++layer_.waitCalls_;
        if (layer_.unplugged_) {
            return WaitResult::Failed;
        }
        if (layer_.ignoreWaits_ > 0) {
            --layer_.ignoreWaits_;
            return WaitResult::Ignored;
        }
        ++layer_.blockedWaiters_;
        layer_.changed_.notify_all();
        layer_.changed_.wait(lock, [this] { return stop_ || layer_.unplugged_ || !layer_.events_.empty(); });
        --layer_.blockedWaiters_;
        if (stop_) {
            return WaitResult::Stop;
        }
        if (layer_.unplugged_) {
            return WaitResult::Failed;
        }
        // Like the devices, one completed wait reports every line that moved since the last one.
        eventMask = 0;
        for (const std::uint32_t events : layer_.events_) {
            eventMask |= events;
        }
        eventMask &= layer_.mask_;
        layer_.events_.clear();
        const auto hook = layer_.onEventReturned;
        lock.unlock();
        if (hook) {
            hook();
        }
        return WaitResult::Event;
    }

    void RequestStop() override {
        std::lock_guard lock(layer_.mutex_);
        stop_ = true;
        layer_.changed_.notify_all();
    }

private:
    FakePortLayer& layer_;
    bool stop_ = false; // guarded by the layer's mutex
};

PriorityGrant FakeThreadPriority::RaiseCallingThread() {
    std::lock_guard lock(mutex_);
    ++requests_;
    askedBy_ = std::this_thread::get_id();
    if (throw_) {
        throw std::runtime_error("sched_setscheduler: Operation not permitted");
    }
    return grant_;
}
void FakeThreadPriority::Grant(PriorityGrant grant) {
    std::lock_guard lock(mutex_);
    grant_ = grant;
}
void FakeThreadPriority::ThrowOnRequest(bool on) {
    std::lock_guard lock(mutex_);
    throw_ = on;
}
int FakeThreadPriority::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}
std::thread::id FakeThreadPriority::AskedBy() const {
    std::lock_guard lock(mutex_);
    return askedBy_;
}

void FakePortLayer::AddDevice(int port) {
    AddDevice(port, Device{});
}

void FakePortLayer::AddDevice(int port, Device device) {
    std::lock_guard lock(mutex_);
    devices_["COM" + std::to_string(port)] = device;
}

namespace {

void Count(LineCounters& counters, std::uint32_t events, std::uint32_t times) {
    if (events & kEvCts)
        counters.Cts += times;
    if (events & kEvDsr)
        counters.Dsr += times;
    if (events & kEvRlsd)
        counters.Rlsd += times;
    if (events & kEvRing)
        counters.Ring += times;
}

} // namespace

void FakePortLayer::SetLines(std::uint32_t status) {
    std::lock_guard lock(mutex_);
    const std::uint32_t events = ModemLineEvents(lines_, status);
    lines_ = status;
    Count(counters_, events, 1);
    if (events != 0) {
        events_.push_back(events);
        changed_.notify_all();
    }
}

void FakePortLayer::Pulse(std::uint32_t eventMask) {
    std::lock_guard lock(mutex_);
    Count(counters_, eventMask, 2);
    events_.push_back(eventMask);
    changed_.notify_all();
}

void FakePortLayer::InjectEvent(std::uint32_t eventMask) {
    std::lock_guard lock(mutex_);
    events_.push_back(eventMask);
    changed_.notify_all();
}

void FakePortLayer::IgnoreWaits(int count) {
    std::lock_guard lock(mutex_);
    ignoreWaits_ = count;
}

void FakePortLayer::Unplug() {
    std::lock_guard lock(mutex_);
    unplugged_ = true;
    changed_.notify_all();
}

void FakePortLayer::Replug() {
    std::lock_guard lock(mutex_);
    unplugged_ = false;
}

LatencyTimer FakePortLayer::PrepareLatency(PortHandle, const std::string& device) {
    std::lock_guard lock(mutex_);
    LatencyTimer timer = latency;
    timer.Device = device;
    return timer;
}

bool FakePortLayer::SetLatencyTimer(const std::string& device, int ms) {
    std::lock_guard lock(mutex_);
    calls_.push_back("set latency " + device + " " + std::to_string(ms));
    if (!latency.Known || !latency.Writable) {
        return false;
    }
    latency.Milliseconds = ms;
    return true;
}

std::uint32_t FakePortLayer::Lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}
int FakePortLayer::OpenHandles() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(open_.size());
}
int FakePortLayer::WaitCalls() const {
    std::lock_guard lock(mutex_);
    return waitCalls_;
}
int FakePortLayer::WaitersAlive() const {
    std::lock_guard lock(mutex_);
    return waitersAlive_;
}
int FakePortLayer::PurgeCalls() const {
    std::lock_guard lock(mutex_);
    return purgeCalls_;
}
int FakePortLayer::StatusQueries() const {
    std::lock_guard lock(mutex_);
    return statusQueries_;
}
std::uint32_t FakePortLayer::EventMask() const {
    std::lock_guard lock(mutex_);
    return mask_;
}
DeviceControlBlock FakePortLayer::LastDcb() const {
    std::lock_guard lock(mutex_);
    return dcb_;
}
CommTimeouts FakePortLayer::LastTimeouts() const {
    std::lock_guard lock(mutex_);
    return timeouts_;
}
std::vector<std::string> FakePortLayer::Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

bool FakePortLayer::WaitUntilIdle(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return blockedWaiters_ > 0 && events_.empty(); });
}

std::string FakePortLayer::DeviceName(int port) {
    return port > 0 ? "COM" + std::to_string(port) : std::string();
}

PortHandle FakePortLayer::OpenDevice(const std::string& name) {
    std::lock_guard lock(mutex_);
    calls_.push_back("open " + name);
    const auto it = devices_.find(name);
    if (it == devices_.end() || it->second.heldElsewhere || unplugged_) {
        return kInvalidPortHandle;
    }
    for (const auto& [handle, device] : open_) {
        if (device == name) {
            return kInvalidPortHandle; // exclusive
        }
    }
    const PortHandle handle = nextHandle_++;
    open_[handle] = name;
    return handle;
}

void FakePortLayer::CloseDevice(PortHandle handle) {
    std::lock_guard lock(mutex_);
    calls_.push_back("close");
    open_.erase(handle);
}

bool FakePortLayer::IsCharacterDevice(PortHandle handle) {
    std::lock_guard lock(mutex_);
    const auto it = open_.find(handle);
    return it != open_.end() && devices_[it->second].characterDevice;
}

bool FakePortLayer::SetCommState(PortHandle, const DeviceControlBlock& dcb) {
    std::lock_guard lock(mutex_);
    calls_.push_back("state");
    dcb_ = dcb;
    return !failSetCommState;
}

bool FakePortLayer::GetCommTimeouts(PortHandle, CommTimeouts& timeouts) {
    std::lock_guard lock(mutex_);
    calls_.push_back("gettimeouts");
    timeouts = timeouts_;
    return !failGetCommTimeouts;
}

bool FakePortLayer::SetCommTimeouts(PortHandle, const CommTimeouts& timeouts) {
    std::lock_guard lock(mutex_);
    calls_.push_back("settimeouts");
    timeouts_ = timeouts;
    return !failSetCommTimeouts;
}

bool FakePortLayer::SetupComm(PortHandle, std::int32_t inQueue, std::int32_t outQueue) {
    std::lock_guard lock(mutex_);
    calls_.push_back("setup " + std::to_string(inQueue) + " " + std::to_string(outQueue));
    return !failSetupComm;
}

bool FakePortLayer::SetCommMask(PortHandle, std::uint32_t eventMask) {
    std::lock_guard lock(mutex_);
    mask_ = eventMask;
    return true;
}

void FakePortLayer::PurgeInput(PortHandle) {
    std::lock_guard lock(mutex_);
    ++purgeCalls_;
}

bool FakePortLayer::ClearCommError(PortHandle, std::uint32_t& inQueue) {
    inQueue = 0;
    return true;
}

bool FakePortLayer::GetModemStatus(PortHandle, std::uint32_t& status) {
    std::lock_guard lock(mutex_);
    ++statusQueries_;
    if (failModemStatus) {
        status = 0;
        return false;
    }
    status = lines_;
    return true;
}

bool FakePortLayer::GetLineCounters(PortHandle, LineCounters& counters) {
    std::lock_guard lock(mutex_);
    counters = counters_;
    return keepCounters;
}

std::unique_ptr<PortWaiter> FakePortLayer::CreateWaiter(PortHandle) {
    {
        std::lock_guard lock(mutex_);
        events_.clear(); // a new waiter reports changes from now on, as a device does
    }
    return std::make_unique<Waiter>(*this);
}

std::string FakePortLayer::LastErrorText() {
    std::lock_guard lock(mutex_);
    return errorText;
}

} // namespace vandoret::testing
