// An adapter unplugged mid-run: a loud warning in the status bar while it is away, the same port
// opened again when it is back, and contacts taken as before.
#include <gtest/gtest.h>

#include <string>

#include "fakes/FakeHost.h"
#include "fakes/FakePortLayer.h"
#include "fakes/QueueDispatcher.h"
#include "journal/JournalFakes.h"
#include "timing/Timekeeper.h"

namespace vandoret {
namespace {

using testing::FakeHost;
using testing::FakePortLayer;
using testing::QueueDispatcher;

class PortLostTest : public ::testing::Test {
protected:
    PortLostTest() : tk(host) {
        layer.AddDevice(3);
        layer.AddDevice(4);
        tk.AttachComPort(layer, ui, [] { return MakeTimeOfDay(10, 0, 0); });
        tk.settings.Port = 3;
        tk.OpenConfiguredPort();
    }
    ~PortLostTest() override { tk.contacts.ComPort->Close(); }

    void Unplug() {
        ASSERT_TRUE(layer.WaitUntilIdle());
        layer.Unplug();
        ASSERT_TRUE(ui.PumpUntil([&] { return tk.contacts.LostPort() != 0; }));
    }
    int OpenAttempts() const {
        int n = 0;
        for (const std::string& call : layer.Calls()) {
            n += call == "open COM3" ? 1 : 0;
        }
        return n;
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) {
            tk.Timer1Timer();
        }
    }
    bool Warned() const {
        return tk.registrations.JournalNoticeAlarm &&
               tk.registrations.JournalNotice.find("getrennt") != std::string::npos;
    }

    FakeHost host;
    FakePortLayer layer;
    QueueDispatcher ui;
    Timekeeper tk;
};

TEST_F(PortLostTest, UnpluggedWarnsLoudlyAndTheSamePortOpensAgainWhenTheAdapterIsBack) {
    ASSERT_TRUE(tk.contacts.ComPort->Connected());
    Unplug();
    EXPECT_TRUE(Warned());
    EXPECT_NE(tk.registrations.JournalNotice.find("COM3"), std::string::npos);
    EXPECT_FALSE(tk.contacts.ImageLSstartVisible);
    EXPECT_EQ(tk.contacts.LostPort(), 3);

    tk.Timer1Timer(); // the device is let go at once
    EXPECT_EQ(layer.OpenHandles(), 0);
    const int before = OpenAttempts();
    Ticks(30); // three seconds away: about one attempt a second
    EXPECT_EQ(OpenAttempts() - before, 3);
    EXPECT_TRUE(Warned()) << "stays while the adapter is away";
    tk.JournalNoticeClick();
    EXPECT_TRUE(Warned()) << "a click does not hide it";

    layer.Replug();
    Ticks(10);
    EXPECT_TRUE(tk.contacts.ComPort->Connected());
    EXPECT_EQ(tk.contacts.ComPort->Port, 3);
    EXPECT_EQ(tk.contacts.LostPort(), 0);
    EXPECT_FALSE(tk.registrations.JournalNoticeAlarm);
    EXPECT_EQ(tk.registrations.JournalNotice, "");
    EXPECT_TRUE(tk.contacts.ImageLSstartVisible);

    // Contacts work again on the reopened port.
    tk.registrations.FinishContactFree = true;
    ASSERT_TRUE(layer.WaitUntilIdle());
    layer.SetLines(kMsCtsOn);
    ASSERT_TRUE(ui.PumpUntil([&] { return !tk.registrations.SortGrid3.IsBlankRow(1); }));
}

TEST_F(PortLostTest, AnotherPortOrNoneChosenEndsTheWait) {
    struct Case {
        const char* what;
        int chosen;
        bool connected;
    };
    const Case cases[] = {{"none", 0, false}, {"another port", 4, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        layer.Replug();
        tk.settings.Port = 3;
        tk.OpenConfiguredPort();
        Unplug();
        ASSERT_TRUE(Warned());
        tk.settings.Port = static_cast<std::uint8_t>(c.chosen);
        if (c.chosen != 0) {
            layer.Replug();
            tk.contacts.OpenConfiguredPort();
        }
        tk.Timer1Timer();
        EXPECT_EQ(tk.contacts.LostPort(), 0);
        EXPECT_FALSE(Warned());
        EXPECT_EQ(tk.contacts.ComPort->Connected(), c.connected);
        const int attempts = OpenAttempts();
        Ticks(20);
        EXPECT_EQ(OpenAttempts(), attempts) << "no more attempts on COM3";
    }
}

TEST_F(PortLostTest, AJournalThatCannotWriteIsNamedFirst) {
    testing::MemoryJournalWriter writer;
    testing::FakeJournalClock journalClock;
    tk.AttachJournal(writer, journalClock);
    Unplug();
    writer.failNext = 1000;
    host.now = MakeTimeOfDay(10, 0, 1);
    tk.mStopClick(); // a hand finish the journal cannot write
    EXPECT_TRUE(tk.registrations.JournalNoticeAlarm);
    EXPECT_EQ(tk.registrations.JournalNotice.find("getrennt"), std::string::npos);
    writer.failNext = 0;
    host.now = MakeTimeOfDay(10, 0, 3);
    tk.Timer1Timer(); // written again: the adapter's warning comes back
    EXPECT_TRUE(Warned());
}

} // namespace
} // namespace vandoret
