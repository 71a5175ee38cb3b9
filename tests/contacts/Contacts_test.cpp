// The decoding of the modem lines into starts, finishes and releases, the indicators, the ports
// found at start-up and opening the configured port.
#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "contacts/ComPortControl.h"
#include "fakes/FakeHost.h"
#include "fakes/FakePortLayer.h"
#include "fakes/QueueDispatcher.h"
#include "timing/Timekeeper.h"

namespace vandoret {
namespace {

using testing::FakeHost;
using testing::FakePortLayer;
using testing::QueueDispatcher;

constexpr std::uint32_t DSR = kMsDsrOn, CTS = kMsCtsOn, RLSD = kMsRlsdOn, RING = kMsRingOn;
constexpr std::int32_t NPN = 0, PNP = 1;

// Data rows of a list that hold something.
int Rows(const TSortGrid& grid) {
    int rows = 0;
    for (int r = 1; r < grid.RowCount(); ++r) {
        rows += grid.IsBlankRow(r) ? 0 : 1;
    }
    return rows;
}

struct DecodeCase {
    const char* name;
    std::int32_t alg1, alg2, alg3;
    bool startFree, finishFree;
    std::uint32_t last, status;
    int starts, finishes;
    bool startFreeAfter;
};

const DecodeCase kDecodeCases[] = {
    // name                                   alg1 alg2 alg3 start  finish last status            st fi startFreeAfter
    {"start contact while locked", NPN, PNP, PNP, false, false, 0, DSR, 0, 0, false},
    {"start contact while free", NPN, PNP, PNP, true, false, 0, DSR, 1, 0, false},
    {"start held: same status again", NPN, PNP, PNP, false, false, DSR, DSR, 0, 0, false},
    {"start contact opens again", NPN, PNP, PNP, false, false, DSR, 0, 0, 0, false},
    {"start and release, locked", NPN, PNP, PNP, false, false, 0, DSR | RLSD, 0, 0, true},
    {"release alone frees", NPN, PNP, NPN, false, false, 0, RLSD, 0, 0, true},
    {"release while free keeps free", NPN, PNP, NPN, true, false, 0, RLSD, 0, 0, true},
    {"barrier held on, start closes", NPN, PNP, PNP, true, true, CTS, CTS | DSR, 1, 1, false},
    {"barrier locked", NPN, PNP, PNP, false, false, 0, CTS, 0, 0, false},
    {"barrier free", NPN, PNP, PNP, false, true, 0, CTS, 0, 1, false},
    {"all three on, Alg3 PNP", NPN, PNP, PNP, true, true, 0, DSR | CTS | RLSD, 0, 0, true},
    {"all three on, Alg3 NPN", NPN, PNP, NPN, true, true, 0, DSR | CTS | RLSD, 1, 1, true},
    {"CTS decides with Alg2", PNP, 7, PNP, true, true, 0, CTS | DSR, 0, 0, true},
    {"DSR decides with Alg1 = PNP", PNP, NPN, NPN, true, false, 0, DSR, 1, 0, false},
    {"polarity 2 blocks", 2, PNP, PNP, true, true, 0, DSR, 0, 0, true},
    {"polarity -1 blocks", -1, PNP, PNP, true, true, 0, DSR, 0, 0, true},
    {"ring alone does nothing", NPN, NPN, NPN, true, true, 0, RING, 0, 0, true},
    {"first change after start-up", NPN, PNP, PNP, true, false, 0x55555555, DSR, 1, 0, false},
};

void PrintTo(const DecodeCase& c, std::ostream* os) {
    *os << c.name;
}

class DecodeTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTest, LevelsPolarityAndLocks) {
    const DecodeCase& c = GetParam();
    FakeHost host;
    host.SetClock(10, 0, 0);
    Timekeeper tk(host);
    tk.settings.Alg1 = c.alg1;
    tk.settings.Alg2 = c.alg2;
    tk.settings.Alg3 = c.alg3;
    tk.registrations.StartContactFree = c.startFree;
    tk.registrations.FinishContactFree = c.finishFree;
    tk.contacts.LastModemStatus = c.last;
    tk.contacts.DecodeContacts(c.status, MakeTimeOfDay(9, 30, 4, 789));
    EXPECT_EQ(Rows(tk.registrations.SortGrid2), c.starts);
    EXPECT_EQ(Rows(tk.registrations.SortGrid3), c.finishes);
    EXPECT_EQ(tk.registrations.StartContactFree, c.startFreeAfter);
    EXPECT_EQ(tk.registrations.FinishContactFree, c.finishFree) << "only the operator switches the barrier";
    EXPECT_EQ(tk.contacts.LastModemStatus, c.status);
    EXPECT_FALSE(tk.registrations.ContactEventTime.has_value());
}

INSTANTIATE_TEST_SUITE_P(Contacts, DecodeTest, ::testing::ValuesIn(kDecodeCases), [](const auto& info) {
    std::string name;
    for (const char* p = info.param.name; *p; ++p) {
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    }
    return name;
});

TEST(Decode, AContactRecordsTheMomentOfTheLineChange) {
    FakeHost host;
    host.SetClock(9, 30, 5, 400); // the user-interface thread got round to it 700 ms late
    Timekeeper tk(host);
    tk.registrations.StartContactFree = true;
    tk.registrations.FinishContactFree = true;
    tk.contacts.DecodeContacts(DSR, MakeTimeOfDay(9, 30, 4, 789));
    tk.contacts.DecodeContacts(DSR | CTS, MakeTimeOfDay(9, 31, 0, 55));
    EXPECT_EQ(tk.registrations.SortGrid2.Cells(1, 1), "09:30:04,7");
    EXPECT_EQ(tk.registrations.SortGrid3.Cells(1, 1), "09:31:00,0");
    EXPECT_DOUBLE_EQ(tk.registrations.ClockNow(), MakeTimeOfDay(9, 30, 5, 400)) << "keys use the handler's time";
}

TEST(Decode, ReleaseThenStartTakesTheStart) {
    FakeHost host;
    Timekeeper tk(host);
    tk.contacts.DecodeContacts(DSR | RLSD, 0.4); // locked: no start, freed
    EXPECT_EQ(Rows(tk.registrations.SortGrid2), 0);
    EXPECT_TRUE(tk.registrations.StartContactFree);
    tk.contacts.DecodeContacts(0, 0.4);
    tk.contacts.DecodeContacts(DSR, 0.4);
    EXPECT_EQ(Rows(tk.registrations.SortGrid2), 1);
    EXPECT_FALSE(tk.registrations.StartContactFree);
    tk.contacts.DecodeContacts(DSR | RING, 0.4); // still closed: locked, no second start
    EXPECT_EQ(Rows(tk.registrations.SortGrid2), 1);
}

// The main window's port over the scripted layer, with the test as user-interface thread.
class ContactPortTest : public ::testing::Test {
protected:
    ContactPortTest() : tk(host) {
        layer.AddDevice(3);
        tk.AttachComPort(layer, ui, [this] { return lineClock.load(); });
        tk.settings.Port = 3;
    }
    ~ContactPortTest() override { tk.contacts.ComPort->Close(); }

