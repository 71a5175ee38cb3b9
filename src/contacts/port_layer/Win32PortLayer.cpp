// The serial port layer on Windows: CreateFileA (exclusive, overlapped), SetCommState,
// Get/SetCommTimeouts, SetupComm, SetCommMask, an overlapped WaitCommEvent ended by either its
// completion event or the stop event (WaitForMultipleObjects), GetOverlappedResult, PurgeComm,
// ClearCommError, GetCommModemStatus, GetFileType and FormatMessageA.
//
// A wait still pending with the device when the waiter goes (the thread left on the stop event)
// is ended by SetCommMask(0), which completes it at once, and then awaited with
// GetOverlappedResult, before the record and the event bits it writes into are released.
//
// The latency timer of an FTDI adapter is read (never written) from the driver's value
// LatencyTimer in the device's key "HKLM\SYSTEM\CurrentControlSet\Enum\FTDIBUS\<device>\<instance>\Device
// Parameters", the key whose PortName is the port's COM name.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cctype>
#include <string>

#include "contacts/port_layer/PortLayer.h"

namespace vandoret {

namespace {

HANDLE AsHandle(PortHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// GetVersionExA is marked deprecated; it is still what tells the NT family apart.
#if defined(_MSC_VER)
#pragma warning(push)
#pragma warning(disable : 4996)
#elif defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
bool PlatformVersion(OSVERSIONINFOA& version) {
    return GetVersionExA(&version) != FALSE;
}
#if defined(_MSC_VER)
#pragma warning(pop)
#elif defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

// The COM name of a device name ("\\\\.\\COM3" -> "COM3").
std::string ComName(const std::string& device) {
    const std::size_t slash = device.find_last_of('\\');
    return slash == std::string::npos ? device : device.substr(slash + 1);
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// The names of a key's subkeys, in the registry's order.
template <typename Visit> bool ForEachSubkey(HKEY key, Visit visit) {
    for (DWORD index = 0;; ++index) {
        char name[256] = {};
        DWORD length = sizeof name;
        const LSTATUS status = RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS) {
            return false;
        }
        if (visit(std::string(name, length))) {
            return true;
        }
    }
}

// The FTDI driver's latency timer of a COM port, read from its device key.
LatencyTimer ReadFtdiLatency(const std::string& com) {
    LatencyTimer timer;
    timer.Device = com;
    const std::string root = "SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS";
    HKEY bus = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, root.c_str(), 0, KEY_READ, &bus) != ERROR_SUCCESS) {
        return timer;
    }
    ForEachSubkey(bus, [&](const std::string& device) {
        HKEY deviceKey = nullptr;
        if (RegOpenKeyExA(bus, device.c_str(), 0, KEY_READ, &deviceKey) != ERROR_SUCCESS) {
            return false;
        }
        const bool found = ForEachSubkey(deviceKey, [&](const std::string& instance) {
            const std::string sub = instance + "\\Device Parameters";
            char portName[64] = {};
            DWORD size = sizeof portName;
            if (RegGetValueA(deviceKey, sub.c_str(), "PortName", RRF_RT_REG_SZ, nullptr, portName, &size) !=
                    ERROR_SUCCESS ||
                !SameName(portName, com)) {
                return false;
            }
            DWORD ms = 0;
            size = sizeof ms;
            if (RegGetValueA(deviceKey, sub.c_str(), "LatencyTimer", RRF_RT_REG_DWORD, nullptr, &ms, &size) ==
                    ERROR_SUCCESS &&
                ms >= 1 && ms <= 255) {
                timer.Known = true;
                timer.Milliseconds = static_cast<int>(ms);
                timer.Where = "HKEY_LOCAL_MACHINE\\" + root + "\\" + device + "\\" + sub;
            }
            return true;
        });
        RegCloseKey(deviceKey);
        return found;
    });
    RegCloseKey(bus);
    return timer;
}

class Win32PortWaiter : public PortWaiter {
public:
    explicit Win32PortWaiter(HANDLE port) : port_(port) {
        stopEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);        // manual reset, not signalled
        overlapped_.hEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr); // manual reset, signalled
    }

    ~Win32PortWaiter() override {
        if (pending_) {
            SetCommMask(port_, 0);
            DWORD transferred = 0;
            GetOverlappedResult(port_, &overlapped_, &transferred, TRUE);
        }
        if (overlapped_.hEvent != nullptr) {
            CloseHandle(overlapped_.hEvent);
        }
        if (stopEvent_ != nullptr) {
            CloseHandle(stopEvent_);
        }
    }

    WaitResult Wait(std::uint32_t& eventMask) override {
        if (stopEvent_ == nullptr || overlapped_.hEvent == nullptr) {
            return WaitResult::Failed;
        }
        // Once stopped, every later call ends at once: no new wait is started (one may still be
        // pending with the device).
        if (WaitForSingleObject(stopEvent_, 0) == WAIT_OBJECT_0) {
            return WaitResult::Stop;
        }
        eventBits_ = 0;
        if (WaitCommEvent(port_, &eventBits_, &overlapped_)) {
            pending_ = false; // done at once; the completion event is signalled
        } else if (GetLastError() == ERROR_IO_PENDING) {
            pending_ = true;
        } else {
            // No wait could be started (e.g. the adapter was unplugged); the completion event
            // may still be signalled from the last wait, so going round again would spin.
            pending_ = false;
            return WaitResult::Failed;
        }
        const HANDLE objects[2] = {stopEvent_, overlapped_.hEvent};
        const DWORD which = WaitForMultipleObjects(2, objects, FALSE, INFINITE);
        if (which == WAIT_OBJECT_0) {
            return WaitResult::Stop; // the pending wait is ended by the destructor
        }
        if (which != WAIT_OBJECT_0 + 1) {
            return WaitResult::Failed;
        }
        pending_ = false;
        DWORD transferred = 0;
        if (!GetOverlappedResult(port_, &overlapped_, &transferred, FALSE)) {
            return WaitResult::Ignored;
        }
        eventMask = eventBits_;
        return WaitResult::Event;
    }

    void RequestStop() override {
        if (stopEvent_ != nullptr) {
            SetEvent(stopEvent_);
        }
    }

