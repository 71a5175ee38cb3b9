// TComPort and TComThread over the scripted port layer: settings, opening and its failures, the
// order of the handlers, the hand-over and closing.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "contacts/Comms.h"
#include "fakes/FakePortLayer.h"
#include "fakes/QueueDispatcher.h"

namespace vandoret {
namespace {

using testing::FakePortLayer;
using testing::QueueDispatcher;

class ComPortTest : public ::testing::Test {
protected:
    ComPortTest() : port(layer, ui, [this] { return clock.load(); }) {
        layer.AddDevice(3);
        port.Port = 3;
        port.OnOpen = [this](TComPort&) { calls.push_back("open"); };
        port.OnClose = [this](TComPort&) { calls.push_back("close"); };
    }

    FakePortLayer layer;
    QueueDispatcher ui;
    std::atomic<double> clock{MakeTimeOfDay(9, 30, 0)};
    std::vector<std::string> calls;
    TComPort port;
};

TEST(ComPortSettings, DataBitsAreKeptWithinFiveToEight) {
    const struct {
        int value;
        int stored;
    } cases[] = {{9, 8}, {4, 5}, {5, 5}, {8, 8}, {6, 6}, {0, 5}, {255, 8}, {-3, 5}, {1000, 8}};
    FakePortLayer layer;
    QueueDispatcher ui;
    for (const auto& c : cases) {
        TComPort port(layer, ui, [] { return 0.0; });
        port.SetDataBits(c.value);
        EXPECT_EQ(port.DataBits(), c.stored) << c.value;
        port.SetDataBits(c.value);
        EXPECT_EQ(port.DataBits(), c.stored) << c.value << " set twice";
    }
}

TEST(ComPortSettings, DefaultsOfTheComponent) {
    FakePortLayer layer;
    QueueDispatcher ui;
    TComPort port(layer, ui, [] { return 0.0; });
    EXPECT_EQ(port.BaudRate, TBaudRate::br9600);
    EXPECT_EQ(port.BaudRateUser, 9600);
    EXPECT_EQ(port.Port, 1);
    EXPECT_EQ(port.Parity, TParity::prNone);
    EXPECT_EQ(port.StopBits, TStopBits::sbOneStopBit);
    EXPECT_EQ(port.FlowControl, TFlowControl::fcNone);
    EXPECT_EQ(port.DataBits(), 8);
    EXPECT_EQ(port.Events, TEvents::All());
    EXPECT_TRUE(port.EnableDTR);
    EXPECT_EQ(port.WriteBufSize, 2048);
    EXPECT_EQ(port.ReadBufSize, 2048);
    EXPECT_FALSE(port.Connected());
    EXPECT_FALSE(port.HandleValid());
}

TEST(ComPortSettings, EventMasksAndRates) {
    EXPECT_EQ(DeviceEventMask(TEvents::All()), 0x1FFu);
    EXPECT_EQ(DeviceEventMask({TEvent::evCTS, TEvent::evDSR, TEvent::evRLSD}), 0x0038u);
    EXPECT_EQ(DeviceEventMask({}), 0u);
    const struct {
        TBaudRate rate;
        std::uint32_t value;
    } rates[] = {{TBaudRate::br110, 110},     {TBaudRate::br9600, 9600},     {TBaudRate::br14400, 14400},
                 {TBaudRate::br56000, 56000}, {TBaudRate::br115200, 115200}, {TBaudRate::br256000, 256000},
                 {TBaudRate::brUser, 28800}};
    for (const auto& r : rates) {
        EXPECT_EQ(BaudRateValue(r.rate, 28800), r.value);
    }
    EXPECT_EQ(BaudRateValue(TBaudRate::brUser, -5), 0u);
}

TEST_F(ComPortTest, OpenWritesTheLineSettings) {
    port.BaudRateUser = 28800;
    port.FlowControl = TFlowControl::fcRtsCts;
    port.SetDataBits(5);
    port.Events = {TEvent::evCTS, TEvent::evDSR, TEvent::evRLSD};
    port.WriteBufSize = 64;
    port.ReadBufSize = 64;
    port.Open();
    ASSERT_TRUE(port.Connected());
    const DeviceControlBlock dcb = layer.LastDcb();
    EXPECT_EQ(dcb.BaudRate, 9600u);
    EXPECT_TRUE(dcb.Binary);
    EXPECT_EQ(dcb.DtrControl, kDtrControlEnable);
    EXPECT_TRUE(dcb.OutxCtsFlow);
    EXPECT_EQ(dcb.RtsControl, kRtsControlHandshake);
    EXPECT_FALSE(dcb.OutX);
    EXPECT_FALSE(dcb.InX);
    EXPECT_EQ(dcb.XonLim, 16);
    EXPECT_EQ(dcb.XoffLim, 1);
    EXPECT_EQ(dcb.XonChar, 17);
    EXPECT_EQ(dcb.XoffChar, 19);
    EXPECT_EQ(dcb.ByteSize, 5);
    EXPECT_EQ(dcb.Parity, 0);
    EXPECT_EQ(dcb.StopBits, 0);
    const CommTimeouts t = layer.LastTimeouts();
    EXPECT_EQ(t.ReadIntervalTimeout, 0xFFFFFFFFu);
    EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(t.ReadTotalTimeoutConstant, 0u);
    EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 1000u);
    EXPECT_EQ(t.WriteTotalTimeoutConstant, 1500u);
    EXPECT_EQ(layer.EventMask(), 0x38u);
    const std::vector<std::string> expected{"open COM3", "state", "gettimeouts", "settimeouts", "setup 64 64"};
    EXPECT_EQ(layer.Calls(), expected);
    EXPECT_EQ(calls, std::vector<std::string>{"open"});
}

TEST_F(ComPortTest, MissingDeviceRaisesEComHandleAndCallsNoHandler) {
    port.Port = 4;
    try {
        port.Open();
        FAIL() << "no exception";
    } catch (const EComHandle& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to open com port: Zugriff verweigert");
    }
    EXPECT_FALSE(port.Connected());
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(layer.WaitersAlive(), 0);
}

TEST_F(ComPortTest, EachConfigurationFailureRaisesEComStateAndReleasesTheDevice) {
    bool FakePortLayer::*const failures[] = {&FakePortLayer::failSetCommState, &FakePortLayer::failGetCommTimeouts,
                                             &FakePortLayer::failSetCommTimeouts, &FakePortLayer::failSetupComm};
    for (auto failure : failures) {
        layer.*failure = true;
        EXPECT_THROW(
            {
                try {
                    port.Open();
                } catch (const EComState& e) {
                    EXPECT_EQ(std::string(e.what()), "Unable to set com state: Zugriff verweigert");
                    throw;
                }
            },
            EComState);
        EXPECT_FALSE(port.Connected());
        EXPECT_EQ(layer.OpenHandles(), 0) << "the exclusive device must be closed again";
        layer.*failure = false;
        port.Open(); // not refused as "in use"
        EXPECT_TRUE(port.Connected());
        port.Close();
    }
    EXPECT_EQ(calls, (std::vector<std::string>{"open", "close", "open", "close", "open", "close", "open", "close"}));
}

TEST_F(ComPortTest, ClosingAPortThatIsNotOpenCallsNoHandler) {
    port.Close();
    EXPECT_TRUE(calls.empty());
}

TEST_F(ComPortTest, OpenOnAnOpenPortClosesItFirst) {
    port.Open();
    port.Open();
    EXPECT_EQ(calls, (std::vector<std::string>{"open", "close", "open"}));
    EXPECT_EQ(layer.OpenHandles(), 1);
    port.Close();
    EXPECT_EQ(layer.OpenHandles(), 0);
    EXPECT_EQ(layer.WaitersAlive(), 0);
}

TEST_F(ComPortTest, HandlersRunInTheirOrderOnTheServingThread) {
    std::vector<std::string> order;
    const auto note = [&](const char* name) { return [&order, name](TComPort&) { order.push_back(name); }; };
    port.OnRxChar = [&](TComPort&, std::int32_t inQue) { order.push_back("RxChar " + std::to_string(inQue)); };
    port.OnTxEmpty = note("TxEmpty");
    port.OnBreak = note("Break");
    port.OnRing = note("Ring");
    port.OnCTS = note("CTS");
    port.OnDSR = note("DSR");
    port.OnRxFlag = note("RxFlag");
    port.OnRLSD = note("RLSD");
    port.OnError = note("Error");
    port.Open();
    layer.InjectEvent(0x1FF);
    ASSERT_TRUE(ui.PumpUntil([&] { return order.size() == 9; }));
    const std::vector<std::string> expected{"RxChar 0", "TxEmpty", "Break", "Ring", "CTS",
                                            "DSR",      "RxFlag",  "RLSD",  "Error"};
    EXPECT_EQ(order, expected);

    order.clear();
    layer.SetLines(kMsCtsOn | kMsDsrOn); // one wait reporting two lines
    ASSERT_TRUE(ui.PumpUntil([&] { return order.size() == 2; }));
    EXPECT_EQ(order, (std::vector<std::string>{"CTS", "DSR"}));
}

TEST_F(ComPortTest, TheEventCarriesTheLinesAndTheMomentTheThreadSaw) {
    std::vector<LineEvent> seen;
    port.OnDSR = [&](TComPort& sender) { seen.push_back(sender.CurrentEvent()); };
    port.Open();
    // The thread has taken its starting look and waits (a slow start would see the change there).
    for (int i = 0; i < 5000 && layer.WaitCalls() < 1; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    clock = MakeTimeOfDay(9, 30, 4, 700);
    layer.SetLines(kMsDsrOn);
    ASSERT_TRUE(ui.WaitForPosts(1));
    // The user-interface thread is late: the pulse is over and the clock has moved on.
    layer.SetLines(0);
    clock = MakeTimeOfDay(9, 30, 5, 100);
    ASSERT_TRUE(ui.PumpUntil([&] { return seen.size() == 2; }));
    EXPECT_EQ(seen[0].ModemStatus, kMsDsrOn);
    EXPECT_DOUBLE_EQ(seen[0].Time, MakeTimeOfDay(9, 30, 4, 700));
    EXPECT_EQ(seen[1].ModemStatus, 0u);
}

TEST_F(ComPortTest, ModemStatusIsZeroWhenTheQueryFails) {
    port.Open();
    layer.SetLines(kMsCtsOn | kMsRlsdOn);
    EXPECT_EQ(port.ModemStatus(), kMsCtsOn | kMsRlsdOn);
    layer.failModemStatus = true;
    EXPECT_EQ(port.ModemStatus(), 0u);
}

TEST_F(ComPortTest, CloseServesAHandOverThatIsWaiting) {
    int dsr = 0;
    port.OnDSR = [&](TComPort&) { ++dsr; };
    port.Open();
    layer.SetLines(kMsDsrOn);
    ASSERT_TRUE(ui.WaitForPosts(1)); // the thread is now blocked in its hand-over
    port.Close();                    // must not wait for the thread forever
    EXPECT_EQ(dsr, 1) << "the event was served, not dropped";
    EXPECT_EQ(layer.WaitersAlive(), 0);
    EXPECT_EQ(layer.PurgeCalls(), 1);
    EXPECT_EQ(ui.RunPending(), 1); // the late posted call finds nothing to do
    EXPECT_EQ(dsr, 1);
}

TEST_F(ComPortTest, AHandlerClosingWhileCloseServesItsHandOverClosesOnce) {
    int waitersAtClose = -1;
    port.OnClose = [&](TComPort&) {
        calls.push_back("close");
        waitersAtClose = layer.WaitersAlive();
    };
    port.OnDSR = [](TComPort& sender) { sender.Close(); };
    port.Open();
    ASSERT_TRUE(layer.WaitUntilIdle());
    layer.SetLines(kMsDsrOn);
    ASSERT_TRUE(ui.WaitForPosts(1)); // the thread is blocked in its hand-over
    port.Close();                    // serves it: the handler closes once more
    EXPECT_EQ(calls, (std::vector<std::string>{"open", "close"}));
    EXPECT_EQ(waitersAtClose, 0) << "OnClose comes once the thread has ended";
    EXPECT_EQ(layer.OpenHandles(), 0);
    ui.RunPending();
    EXPECT_EQ(calls.size(), 2u);
}

TEST_F(ComPortTest, AHandlerMayCloseThePort) {
    port.OnCTS = [](TComPort& sender) { sender.Close(); };
    port.Open();
    layer.SetLines(kMsCtsOn);
    ASSERT_TRUE(ui.PumpUntil([&] { return !port.Connected(); }));
    EXPECT_EQ(layer.WaitersAlive(), 0);
    EXPECT_EQ(layer.OpenHandles(), 0);
}

TEST_F(ComPortTest, AHandlerMayCloseThePortWhileAFurtherChangeWaits) {
    port.OnCTS = [](TComPort& sender) { sender.Close(); };
    port.Open();
    ASSERT_TRUE(layer.WaitUntilIdle());
    layer.SetLines(kMsCtsOn);
    ASSERT_TRUE(ui.WaitForPosts(1)); // the thread is blocked in its hand-over
    const int queries = layer.StatusQueries();
    layer.SetLines(kMsCtsOn | kMsDsrOn); // seen while it waits: a second hand-over follows
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (layer.StatusQueries() < queries + 2 && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(ui.PumpUntil([&] { return !port.Connected(); })); // hung here: both sides waited
    EXPECT_EQ(layer.WaitersAlive(), 0);
    EXPECT_EQ(layer.OpenHandles(), 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"open", "close"}));
}

TEST_F(ComPortTest, AnUnpluggedAdapterEndsTheThreadWithoutSpinning) {
    port.Open();
    ASSERT_TRUE(layer.WaitUntilIdle());
    layer.Unplug();
    ASSERT_TRUE(ui.PumpUntil([&] { return !port.Connected(); }));
    EXPECT_EQ(calls, (std::vector<std::string>{"open", "close"}));
    const int waits = layer.WaitCalls();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(layer.WaitCalls(), waits);
    EXPECT_EQ(ui.RunPending(), 0) << "no flood of hand-overs";
    port.Close(); // releases the device, no second OnClose
    EXPECT_EQ(calls, (std::vector<std::string>{"open", "close"}));
    EXPECT_EQ(layer.OpenHandles(), 0);
    EXPECT_EQ(layer.WaitersAlive(), 0);
}

TEST_F(ComPortTest, FailedCompletionsAreIgnoredButCannotSpinForever) {
    // Counts hand-overs that name CTS: a change that comes while the thread starts is seen by its
    // first look and reported by the wait as well, so one change may give two of them.
    int cts = 0;
    port.OnCTS = [&](TComPort&) { ++cts; };
    layer.IgnoreWaits(3);
    port.Open();
    layer.SetLines(kMsCtsOn);
    ASSERT_TRUE(ui.PumpUntil([&] { return cts >= 1; }));
    port.Close();

    // Ignored waits with an event between them do not add up: 900 before it, 900 after it.
    layer.IgnoreWaits(900);
    calls.clear();
    port.Open();
    ASSERT_TRUE(layer.WaitUntilIdle());
    const int before = cts;
    layer.IgnoreWaits(900);
    layer.SetLines(0);
    EXPECT_TRUE(ui.PumpUntil([&] { return cts > before && layer.WaitUntilIdle(std::chrono::milliseconds(0)); }));
    ui.RunPending();
    EXPECT_EQ(calls, std::vector<std::string>{"open"});
    port.Close();

    layer.IgnoreWaits(1'000'000);
    calls.clear();
    const int waits = layer.WaitCalls();
    port.Open();
    ASSERT_TRUE(ui.PumpUntil([&] { return !port.Connected(); }));
    EXPECT_LT(layer.WaitCalls() - waits, 2000);
    EXPECT_EQ(calls, (std::vector<std::string>{"open", "close"}));
}

TEST_F(ComPortTest, DestroyingAnOpenPortClosesIt) {
    {
        TComPort other(layer, ui, [] { return 0.0; });
        layer.AddDevice(5);
        other.Port = 5;
        other.Open();
        EXPECT_EQ(layer.OpenHandles(), 1);
    }
    EXPECT_EQ(layer.OpenHandles(), 0);
    EXPECT_EQ(layer.WaitersAlive(), 0);
}

} // namespace
} // namespace vandoret
