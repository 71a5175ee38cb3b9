// The contacts on their own: what a decoded status word hands to the registrations.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "contacts/Contacts.h"

namespace vandoret {
namespace {

// Records what the decoder hands on, with locks the test sets.
class RecordingSink : public ContactSink {
public:
    bool startFree = false;
    bool finishFree = false;
    std::vector<std::string> calls;

    bool StartContactIsFree() const override { return startFree; }
    bool FinishContactIsFree() const override { return finishFree; }
    void ContactStart(TimeOfDay) override { calls.push_back("start"); }
    void ContactFinish(TimeOfDay) override { calls.push_back("finish"); }
    void ContactRelease() override { calls.push_back("release"); }
    void ContactLinesChanged(TimeOfDay, bool, bool, bool) override { lineChanges++; }
    void ContactPortShown() override {}
    void ContactPortLost(const std::string& notice) override { calls.push_back("lost " + notice); }
    int lineChanges = 0;
};

constexpr std::uint32_t DSR = kMsDsrOn, CTS = kMsCtsOn, RLSD = kMsRlsdOn;
constexpr auto NPN = static_cast<std::int32_t>(Polarity::NPN), PNP = static_cast<std::int32_t>(Polarity::PNP);

TEST(ContactSink, EachLineReachesItsHandlerThroughItsLockAndPolarity) {
    struct Case {
        const char* what;
        std::uint32_t status;
        bool startFree, finishFree;
        std::int32_t alg1, alg2, alg3;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"start contact, free", DSR, true, false, NPN, PNP, PNP, {"start"}},
        {"start contact, locked", DSR, false, false, NPN, PNP, PNP, {}},
        {"light barrier, free", CTS, false, true, NPN, NPN, PNP, {"finish"}},
        {"light barrier, locked", CTS, true, false, NPN, NPN, PNP, {}},
        {"release frees a locked start", RLSD, false, false, NPN, PNP, NPN, {"release"}},
        {"release leaves a free start", RLSD, true, false, NPN, PNP, NPN, {}},
        {"all three on is PNP idle", DSR | CTS | RLSD, true, true, PNP, PNP, PNP, {}},
        {"start and finish at once", DSR | CTS, true, true, NPN, NPN, PNP, {"start", "finish"}},
        {"no line on", 0, true, true, NPN, NPN, NPN, {}},
    };
    for (const Case& c : cases) {
        Settings settings;
        settings.Alg1 = c.alg1;
        settings.Alg2 = c.alg2;
        settings.Alg3 = c.alg3;
        RecordingSink sink;
        sink.startFree = c.startFree;
        sink.finishFree = c.finishFree;
        Contacts contacts(settings, sink);
        contacts.DecodeContacts(c.status, 0.4);
        EXPECT_EQ(sink.calls, c.expected) << c.what;
        EXPECT_EQ(sink.lineChanges, 1) << c.what << ": every change is journaled";
        contacts.DecodeContacts(c.status, 0.5); // the same word again is no change
        EXPECT_EQ(sink.lineChanges, 1) << c.what;
    }
}

} // namespace
} // namespace vandoret
