// Every interruption of the light barrier becomes a finish, over the scripted port layer: with
// and without the driver's change counters (as on Linux and on Windows), while the
// user-interface thread is busy, and for a pulse that begins and ends between two looks.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "fakes/FakeHost.h"
#include "fakes/FakePortLayer.h"
#include "fakes/QueueDispatcher.h"
#include "timing/Timekeeper.h"

namespace vandoret {
namespace {

using testing::FakeHost;
using testing::FakePortLayer;
using testing::QueueDispatcher;

constexpr std::uint32_t DSR = kMsDsrOn, CTS = kMsCtsOn;
constexpr std::int32_t NPN = 0, PNP = 1;

std::vector<std::string> FinishTimes(const TSortGrid& grid) {
    std::vector<std::string> times;
    for (int r = 1; r < grid.RowCount(); ++r) {
        if (!grid.IsBlankRow(r)) {
            times.push_back(grid.Cells(1, r));
        }
    }
    return times;
}

// A port over the scripted layer; counters: the layer keeps per-line change counters (Linux)
// or not (Windows, where only the wait's event bits tell which line moved).
struct Rig {
    explicit Rig(bool counters) : tk(host) {
        layer.keepCounters = counters;
        layer.AddDevice(3);
        tk.AttachComPort(layer, ui, [this] { return lineClock.load(); });
        tk.settings.Port = 3;
    }
    ~Rig() { tk.contacts.ComPort->Close(); }