private:
    HANDLE port_;
    HANDLE stopEvent_ = nullptr;
    OVERLAPPED overlapped_{};
    DWORD eventBits_ = 0;
    bool pending_ = false;
};

class Win32PortLayer : public PortLayer {
public:
    std::string DeviceName(int port) override {
        if (port <= 0) {
            return {};
        }
        std::string name = "COM" + std::to_string(port);
        OSVERSIONINFOA version{};
        version.dwOSVersionInfoSize = sizeof version;
        if (PlatformVersion(version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
            name = "\\\\.\\" + name;
        }
        return name;
    }

    PortHandle OpenDevice(const std::string& name) override {
        const HANDLE handle = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_OVERLAPPED, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            lastError_ = GetLastError();
            return kInvalidPortHandle;
        }
        return reinterpret_cast<PortHandle>(handle);
    }

    void CloseDevice(PortHandle handle) override { CloseHandle(AsHandle(handle)); }

    bool IsCharacterDevice(PortHandle handle) override { return GetFileType(AsHandle(handle)) == FILE_TYPE_CHAR; }

    bool SetCommState(PortHandle handle, const DeviceControlBlock& block) override {
        DCB dcb{};
        dcb.DCBlength = sizeof(DCB);
        dcb.BaudRate = block.BaudRate;
        dcb.fBinary = block.Binary ? 1 : 0;
        dcb.fOutxCtsFlow = block.OutxCtsFlow ? 1 : 0;
        dcb.fDtrControl = block.DtrControl;
        dcb.fRtsControl = block.RtsControl;
        dcb.fOutX = block.OutX ? 1 : 0;
        dcb.fInX = block.InX ? 1 : 0;
        dcb.XonLim = block.XonLim;
        dcb.XoffLim = block.XoffLim;
        dcb.ByteSize = block.ByteSize;
        dcb.Parity = block.Parity;
        dcb.StopBits = block.StopBits;
        dcb.XonChar = block.XonChar;
        dcb.XoffChar = block.XoffChar;
        return Check(::SetCommState(AsHandle(handle), &dcb));
    }

