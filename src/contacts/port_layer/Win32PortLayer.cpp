// The serial port layer on Windows: CreateFileA (exclusive, overlapped), SetCommState,
// Get/SetCommTimeouts, SetupComm, SetCommMask, an overlapped WaitCommEvent ended by either its
// completion event or the stop event (WaitForMultipleObjects), GetOverlappedResult, PurgeComm,
// ClearCommError, GetCommModemStatus, GetFileType and FormatMessageA.
//
// A wait still pending with the device when the waiter goes (the thread left on the stop event)
// is ended by SetCommMask(0), which completes it at once, and then awaited with
// GetOverlappedResult, before the record and the event bits it writes into are released.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

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
};

} // namespace

std::unique_ptr<PortLayer> CreatePlatformPortLayer() {
    return std::make_unique<Win32PortLayer>();
}

} // namespace vandoret