    // Both locks free, the start contact at 09:30:04.712, then the light barrier at 09:30:04.905
    // while the user-interface thread has not yet served the start; returns once the waiting
    // thread has seen the second change.
    void StartThenFinishWhileBusy() {
        tk.OpenConfiguredPort();
        tk.registrations.StartContactFree = true;
        tk.registrations.FinishContactFree = true;
        ASSERT_TRUE(layer.WaitUntilIdle());
        lineClock = MakeTimeOfDay(9, 30, 4, 712);
        layer.SetLines(DSR);
        ASSERT_TRUE(ui.WaitForPosts(1)); // the user-interface thread is busy from here on
        lineClock = MakeTimeOfDay(9, 30, 4, 905);
        const int queries = layer.StatusQueries();
        layer.SetLines(DSR | CTS); // the light barrier, while the start waits to be served
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (layer.StatusQueries() < queries + 2 && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    // OK of the settings dialog with `port` chosen (0: "Kein") among COM3 and COM12.
    void ConfirmPort(int port) {
        ComPortControl control(tk.contacts);
        const std::vector<std::string> items = cfg::PortItems({3, 12});
        cfg::CfgFields fields = cfg::FieldsFromSettings(tk.settings, items, Locale{});
        fields.portIndex = cfg::PortItemIndex(items, port);
        ASSERT_EQ(cfg::TransferBack(fields, items, tk.settings, control, Locale{}), std::nullopt);
    }

    FakeHost host;
    FakePortLayer layer;
    QueueDispatcher ui;
    std::atomic<double> lineClock{MakeTimeOfDay(9, 30, 0)};
    Timekeeper tk;
};

TEST_F(ContactPortTest, StartUpOpensTheConfiguredPortAndShowsTheIndicators) {
    tk.OpenConfiguredPort();
    EXPECT_TRUE(tk.contacts.ComPort->Connected());
    EXPECT_TRUE(tk.contacts.ImageLSstartVisible);
    EXPECT_TRUE(tk.contacts.ImageLSstopVisible);
    EXPECT_EQ(layer.EventMask(), 0x38u);
    EXPECT_EQ(layer.LastDcb().ByteSize, 5);
    EXPECT_EQ(layer.LastDcb().RtsControl, kRtsControlHandshake);
    EXPECT_FALSE(tk.registrations.StartContactFree) << "opening leaves the locks";
    tk.contacts.ComPort->Close();
    EXPECT_FALSE(tk.contacts.ImageLSstartVisible);
    EXPECT_FALSE(tk.contacts.ImageLSstopVisible);
}

TEST_F(ContactPortTest, AFailingPortAtStartUpIsDroppedSilently) {
    tk.settings.Port = 9;
    tk.OpenConfiguredPort();
    EXPECT_EQ(tk.settings.Port, 0);
    EXPECT_FALSE(tk.contacts.ImageLSstartVisible);
    EXPECT_TRUE(host.messages.empty());
    layer.failSetupComm = true;
    tk.settings.Port = 3;
    tk.OpenConfiguredPort();
    EXPECT_EQ(tk.settings.Port, 0);
    EXPECT_EQ(layer.OpenHandles(), 0);
}

TEST_F(ContactPortTest, ABusyUserInterfaceDoesNotDelayTheRecordedTime) {
    tk.OpenConfiguredPort();
    tk.registrations.StartContactFree = true;
    tk.registrations.FinishContactFree = true;
    ASSERT_TRUE(layer.WaitUntilIdle());
    lineClock = MakeTimeOfDay(9, 30, 4, 712);
    layer.SetLines(DSR);
    ASSERT_TRUE(ui.WaitForPosts(1));
    host.SetClock(9, 30, 5, 20); // a start list reload held the user-interface thread
    ASSERT_TRUE(ui.PumpUntil([&] { return Rows(tk.registrations.SortGrid2) == 1; }));
    EXPECT_EQ(tk.registrations.SortGrid2.Cells(1, 1), "09:30:04,7");

    lineClock = MakeTimeOfDay(9, 41, 12, 398);
    layer.SetLines(DSR | CTS);
    ASSERT_TRUE(ui.PumpUntil([&] { return Rows(tk.registrations.SortGrid3) == 1; }));
    EXPECT_EQ(tk.registrations.SortGrid3.Cells(1, 1), "09:41:12,3");
}

TEST_F(ContactPortTest, ASecondContactDuringABusySpellKeepsItsOwnMoment) {
    ASSERT_NO_FATAL_FAILURE(StartThenFinishWhileBusy());
    lineClock = MakeTimeOfDay(9, 30, 5, 300); // when the busy spell ends
    ASSERT_TRUE(ui.PumpUntil([&] { return Rows(tk.registrations.SortGrid3) == 1; }));
    EXPECT_EQ(tk.registrations.SortGrid2.Cells(1, 1), "09:30:04,7");
    EXPECT_EQ(tk.registrations.SortGrid3.Cells(1, 1), "09:30:04,9");
}

TEST_F(ContactPortTest, ClosingDuringABusySpellKeepsEveryContactSeen) {
    ASSERT_NO_FATAL_FAILURE(StartThenFinishWhileBusy());
    ConfirmPort(0); // the operator chose "Kein" before the busy spell ended
    EXPECT_FALSE(tk.contacts.ComPort->Connected());
    EXPECT_EQ(tk.registrations.SortGrid2.Cells(1, 1), "09:30:04,7");
    EXPECT_EQ(tk.registrations.SortGrid3.Cells(1, 1), "09:30:04,9");
    EXPECT_EQ(layer.WaitersAlive(), 0);
}

TEST_F(ContactPortTest, AShortPulseIsSeenEvenWhenTheHandOverRunsLate) {
    tk.OpenConfiguredPort();
    tk.registrations.StartContactFree = true;
    ASSERT_TRUE(layer.WaitUntilIdle());
    layer.SetLines(DSR);
    ASSERT_TRUE(ui.WaitForPosts(1));
    layer.SetLines(0); // over before the user-interface thread runs the hand-over
    ASSERT_TRUE(ui.PumpUntil([&] { return tk.contacts.LastModemStatus == 0u; }));
    EXPECT_EQ(Rows(tk.registrations.SortGrid2), 1);
}

TEST_F(ContactPortTest, ReopeningKeepsTheLastStatusAndTheLocks) {
    tk.OpenConfiguredPort();
    tk.registrations.StartContactFree = true;
    layer.SetLines(DSR);
    ASSERT_TRUE(ui.PumpUntil([&] { return Rows(tk.registrations.SortGrid2) == 1; }));
    ConfirmPort(3);
    EXPECT_TRUE(tk.contacts.ComPort->Connected());
    EXPECT_EQ(tk.contacts.LastModemStatus, DSR);
    tk.registrations.ImageLSClick(LockIndicator::Start); // freed by hand
    tk.contacts.DecodeContacts(DSR, 0.5);                // the same status again: not decoded
    EXPECT_EQ(Rows(tk.registrations.SortGrid2), 1);
}

TEST_F(ContactPortTest, ChoosingPortsInTheSettingsDialog) {
    tk.OpenConfiguredPort();
    ConfirmPort(0);
    EXPECT_FALSE(tk.contacts.ComPort->Connected());
    EXPECT_FALSE(tk.contacts.ImageLSstartVisible);
    EXPECT_EQ(tk.settings.Port, 0);
    ConfirmPort(12); // missing: kept for the next start, nothing shown
    EXPECT_EQ(tk.settings.Port, 12);
    EXPECT_FALSE(tk.contacts.ComPort->Connected());
    EXPECT_TRUE(host.messages.empty());
    ConfirmPort(3);
    EXPECT_TRUE(tk.contacts.ImageLSstartVisible);
}

TEST_F(ContactPortTest, UnpluggingHidesTheIndicators) {
    tk.OpenConfiguredPort();
    ASSERT_TRUE(layer.WaitUntilIdle());
    layer.Unplug();
    ASSERT_TRUE(ui.PumpUntil([&] { return !tk.contacts.ImageLSstartVisible; }));
    EXPECT_FALSE(tk.contacts.ImageLSstopVisible);
}

TEST_F(ContactPortTest, TheSettingsDialogDrivesThePortThroughItsControl) {
    tk.ListComPorts(layer);
    ComPortControl control(tk.contacts);
    EXPECT_EQ(control.AvailablePorts(), std::vector<int>{3});
    EXPECT_TRUE(control.OpenPort(3));
    EXPECT_TRUE(tk.contacts.ImageLSstartVisible);
    EXPECT_TRUE(control.OpenPort(3)) << "re-opening an open port";
    control.ClosePort();
    control.ClosePort();
    EXPECT_FALSE(tk.contacts.ImageLSstartVisible);
    EXPECT_FALSE(control.OpenPort(4));
    EXPECT_FALSE(control.OpenPort(0));
    EXPECT_FALSE(control.OpenPort(300));
    EXPECT_EQ(layer.OpenHandles(), 0);
}

TEST(ListComPorts, FindsTheUsablePortsAndReleasesEveryHandle) {
    FakeHost host;
    Timekeeper tk(host);
    FakePortLayer layer;
    layer.AddDevice(2);
    layer.AddDevice(5);
    layer.AddDevice(7, {.characterDevice = false, .heldElsewhere = false});
    layer.AddDevice(9, {.characterDevice = true, .heldElsewhere = true});
    layer.AddDevice(33);
    tk.ListComPorts(layer);
    EXPECT_EQ(tk.contacts.AvailablePorts, (std::set<int>{2, 5}));
    EXPECT_EQ(ComPortControl(tk.contacts).AvailablePorts(), (std::vector<int>{2, 5}));
    EXPECT_EQ(layer.OpenHandles(), 0);
    FakePortLayer none;
    tk.ListComPorts(none);
    EXPECT_TRUE(tk.contacts.AvailablePorts.empty());
}

} // namespace
} // namespace vandoret
