// The serial port layer of Windows against real handles; runs on Windows only (or under wine).
// A serial port to open is optional: VANDORET_TEST_COM_PORT names its number (scripts/cross-windows
// maps one to a pseudo-terminal under wine); without it those tests are skipped.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>

#include "contacts/Comms.h"
#include "contacts/port_layer/PortLayer.h"
#include "fakes/QueueDispatcher.h"
#include "lists/TextFile.h"

namespace vandoret {
namespace {

using namespace std::chrono_literals;

class Win32Port : public ::testing::Test {
protected:
    std::unique_ptr<PortLayer> layer = CreatePlatformPortLayer();
};

TEST_F(Win32Port, DeviceNamesOfThePortNumbers) {
    const struct {
        int port;
        const char* name;
    } cases[] = {{0, ""}, {-1, ""}, {1, "\\\\.\\COM1"}, {10, "\\\\.\\COM10"}, {255, "\\\\.\\COM255"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.port);
        EXPECT_EQ(layer->DeviceName(c.port), c.name);
    }
}

TEST_F(Win32Port, AMissingPortFailsWithAText) {
    EXPECT_EQ(layer->OpenDevice(layer->DeviceName(251)), kInvalidPortHandle);
    const std::string text = layer->LastErrorText();
    EXPECT_FALSE(text.empty());
    EXPECT_LE(text.size(), 255u);
}

TEST_F(Win32Port, AFileIsNoCharacterDevice) {
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "vandoret_port_layer.txt";
    std::ofstream(file) << "x";
    const PortHandle handle = layer->OpenDevice(PathToUtf8(file));
    ASSERT_NE(handle, kInvalidPortHandle);
    EXPECT_FALSE(layer->IsCharacterDevice(handle));
    layer->CloseDevice(handle);
    std::filesystem::remove(file);
}

// The null device is a character device but no serial port: configuring it fails, and a wait on
// it ends at once instead of hanging the waiting thread.
TEST_F(Win32Port, TheNullDeviceIsNoSerialPort) {
    const PortHandle handle = layer->OpenDevice("NUL");
    ASSERT_NE(handle, kInvalidPortHandle);
    EXPECT_TRUE(layer->IsCharacterDevice(handle));
    DeviceControlBlock dcb;
    dcb.BaudRate = 9600;
    dcb.ByteSize = 8;
    EXPECT_FALSE(layer->SetCommState(handle, dcb));
    EXPECT_FALSE(layer->LastErrorText().empty());
    {
        std::unique_ptr<PortWaiter> waiter = layer->CreateWaiter(handle);
        auto wait = std::async(std::launch::async, [&waiter] {
            std::uint32_t mask = 0;
            return waiter->Wait(mask);
        });
        ASSERT_EQ(wait.wait_for(10s), std::future_status::ready);
        EXPECT_EQ(wait.get(), WaitResult::Failed);
    }
    layer->CloseDevice(handle);
}

// After the stop request every wait ends with Stop, even on a device where no wait can start.
TEST_F(Win32Port, AStoppedWaiterStartsNoFurtherWait) {
    const PortHandle handle = layer->OpenDevice("NUL");
    ASSERT_NE(handle, kInvalidPortHandle);
    std::unique_ptr<PortWaiter> waiter = layer->CreateWaiter(handle);
    waiter->RequestStop();
    waiter->RequestStop();
    std::uint32_t mask = 0;
    EXPECT_EQ(waiter->Wait(mask), WaitResult::Stop);
    EXPECT_EQ(waiter->Wait(mask), WaitResult::Stop);
    waiter.reset();
    layer->CloseDevice(handle);
}

// The port number given for these tests, 0 when there is none.
int TestPortNumber() {
    const char* number = std::getenv("VANDORET_TEST_COM_PORT");
    return number == nullptr ? 0 : std::atoi(number);
}

TEST_F(Win32Port, ASerialPortTakesItsConfiguration) {
    if (TestPortNumber() <= 0) {
        GTEST_SKIP() << "no serial port given in VANDORET_TEST_COM_PORT";
    }
    const PortHandle handle = layer->OpenDevice(layer->DeviceName(TestPortNumber()));
    ASSERT_NE(handle, kInvalidPortHandle) << layer->LastErrorText();
    EXPECT_TRUE(layer->IsCharacterDevice(handle));

    DeviceControlBlock dcb;
    dcb.BaudRate = 9600;
    dcb.Binary = true;
    dcb.DtrControl = kDtrControlEnable;
    dcb.RtsControl = kRtsControlHandshake;
    dcb.ByteSize = 8;
    EXPECT_TRUE(layer->SetCommState(handle, dcb)) << layer->LastErrorText();
    CommTimeouts timeouts;
    EXPECT_TRUE(layer->GetCommTimeouts(handle, timeouts));
    timeouts.ReadIntervalTimeout = 0xFFFFFFFFu;
    EXPECT_TRUE(layer->SetCommTimeouts(handle, timeouts));
    EXPECT_TRUE(layer->SetupComm(handle, 1024, 1024));
    EXPECT_TRUE(layer->SetCommMask(handle, kEvCts | kEvDsr | kEvRlsd));
    std::uint32_t inQueue = 99;
    EXPECT_TRUE(layer->ClearCommError(handle, inQueue));
    EXPECT_EQ(inQueue, 0u);
    layer->PurgeInput(handle);
    layer->CloseDevice(handle);

    // Closed, it can be opened again.
    const PortHandle again = layer->OpenDevice(layer->DeviceName(TestPortNumber()));
    EXPECT_NE(again, kInvalidPortHandle);
    layer->CloseDevice(again);
}

class Win32ComPort : public Win32Port {
protected:
    Win32ComPort() {
        port.OnOpen = [this](TComPort&) { calls.push_back("open"); };
        port.OnClose = [this](TComPort&) { calls.push_back("close"); };
    }

    testing::QueueDispatcher ui;
    std::vector<std::string> calls;
    TComPort port{*layer, ui, [] { return MakeTimeOfDay(9, 30, 0); }};
};

TEST_F(Win32ComPort, AMissingPortThrowsAndStaysClosed) {
    port.Port = 251;
    EXPECT_THROW(port.Open(), EComHandle);
    EXPECT_FALSE(port.Connected());
    port.Close();
    EXPECT_TRUE(calls.empty());
}

// Opening configures the device and starts the waiting thread; closing stops it and releases the
// device, so the port opens again. (Without the ioctl shim, wine cannot read the lines of a
// pseudo-terminal: the thread then ends at once and reports the port as lost. With it, see
// WineSerialLines_test.cpp.)
TEST_F(Win32ComPort, OpensAndClosesASerialPort) {
    if (TestPortNumber() <= 0 || TestPortNumber() > 255) {
        GTEST_SKIP() << "no serial port given in VANDORET_TEST_COM_PORT";
    }
    port.Port = static_cast<std::uint8_t>(TestPortNumber());
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        calls.clear();
        ASSERT_NO_THROW(port.Open());
        ui.PumpUntil([] { return false; }, 200ms);
        port.Close();
        EXPECT_EQ(calls, (std::vector<std::string>{"open", "close"}));
        EXPECT_FALSE(port.Connected());
    }
}

} // namespace
} // namespace vandoret

#endif // _WIN32