    void Open(std::uint32_t restingLines = 0) {
        layer.SetLines(restingLines);
        tk.OpenConfiguredPort();
        ASSERT_TRUE(tk.contacts.ComPort->Connected());
        tk.registrations.FinishContactFree = true;
        ServeAll(); // the resting level is the starting point: nothing to hand over
        ASSERT_EQ(ui.Posted(), 0);
    }
    // Lets the waiting thread look at the lines at least once while a hand-over waits.
    void LetTheThreadLook() {
        const int queries = layer.StatusQueries();
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (layer.StatusQueries() < queries + 2 && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    void SetLinesWhileBusy(std::uint32_t lines) {
        layer.SetLines(lines);
        LetTheThreadLook();
    }
    // Serves everything until the thread waits again with nothing left to hand over.
    void ServeAll() {
        ASSERT_TRUE(ui.PumpUntil([this] { return layer.WaitUntilIdle(std::chrono::milliseconds(0)); }));
        ui.RunPending();
    }

    FakeHost host;
    FakePortLayer layer;
    QueueDispatcher ui;
    std::atomic<double> lineClock{MakeTimeOfDay(10, 0, 0)};
    Timekeeper tk;
};

class NoContactLostTest : public ::testing::TestWithParam<bool> {};

TEST_P(NoContactLostTest, ABarrierBackToAnEarlierStateDuringABusyHandOverIsNotLost) {
    Rig rig(GetParam());
    rig.Open();
    rig.lineClock = MakeTimeOfDay(10, 0, 0, 100);
    rig.layer.SetLines(CTS);
    ASSERT_TRUE(rig.ui.WaitForPosts(1)); // not served yet
    rig.SetLinesWhileBusy(0);
    rig.lineClock = MakeTimeOfDay(10, 0, 0, 300);
    rig.SetLinesWhileBusy(CTS);
    ASSERT_EQ(rig.ui.RunPending(), 1); // serve once
    ASSERT_TRUE(rig.ui.WaitForPosts(2));
    // The line goes back to the state of the entry handed over now, then on again.
    rig.SetLinesWhileBusy(0);
    rig.lineClock = MakeTimeOfDay(10, 0, 0, 500);
    rig.SetLinesWhileBusy(CTS);
    rig.ServeAll();
    // Each change counted once: the wait that reports them all afterwards adds nothing.
    EXPECT_EQ(FinishTimes(rig.tk.registrations.SortGrid3),
              (std::vector<std::string>{"10:00:00,1", "10:00:00,3", "10:00:00,5"}));
}

TEST_P(NoContactLostTest, APulseBetweenTwoLooksIsHandedOverAsTwoChanges) {
    const struct {
        const char* name;
        std::uint32_t resting; // the barrier's level when nothing passes
        std::int32_t alg2;
        bool startTakesAFinish; // a barrier held on finishes with every change (decoding on levels)
    } cases[] = {{"NPN, rests off, pulses on", 0, NPN, false}, {"PNP, rests on, pulses off", CTS, PNP, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(GetParam());
        rig.tk.settings.Alg2 = c.alg2;
        rig.Open(c.resting);

        // While the thread waits: the wait reports the line, its level reads as before.
        rig.lineClock = MakeTimeOfDay(10, 5, 1, 250);
        rig.layer.Pulse(kEvCts);
        rig.ServeAll();
        EXPECT_EQ(FinishTimes(rig.tk.registrations.SortGrid3), std::vector<std::string>{"10:05:01,2"});
        EXPECT_EQ(rig.tk.contacts.LastModemStatus, c.resting);

        // While a start waits to be served.
        rig.tk.registrations.StartContactFree = true;
        rig.lineClock = MakeTimeOfDay(10, 5, 2, 0);
        const int posted = rig.ui.Posted();
        rig.layer.SetLines(c.resting | DSR);
        ASSERT_TRUE(rig.ui.WaitForPosts(posted + 1));
        rig.lineClock = MakeTimeOfDay(10, 5, 2, 400);
        rig.layer.Pulse(kEvCts);
        rig.LetTheThreadLook();
        rig.lineClock = MakeTimeOfDay(10, 5, 2, 900); // the busy spell ends
        rig.ServeAll();
        // The counters show the pulse at the next look; the event bits when the next wait ends.
        const char* moment = GetParam() ? "10:05:02,4" : "10:05:02,9";
        std::vector<std::string> finishes{"10:05:01,2", moment};
        if (c.startTakesAFinish) {
            finishes.insert(finishes.begin() + 1, "10:05:02,0");
        }
        EXPECT_EQ(FinishTimes(rig.tk.registrations.SortGrid3), finishes);
        EXPECT_EQ(FinishTimes(rig.tk.registrations.SortGrid2), std::vector<std::string>{"10:05:02,0"});
    }
}

TEST_P(NoContactLostTest, AReleasePulseWhileAFinishWaitsStillFreesTheStartContact) {
    Rig rig(GetParam());
    rig.Open(); // the start contact locked
    rig.layer.SetLines(CTS);
    ASSERT_TRUE(rig.ui.WaitForPosts(1)); // the finish is not served yet
    rig.layer.Pulse(kEvRlsd);
    rig.LetTheThreadLook();
    rig.ServeAll();
    EXPECT_TRUE(rig.tk.registrations.StartContactFree);
    EXPECT_FALSE(FinishTimes(rig.tk.registrations.SortGrid3).empty());
}

// The counters tell a pulse and a change of the same line apart from the change alone: both
// before one look are the barrier interrupted twice.
TEST(NoContactLost, WithCountersAPulseAndAChangeBeforeOneLookAreTwoFinishes) {
    Rig rig(true);
    rig.tk.settings.Alg2 = NPN;
    rig.Open();
    std::atomic<bool> changed{false};
    rig.layer.onEventReturned = [&] { // the wait has returned, the thread has not looked yet
        if (!changed.exchange(true)) {
            rig.layer.SetLines(CTS);
        }
    };
    rig.lineClock = MakeTimeOfDay(10, 6, 0, 500);
    rig.layer.Pulse(kEvCts);
    rig.ServeAll();
    EXPECT_EQ(FinishTimes(rig.tk.registrations.SortGrid3), (std::vector<std::string>{"10:06:00,5", "10:06:00,5"}));
}

INSTANTIATE_TEST_SUITE_P(Contacts, NoContactLostTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "counters" : "event_bits";
                         });

} // namespace
} // namespace vandoret
