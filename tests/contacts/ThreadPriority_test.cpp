// The waiting thread's priority: the POSIX request falls back step by step when refused, and
// the port works whatever it is granted.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "contacts/Comms.h"
#include "contacts/port_layer/ThreadPriority.h"
#include "fakes/FakePortLayer.h"
#include "fakes/QueueDispatcher.h"

namespace vandoret {
namespace {

using Kind = PriorityGrant::Kind;
constexpr int kEperm = 1, kEacces = 13;

// A system that grants SCHED_FIFO up to `fifoUpTo` (0: never) and nice down to `niceDownTo`
// (0: never), with the limits it reports, and notes what was asked.
struct FakeScheduling {
    int fifoUpTo = 0;
    int niceDownTo = 0;
    long rtLimit = 0;
    long niceLimit = 0;
    std::vector<std::string> asked;

    PosixSchedulingCalls Calls() {
        PosixSchedulingCalls calls;
        calls.setFifo = [this](int level) {
            asked.push_back("fifo " + std::to_string(level));
            return level <= fifoUpTo ? 0 : kEperm;
        };
        calls.setNice = [this](int nice) {
            asked.push_back("nice " + std::to_string(nice));
            return niceDownTo < 0 && nice >= niceDownTo ? 0 : kEacces;
        };
        calls.realTimeLimit = [this] { return rtLimit; };
        calls.niceLimit = [this] { return niceLimit; };
        return calls;
    }
};

TEST(ThreadPriority, ThePosixRequestFallsBackCleanlyWhenRefused) {
    struct Case {
        const char* what;
        int fifoUpTo, niceDownTo;
        long rtLimit, niceLimit;
        PriorityGrant expected;
        std::string firstAsked, lastAsked;
    };
    const Case cases[] = {
        {"root or CAP_SYS_NICE", 99, -20, 0, 0, {Kind::RealTime, 10}, "fifo 10", "fifo 10"},
        {"limits.conf rtprio 10", 10, 0, 10, 0, {Kind::RealTime, 10}, "fifo 10", "fifo 10"},
        {"limits.conf rtprio 5: the limit", 5, 0, 5, 0, {Kind::RealTime, 5}, "fifo 10", "fifo 5"},
        {"rtprio limit but refused all the same", 0, -10, 5, 30, {Kind::Nice, -10}, "fifo 10", "nice -10"},
        {"no real time, nice limit 30 (down to -10)", 0, -10, 0, 30, {Kind::Nice, -10}, "fifo 10", "nice -10"},
        {"no real time, no nice limit, some nice allowed", 0, -5, 0, 0, {Kind::Nice, -5}, "fifo 10", "nice -5"},
        {"nice limit 20 allows nothing better", 0, 0, 0, 20, {}, "fifo 10", "fifo 10"},
        {"everything refused", 0, 0, 0, 0, {}, "fifo 10", "nice -1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeScheduling system{c.fifoUpTo, c.niceDownTo, c.rtLimit, c.niceLimit, {}};
        EXPECT_EQ(PosixPriorityRequest(system.Calls()), c.expected);
        ASSERT_FALSE(system.asked.empty());
        EXPECT_EQ(system.asked.front(), c.firstAsked);
        EXPECT_EQ(system.asked.back(), c.lastAsked);
    }
}

TEST(ThreadPriority, ASystemWithoutTheCallsGrantsNothing) {
    EXPECT_EQ(PosixPriorityRequest(PosixSchedulingCalls{}), PriorityGrant{});
}

TEST(ThreadPriority, TheSettingsDialogNamesTheGrant) {
    EXPECT_EQ(DescribePriority({Kind::RealTime, 10}), "Echtzeit (SCHED_FIFO 10)");
    EXPECT_EQ(DescribePriority({Kind::TimeCritical, 15}), "Echtzeit (TIME_CRITICAL)");
    EXPECT_EQ(DescribePriority({Kind::Nice, -10}), "erh\xC3\xB6ht (nice -10)");
    EXPECT_EQ(DescribePriority({}), "normal");
    EXPECT_TRUE(IsRealTime({Kind::RealTime, 5}));
    EXPECT_FALSE(IsRealTime({Kind::Nice, -20}));
}

// The port with each grant: it opens, takes the lines' changes and says what its thread got;
// the request is made once per open, on the waiting thread.
TEST(ThreadPriority, ThePortWorksWhateverItsThreadIsGranted) {
    struct Case {
        const char* what;
        bool offered;
        bool throws;
        PriorityGrant grant;
        PriorityGrant reported;
    };
    const Case cases[] = {
        {"real time granted", true, false, {Kind::RealTime, 10}, {Kind::RealTime, 10}},
        {"refused", true, false, {}, {}},
        {"only nice", true, false, {Kind::Nice, -5}, {Kind::Nice, -5}},
        {"the request throws", true, true, {Kind::RealTime, 10}, {}},
        {"the layer offers none", false, false, {Kind::RealTime, 10}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing::FakePortLayer layer;
        testing::QueueDispatcher ui;
        layer.AddDevice(1);
        layer.offerPriority = c.offered;
        layer.priority.Grant(c.grant);
        layer.priority.ThrowOnRequest(c.throws);
        TComPort port(layer, ui, [] { return 0.5; });
        int cts = 0;
        port.OnCTS = [&](TComPort&) { ++cts; };
        port.Port = 1;
        port.Events = {TEvent::evCTS};
        for (int open = 1; open <= 2; ++open) {
            ASSERT_NO_THROW(port.Open());
            ASSERT_TRUE(layer.WaitUntilIdle());
            EXPECT_EQ(port.WaitingThreadPriority(), c.reported);
            EXPECT_EQ(layer.priority.Requests(), c.offered ? open : 0);
            if (c.offered) {
                EXPECT_NE(layer.priority.AskedBy(), std::this_thread::get_id()) << "asked on the waiting thread";
            }
            layer.SetLines(layer.Lines() ^ kMsCtsOn);
            ASSERT_TRUE(ui.PumpUntil([&] { return cts == open; }));
        }
        port.Close();
        EXPECT_EQ(port.WaitingThreadPriority(), PriorityGrant{}) << "no thread, no grant";
    }
}

// The platform's own request, from a thread of its own: whatever this machine grants, the thread
// goes on and the grant is one the dialog can name.
TEST(ThreadPriority, ThePlatformRequestNeverFails) {
    PriorityGrant grant;
    std::thread thread([&] { grant = CreatePlatformThreadPriority()->RaiseCallingThread(); });
    thread.join();
    const std::set<Kind> possible{Kind::Unchanged, Kind::Nice, Kind::RealTime, Kind::TimeCritical};
    EXPECT_TRUE(possible.count(grant.kind));
    EXPECT_FALSE(DescribePriority(grant).empty());
}

} // namespace
} // namespace vandoret