    bool GetCommTimeouts(PortHandle handle, CommTimeouts& timeouts) override {
        COMMTIMEOUTS t{};
        if (!Check(::GetCommTimeouts(AsHandle(handle), &t))) {
            return false;
        }
        timeouts.ReadIntervalTimeout = t.ReadIntervalTimeout;
        timeouts.ReadTotalTimeoutMultiplier = t.ReadTotalTimeoutMultiplier;
        timeouts.ReadTotalTimeoutConstant = t.ReadTotalTimeoutConstant;
        timeouts.WriteTotalTimeoutMultiplier = t.WriteTotalTimeoutMultiplier;
        timeouts.WriteTotalTimeoutConstant = t.WriteTotalTimeoutConstant;
        return true;
    }

    bool SetCommTimeouts(PortHandle handle, const CommTimeouts& timeouts) override {
        COMMTIMEOUTS t{};
        t.ReadIntervalTimeout = timeouts.ReadIntervalTimeout;
        t.ReadTotalTimeoutMultiplier = timeouts.ReadTotalTimeoutMultiplier;
        t.ReadTotalTimeoutConstant = timeouts.ReadTotalTimeoutConstant;
        t.WriteTotalTimeoutMultiplier = timeouts.WriteTotalTimeoutMultiplier;
        t.WriteTotalTimeoutConstant = timeouts.WriteTotalTimeoutConstant;
        return Check(::SetCommTimeouts(AsHandle(handle), &t));
    }

    bool SetupComm(PortHandle handle, std::int32_t inQueue, std::int32_t outQueue) override {
        return Check(::SetupComm(AsHandle(handle), static_cast<DWORD>(inQueue), static_cast<DWORD>(outQueue)));
    }

    bool SetCommMask(PortHandle handle, std::uint32_t eventMask) override {
        return Check(::SetCommMask(AsHandle(handle), eventMask));
    }

    void PurgeInput(PortHandle handle) override { PurgeComm(AsHandle(handle), PURGE_RXABORT | PURGE_RXCLEAR); }

    bool ClearCommError(PortHandle handle, std::uint32_t& inQueue) override {
        DWORD errors = 0;
        COMSTAT status{};
        inQueue = 0;
        if (!::ClearCommError(AsHandle(handle), &errors, &status)) {
            return false;
        }
        inQueue = status.cbInQue;
        return true;
    }

    bool GetModemStatus(PortHandle handle, std::uint32_t& status) override {
        DWORD bits = 0;
        if (!GetCommModemStatus(AsHandle(handle), &bits)) {
            status = 0;
            return false;
        }
        status = bits;
        return true;
    }

    // Windows keeps no per-line counters; the event bits of WaitCommEvent tell which line moved.
    bool GetLineCounters(PortHandle, LineCounters&) override { return false; }

    std::unique_ptr<PortWaiter> CreateWaiter(PortHandle handle) override {
        return std::make_unique<Win32PortWaiter>(AsHandle(handle));
    }

    ThreadPriority* WaitingThreadPriority() override { return priority_.get(); }

    LatencyTimer PrepareLatency(PortHandle, const std::string& device) override {
        return ReadFtdiLatency(ComName(device));
    }

    std::string LastErrorText() override {
        char buffer[256] = {};
        const DWORD length =
            FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, lastError_,
                           MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer, 255, nullptr);
        if (length == 0) {
            return std::to_string(lastError_);
        }
        return std::string(buffer, length);
    }

private:
    bool Check(BOOL ok) {
        if (!ok) {
            lastError_ = GetLastError();
        }
        return ok != FALSE;
    }

    DWORD lastError_ = 0;
    std::unique_ptr<ThreadPriority> priority_ = CreatePlatformThreadPriority();
};

} // namespace

std::unique_ptr<PortLayer> CreatePlatformPortLayer() {
    return std::make_unique<Win32PortLayer>();
}

} // namespace vandoret
