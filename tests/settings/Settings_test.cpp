#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <optional>
#include <vector>

#include "settings/MemorySettingsStore.h"

namespace vandoret {
namespace {

RegValue Dbl(double v) {
    std::vector<std::uint8_t> b(8);
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, 8);
    for (int i = 0; i < 8; ++i) {
        b[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
    return RegValue::Binary(b);
}

std::uint64_t Bits(double v) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, 8);
    return bits;
}

// A key holding every setting with values that differ from the defaults.
std::map<std::string, RegValue> FullKey() {
    return {
        {"Left", RegValue::Dword(10)},
        {"Top", RegValue::Dword(20)},
        {"Width", RegValue::Dword(1024)},
        {"Height", RegValue::Dword(700)},
        {"Port", RegValue::Dword(3)},
        {"BaseName", RegValue::Sz("Liste.txt")},
        {"Sound", RegValue::Dword(0)},
        {"Alg1", RegValue::Dword(1)},
        {"Alg2", RegValue::Dword(0)},
        {"Alg3", RegValue::Dword(0)},
        {"Len", RegValue::Dword(2500)},
        {"tempo", Dbl(220.0)},
        {"StartInt", RegValue::Dword(7)},
        {"StartClock", RegValue::Dword(600)},
        {"StrafPkt", Dbl(0.8)},
        {"StrafSek", RegValue::Dword(4)},
        {"DisText", RegValue::Sz("Aufg.")},
        {"AutoStart", RegValue::Dword(0)},
        // The later ones at their defaults.
        {"WebPort", RegValue::Dword(0)},
        {"Wertung", RegValue::Dword(0)},
        {"Hoechstzeit", RegValue::Dword(0)},
        {"Mindestzeit", RegValue::Dword(0)},
    };
}

// The settings a full key gives, read up to (not including) the setting `stop`.
Settings FullUpTo(const std::string& stop) {
    Settings s;
    const std::vector<std::function<void(Settings&)>> apply = {
        [](Settings& x) { x.Left = 10; },         [](Settings& x) { x.Top = 20; },
        [](Settings& x) { x.Width = 1024; },      [](Settings& x) { x.Height = 700; },
        [](Settings& x) { x.Port = 3; },          [](Settings& x) { x.BaseName = "Liste.txt"; },
        [](Settings& x) { x.Sound = false; },     [](Settings& x) { x.Alg1 = 1; },
        [](Settings& x) { x.Alg2 = 0; },          [](Settings& x) { x.Alg3 = 0; },
        [](Settings& x) { x.Len = 2500; },        [](Settings& x) { x.tempo = 220.0; },
        [](Settings& x) { x.StartInt = 7; },      [](Settings& x) { x.StartClock = 600; },
        [](Settings& x) { x.StrafPkt = 0.8; },    [](Settings& x) { x.StrafSek = 4; },
        [](Settings& x) { x.DisText = "Aufg."; }, [](Settings& x) { x.AutoStart = false; },
    };
    for (std::size_t i = 0; i < apply.size() && kSettingNames[i] != stop; ++i) {
        apply[i](s);
    }
    ComputeAllowedTime(s);
    return s;
}

void ExpectSame(const Settings& a, const Settings& b) {
    EXPECT_EQ(a.Left, b.Left);
    EXPECT_EQ(a.Top, b.Top);
    EXPECT_EQ(a.Width, b.Width);
    EXPECT_EQ(a.Height, b.Height);
    EXPECT_EQ(a.Port, b.Port);
    EXPECT_EQ(a.BaseName, b.BaseName);
    EXPECT_EQ(a.Sound, b.Sound);
    EXPECT_EQ(a.Alg1, b.Alg1);
    EXPECT_EQ(a.Alg2, b.Alg2);
    EXPECT_EQ(a.Alg3, b.Alg3);
    EXPECT_EQ(a.Len, b.Len);
    EXPECT_EQ(Bits(a.tempo), Bits(b.tempo));
    EXPECT_EQ(a.StartInt, b.StartInt);
    EXPECT_EQ(a.StartClock, b.StartClock);
    EXPECT_EQ(Bits(a.StrafPkt), Bits(b.StrafPkt));
    EXPECT_EQ(a.StrafSek, b.StrafSek);
    EXPECT_EQ(a.DisText, b.DisText);
    EXPECT_EQ(a.AutoStart, b.AutoStart);
    EXPECT_EQ(a.AllowedTime, b.AllowedTime);
}

TEST(LoadSettings, FirstStartWithoutKeyKeepsEveryDefault) {
    MemorySettingsStore store;
    Settings s;
    s.AllowedTime = 0;
    LoadSettings(store, s);
    EXPECT_EQ(s.Len, 2400);
    EXPECT_EQ(s.tempo, 240.0);
    EXPECT_EQ(s.AllowedTime, 600'000);
    EXPECT_EQ(s.StartInt, 5);
    EXPECT_EQ(s.StartClock, 570);
    EXPECT_EQ(s.StrafPkt, 0.4);
    EXPECT_EQ(s.StrafSek, 1);
    EXPECT_EQ(s.Port, 0);
    EXPECT_EQ(s.Alg1, static_cast<int>(Polarity::NPN));
    EXPECT_EQ(s.Alg2, static_cast<int>(Polarity::PNP));
    EXPECT_EQ(s.Alg3, static_cast<int>(Polarity::PNP));
    EXPECT_EQ(s.BaseName, "Starterliste.txt");
    EXPECT_EQ(s.DisText, "Dis.");
    EXPECT_TRUE(s.Sound);
    EXPECT_TRUE(s.AutoStart);
    EXPECT_EQ(s.Left, 333);
    EXPECT_EQ(s.Top, 169);
    EXPECT_EQ(s.Width, 800);
    EXPECT_EQ(s.Height, 360);
    EXPECT_TRUE(store.reads.empty());
}

TEST(LoadSettings, GuardedSequence) {
    // Each case changes the full key; `stop` is the first setting that keeps its default
    // (and every later one with it), "" when all are read.
    const struct {
        const char* name;
        std::function<void(std::map<std::string, RegValue>&)> edit;
        std::string stop;
        std::function<void(Settings&)> also; // what differs from the full key besides
    } cases[] = {
        {"full key", [](auto&) {}, "", [](Settings&) {}},
        {"only the bounds",
         [](auto& k) {
             for (auto it = k.begin(); it != k.end();) {
                 it = (it->first == "Left" || it->first == "Top" || it->first == "Width" || it->first == "Height")
                          ? std::next(it)
                          : k.erase(it);
             }
         },
         "Port", [](Settings&) {}},
        {"no Port", [](auto& k) { k.erase("Port"); }, "Port", [](Settings&) {}},
        {"no Left", [](auto& k) { k.erase("Left"); }, "Left", [](Settings&) {}},
        {"no AutoStart", [](auto& k) { k.erase("AutoStart"); }, "AutoStart", [](Settings&) {}},
        {"BaseName missing reads empty and goes on", [](auto& k) { k.erase("BaseName"); }, "",
         [](Settings& s) { s.BaseName.clear(); }},
        {"DisText missing reads empty and goes on", [](auto& k) { k.erase("DisText"); }, "",
         [](Settings& s) { s.DisText.clear(); }},
        {"BaseName as REG_EXPAND_SZ is taken unexpanded",
         [](auto& k) { k["BaseName"] = RegValue::ExpandSz("%HOME%\\Liste.txt"); }, "",
         [](Settings& s) { s.BaseName = "%HOME%\\Liste.txt"; }},
        {"BaseName as REG_DWORD fails", [](auto& k) { k["BaseName"] = RegValue::Dword(1); }, "BaseName",
         [](Settings&) {}},
        {"DisText as REG_BINARY fails", [](auto& k) { k["DisText"] = Dbl(1.0); }, "DisText", [](Settings&) {}},
        {"tempo as REG_DWORD fails", [](auto& k) { k["tempo"] = RegValue::Dword(220); }, "tempo", [](Settings&) {}},
        {"tempo of 4 bytes fails",
         [](auto& k) {
             k["tempo"] = RegValue::Binary({0, 0, 0x5C, 0x43});
         },
         "tempo", [](Settings&) {}},
        {"tempo of 9 bytes fails", [](auto& k) { k["tempo"] = RegValue::Binary(std::vector<std::uint8_t>(9)); },
         "tempo", [](Settings&) {}},
        {"StrafPkt as text fails", [](auto& k) { k["StrafPkt"] = RegValue::Sz("0,8"); }, "StrafPkt", [](Settings&) {}},
        {"Len as text fails", [](auto& k) { k["Len"] = RegValue::Sz("2500"); }, "Len", [](Settings&) {}},
        {"Sound as binary fails",
         [](auto& k) {
             k["Sound"] = RegValue::Binary({1, 0, 0, 0});
         },
         "Sound", [](Settings&) {}},
        {"a foreign type fails", [](auto& k) { k["Width"] = RegValue::Other(11, std::vector<std::uint8_t>(8)); },
         "Width", [](Settings&) {}},
        {"Port keeps its low 8 bits", [](auto& k) { k["Port"] = RegValue::Dword(260); }, "",
         [](Settings& s) { s.Port = 4; }},
        {"Port 255", [](auto& k) { k["Port"] = RegValue::Dword(0xFFFFFFFF); }, "", [](Settings& s) { s.Port = 255; }},
        {"negative integers", [](auto& k) { k["Left"] = RegValue::Dword(0xFFFFFF9C); }, "",
         [](Settings& s) { s.Left = -100; }},
        {"any non-zero boolean is true",
         [](auto& k) {
             k["Sound"] = RegValue::Dword(2);
             k["AutoStart"] = RegValue::Dword(0x80000000);
         },
         "",
         [](Settings& s) {
             s.Sound = true;
             s.AutoStart = true;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemorySettingsStore store;
        store.keyExists = true;
        store.values = FullKey();
        c.edit(store.values);
        Settings s;
        LoadSettings(store, s);
        Settings want = FullUpTo(c.stop);
        c.also(want);
        ComputeAllowedTime(want);
        ExpectSame(s, want);
        EXPECT_EQ(store.closes, 1);
        // Nothing is read after the failing value.
        if (!c.stop.empty()) {
            EXPECT_EQ(store.reads.back(), c.stop);
        } else {
            EXPECT_EQ(store.reads.size(), std::size(kSettingNames));
        }
    }
}

TEST(LoadSettings, ReadsInTheStoredOrder) {
    MemorySettingsStore store;
    store.keyExists = true;
    store.values = FullKey();
    store.values["WebPort"] = RegValue::Dword(8080);
    store.values["Wertung"] = RegValue::Dword(1);
    store.values["Hoechstzeit"] = RegValue::Dword(1'000'000);
    store.values["Mindestzeit"] = RegValue::Dword(0);
    Settings s;
    LoadSettings(store, s);
    ASSERT_EQ(store.reads.size(), std::size(kSettingNames));
    for (std::size_t i = 0; i < store.reads.size(); ++i) {
        EXPECT_EQ(store.reads[i], kSettingNames[i]);
    }
}

TEST(LoadSettings, WebPortIsReadLastAndAStoreWithoutItReadsAsBefore) {
    const struct {
        std::optional<RegValue> value;
        std::uint32_t want;
    } cases[] = {{std::nullopt, 0},
                 {RegValue::Dword(8080), 8080},
                 {RegValue::Dword(65535), 65535},
                 {RegValue::Dword(65536), 0}, // no TCP port: off
                 {RegValue::Sz("8080"), 0}};
    for (const auto& c : cases) {
        MemorySettingsStore store;
        store.keyExists = true;
        store.values = FullKey();
        store.values.erase("WebPort");
        if (c.value) {
            store.values["WebPort"] = *c.value;
        }
        Settings s;
        LoadSettings(store, s);
        ExpectSame(s, FullUpTo("")); // every other value as before
        EXPECT_EQ(s.WebPort, c.want);
        ASSERT_GE(store.reads.size(), 19u);
        EXPECT_EQ(store.reads[18], "WebPort"); // after every older setting
    }
    // Written with the others, as a DWORD, and read back.
    MemorySettingsStore store;
    Settings s;
    s.WebPort = 8080;
    SaveSettings(store, s);
    EXPECT_EQ(store.values["WebPort"], RegValue::Dword(8080));
    store.keyExists = true;
    Settings back;
    LoadSettings(store, back);
    EXPECT_EQ(back.WebPort, 8080u);
}

TEST(LoadSettings, TheRulesAreReadAfterTheLiveResultsPortAndOldStoresReadAsBefore) {
    const struct {
        std::map<std::string, RegValue> values;
        std::uint32_t wertung, limit, minimum;
    } cases[] = {
        {{}, 0, 0, 0}, // written before the rules: "wie bisher"
        {{{"Wertung", RegValue::Dword(1)}}, 1, 0, 0},
        {{{"Wertung", RegValue::Dword(1)},
          {"Hoechstzeit", RegValue::Dword(780'000)},
          {"Mindestzeit", RegValue::Dword(420'000)}},
         1,
         780'000,
         420'000},
        {{{"Wertung", RegValue::Dword(7)}, {"Hoechstzeit", RegValue::Dword(90'000'000)}},
         0,
         0,
         0},                                                                                    // unknown, beyond a day
        {{{"Wertung", RegValue::Sz("1")}, {"Hoechstzeit", RegValue::Dword(780'000)}}, 0, 0, 0}, // mistyped: ends there
    };
    for (const auto& c : cases) {
        MemorySettingsStore store;
        store.keyExists = true;
        store.values = FullKey();
        store.values["WebPort"] = RegValue::Dword(8080);
        for (const char* later : {"Wertung", "Hoechstzeit", "Mindestzeit"}) {
            store.values.erase(later);
        }
        store.values.insert(c.values.begin(), c.values.end());
        Settings s;
        LoadSettings(store, s);
        EXPECT_EQ(s.WebPort, 8080u);
        EXPECT_EQ(s.Wertung, c.wertung);
        EXPECT_EQ(s.Hoechstzeit, c.limit);
        EXPECT_EQ(s.Mindestzeit, c.minimum);
    }
    // Written as DWORDs after the port and read back.
    MemorySettingsStore store;
    Settings s;
    s.Wertung = 1;
    s.Hoechstzeit = 700'000;
    s.Mindestzeit = 300'000;
    SaveSettings(store, s);
    EXPECT_EQ(std::vector<std::string>(store.writes.end() - 4, store.writes.end()),
              (std::vector<std::string>{"WebPort", "Wertung", "Hoechstzeit", "Mindestzeit"}));
    store.keyExists = true;
    Settings back;
    LoadSettings(store, back);
    EXPECT_EQ(back.Wertung, 1u);
    EXPECT_EQ(back.Hoechstzeit, 700'000u);
    EXPECT_EQ(back.Mindestzeit, 300'000u);
}

TEST(ComputeAllowedTime, Examples) {
    const struct {
        std::int32_t len;
        double tempo;
        Duration want;
    } cases[] = {
        {2400, 240.0, 600'000},
        {2500, 220.0, 681'818},
        {3000, 240.0, 750'000},
        {2400, 34.3, 4'198'251},
        {2400, 200.0, 720'000},
        {10, 999.0, 601},
        {100'000, 999.0, 6'006'006},
        // 1/2048 and 3/2048 of a day are exact halves of a millisecond: they go to the even neighbour.
        {45, 64.0, 42'188},                                   // 42 187.5 ms
        {135, 64.0, 126'562},                                 // 126 562.5 ms
        {100'000, 1.0, std::numeric_limits<Duration>::max()}, // 100 000 minutes do not fit: the largest time
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.len << " m at " << c.tempo);
        Settings s;
        s.Len = c.len;
        s.tempo = c.tempo;
        ComputeAllowedTime(s);
        EXPECT_EQ(s.AllowedTime, c.want);
    }
}

TEST(ComputeAllowedTime, OnlyTheUnusableOfLengthAndTempoTakesItsDefault) {
    const struct {
        std::int32_t len;
        double tempo;
        std::int32_t wantLen;
        double wantTempo;
        Duration want;
    } cases[] = {
        {2500, 0.0, 2500, 240.0, 625'000}, // the stored length stays
        {2400, -0.0, 2400, 240.0, 600'000},
        {3000, -120.0, 3000, 240.0, 750'000},
        {0, 200.0, 2400, 200.0, 720'000}, // the stored tempo stays
        {-2500, 220.0, 2400, 220.0, 654'545},
        {3000, 1e-320, 3000, 1e-320, 2'147'483'647}, // tiny but positive: the longest time there is
        {0, 0.0, 2400, 240.0, 600'000},
        {2400, std::numeric_limits<double>::quiet_NaN(), 2400, 240.0, 600'000},
        {2500, std::numeric_limits<double>::infinity(), 2500, 240.0, 625'000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.len << " m at " << c.tempo);
        MemorySettingsStore store;
        store.keyExists = true;
        store.values = FullKey();
        store.values["Len"] = RegValue::Dword(static_cast<std::uint32_t>(c.len));
        store.values["tempo"] = Dbl(c.tempo);
        Settings s;
        LoadSettings(store, s);
        EXPECT_EQ(s.Len, c.wantLen);
        EXPECT_EQ(s.tempo, c.wantTempo);
        EXPECT_EQ(s.AllowedTime, c.want);
        EXPECT_EQ(s.StrafSek, 4); // the values after them are still read
    }
}

TEST(SaveSettings, WritesEverySettingInOrderWithItsType) {
    MemorySettingsStore store;
    Settings s;
    s.Left = -5;
    s.Port = 12;
    s.AllowedTime = 1234;
    SaveSettings(store, s);
    ASSERT_EQ(store.writes.size(), std::size(kSettingNames));
    for (std::size_t i = 0; i < store.writes.size(); ++i) {
        EXPECT_EQ(store.writes[i], kSettingNames[i]);
    }
    EXPECT_EQ(store.closes, 1);
    EXPECT_EQ(store.values.count("AllowedTime"), 0u);
    EXPECT_EQ(store.values["Left"], RegValue::Dword(0xFFFFFFFB));
    EXPECT_EQ(store.values["Port"], RegValue::Dword(12));
    EXPECT_EQ(store.values["BaseName"], RegValue::Sz("Starterliste.txt"));
    EXPECT_EQ(store.values["Sound"], RegValue::Dword(1));
    EXPECT_EQ(store.values["tempo"], RegValue::Binary({0, 0, 0, 0, 0, 0, 0x6E, 0x40}));
    EXPECT_EQ(store.values["StrafPkt"], RegValue::Binary({0x9A, 0x99, 0x99, 0x99, 0x99, 0x99, 0xD9, 0x3F}));
    EXPECT_EQ(store.values["DisText"], RegValue::Sz("Dis."));
    EXPECT_EQ(store.values["AutoStart"], RegValue::Dword(1));
}

TEST(SaveSettings, AStoreThatCannotBeOpenedGetsNothing) {
    MemorySettingsStore store;
    store.writable = false;
    SaveSettings(store, Settings{});
    EXPECT_TRUE(store.writes.empty());
    EXPECT_TRUE(store.values.empty());
}

TEST(SaveSettings, SavedAndLoadedAgainGivesEverySettingBack) {
    const std::vector<std::function<void(Settings&)>> variants = {
        [](Settings&) {},
        [](Settings& s) {
            s.Left = std::numeric_limits<std::int32_t>::min();
            s.Top = std::numeric_limits<std::int32_t>::max();
            s.Port = 255;
            s.BaseName = "C:\\Reiten\\Start \"A\" ä.txt";
            s.Sound = false;
            s.tempo = 0.1 + 0.2;
            s.StrafPkt = 5e-324; // the smallest denormal
            s.DisText = "";
            s.AutoStart = false;
        },
        [](Settings& s) {
            s.tempo = 999.0;
            s.StrafPkt = -0.0;
            s.Len = 100'000;
            s.DisText = "Zeile1\r\nZeile2";
        },
    };
    for (std::size_t i = 0; i < variants.size(); ++i) {
        SCOPED_TRACE(i);
        Settings saved;
        variants[i](saved);
        ComputeAllowedTime(saved);
        MemorySettingsStore store;
        SaveSettings(store, saved);
        Settings loaded;
        loaded.Len = 1; // proves that the value is read, not kept
        LoadSettings(store, loaded);
        ExpectSame(loaded, saved);
    }
}

// The choices that are written as soon as they change, and the window's place, which waits for
// the end of the run.
TEST(ChoicesDiffer, EveryStoredChoiceCountsButNotTheWindowsPlace) {
    struct Case {
        const char* what;
        std::function<void(Settings&)> change;
        bool differs;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<Case> cases = {
        {"nothing", [](Settings&) {}, false},
        {"Left", [](Settings& s) { s.Left = 10; }, false},
        {"Top", [](Settings& s) { s.Top = 10; }, false},
        {"Width", [](Settings& s) { s.Width = 1000; }, false},
        {"Height", [](Settings& s) { s.Height = 700; }, false},
        {"AllowedTime (derived)", [](Settings& s) { s.AllowedTime = 1; }, false},
        {"Port", [](Settings& s) { s.Port = 3; }, true},
        {"BaseName", [](Settings& s) { s.BaseName = "Gelände.txt"; }, true},
        {"Sound", [](Settings& s) { s.Sound = false; }, true},
        {"Alg1", [](Settings& s) { s.Alg1 = 1; }, true},
        {"Alg2", [](Settings& s) { s.Alg2 = 0; }, true},
        {"Alg3", [](Settings& s) { s.Alg3 = 0; }, true},
        {"Len", [](Settings& s) { s.Len = 2500; }, true},
        {"tempo", [](Settings& s) { s.tempo = 220.0; }, true},
        {"StartInt", [](Settings& s) { s.StartInt = 3; }, true},
        {"StartClock", [](Settings& s) { s.StartClock = 600; }, true},
        {"StrafPkt", [](Settings& s) { s.StrafPkt = 0.2; }, true},
        {"StrafSek", [](Settings& s) { s.StrafSek = 2; }, true},
        {"DisText", [](Settings& s) { s.DisText = "Ausg."; }, true},
        {"AutoStart", [](Settings& s) { s.AutoStart = false; }, true},
        {"WebPort", [](Settings& s) { s.WebPort = 8080; }, true},
        {"Wertung", [](Settings& s) { s.Wertung = 1; }, true},
        {"Hoechstzeit", [](Settings& s) { s.Hoechstzeit = 900'000; }, true},
        {"Mindestzeit", [](Settings& s) { s.Mindestzeit = 400'000; }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Settings before;
        Settings after = before;
        c.change(after);
        EXPECT_EQ(ChoicesDiffer(before, after), c.differs);
        EXPECT_EQ(ChoicesDiffer(after, before), c.differs);
    }
    // A value read from a hand-edited store that is no number equals itself: no endless writes.
    Settings odd;
    odd.StrafPkt = nan;
    const Settings copy = odd;
    EXPECT_FALSE(ChoicesDiffer(odd, copy));
}

} // namespace
} // namespace vandoret
