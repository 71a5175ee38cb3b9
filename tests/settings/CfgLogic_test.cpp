#include "settings/CfgLogic.h"

#include <gtest/gtest.h>

namespace vandoret::cfg {
namespace {

struct RecordingPort : PortControl {
    std::vector<std::string> calls;
    bool openResult = true;
    std::vector<int> available{1, 3, 12};
    void ClosePort() override { calls.push_back("close"); }
    bool OpenPort(int n) override {
        calls.push_back("open " + std::to_string(n));
        return openResult;
    }
    std::vector<int> AvailablePorts() const override { return available; }
    void Pause(int ms) override { calls.push_back("pause " + std::to_string(ms)); }
};

const Locale kGerman{};
const Locale kEnglish{'.', ':'};

TEST(CfgPorts, ItemsIndexesAndNumbers) {
    const std::vector<std::string> items = PortItems({12, 3, 40, 0, -1, 1, 32, 33});
    EXPECT_EQ(items, (std::vector<std::string>{"Kein", "COM1", "COM3", "COM12", "COM32"}));
    EXPECT_EQ(PortItemIndex(items, 0), 0);
    EXPECT_EQ(PortItemIndex(items, 3), 2);
    EXPECT_EQ(PortItemIndex(items, 12), 3);
    EXPECT_EQ(PortItemIndex(items, 2), 0); // not found at start-up: "Kein"
    EXPECT_EQ(PortFromItem(items, 0), 0);
    EXPECT_EQ(PortFromItem(items, 3), 12);
    EXPECT_EQ(PortFromItem(items, 9), 0);
    EXPECT_EQ(PortFromItem(items, -1), 0);
    EXPECT_FALSE(ContactRowsEnabled(0));
    EXPECT_TRUE(ContactRowsEnabled(1));
}

TEST(CfgFields, NumbersAsThePlatformReadsThem) {
    const struct {
        const char* text;
        std::optional<std::int32_t> integer;
        std::optional<double> decimal; // German separators
    } cases[] = {
        {"1", 1, 1.0},
        {"  42", 42, 42.0},
        {"+7", 7, 7.0},
        {"-3", -3, -3.0},
        {"0,4", std::nullopt, 0.4},
        {"1,5", std::nullopt, 1.5},
        {",5", std::nullopt, 0.5},
        {"5,", std::nullopt, 5.0},
        {"1,5E2", std::nullopt, 150.0},
        {"2e-1", std::nullopt, 0.2},
        {"0.4", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
        {" ", std::nullopt, std::nullopt},
        {",", std::nullopt, std::nullopt},
        {"-", std::nullopt, std::nullopt},
        {"1e", std::nullopt, std::nullopt},
        {"1,2,3", std::nullopt, std::nullopt},
        {"abc", std::nullopt, std::nullopt},
        {"nan", std::nullopt, std::nullopt},
        {"inf", std::nullopt, std::nullopt},
        {"1e999", std::nullopt, std::nullopt},
        {"12 ", std::nullopt, 12.0},
        {"2147483647", 2147483647, 2147483647.0},
        {"-2147483648", -2147483647 - 1, -2147483648.0},
        {"2147483648", std::nullopt, 2147483648.0},
        {"99999999999999999999", std::nullopt, 1e20},
        {"\xC3\xA4", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseInteger(c.text), c.integer);
        EXPECT_EQ(ParseDecimal(c.text, kGerman), c.decimal);
    }
    EXPECT_EQ(ParseDecimal("0.4", kEnglish), 0.4);
    EXPECT_EQ(ParseDecimal("0,4", kEnglish), std::nullopt);
}

TEST(CfgFields, SpinAndDecimalFieldValues) {
    EXPECT_EQ(SpinValue("25", 1), 25);
    EXPECT_EQ(SpinValue("", 10), 10);
    EXPECT_EQ(SpinValue("1,5", 10), 10);
    EXPECT_EQ(SpinValue("5", 10), 5); // clamped only on focus loss
    EXPECT_EQ(Clamp(5, 10, 100'000), 10);
    EXPECT_EQ(Clamp(200'000, 10, 100'000), 100'000);

    EXPECT_EQ(FormatTempo(240.0, kGerman), "240,0");
    EXPECT_EQ(FormatTempo(34.2857, kGerman), "34,3");
    EXPECT_EQ(FormatTempo(220.0, kEnglish), "220.0");
    EXPECT_EQ(FormatTempo(0.0, kGerman), "1,0");
    EXPECT_EQ(FormatTempo(5000.0, kGerman), "999,0");
    // Exact halves round away from zero, as the platform's formatter does; the rest to the nearest.
    EXPECT_EQ(FormatTempo(34.25, kGerman), "34,3");
    EXPECT_EQ(FormatTempo(34.75, kGerman), "34,8");
    EXPECT_EQ(FormatTempo(34.35, kGerman), "34,4"); // 34.35 lies just above the half
    EXPECT_EQ(FormatTempo(34.15, kGerman), "34,1"); // 34.15 lies just below it
    EXPECT_EQ(FormatTempo(998.95, kGerman), "999,0");
    EXPECT_EQ(TempoValue("200,0", kGerman), 200.0);
    EXPECT_EQ(TempoValue("x", kGerman), 1.0);
    EXPECT_EQ(TempoValue("0,5", kGerman), 1.0);
    EXPECT_EQ(TempoValue("1500", kGerman), 999.0);
    EXPECT_EQ(TempoOnExit("", kGerman), 1.0);
    EXPECT_EQ(TempoOnExit("250", kGerman), 250.0);
    EXPECT_EQ(TempoOnExit("999", kGerman), 999.0); // both ends belong to the range
    EXPECT_EQ(TempoOnExit("1", kGerman), 1.0);
    EXPECT_EQ(TempoOnExit("0", kGerman), std::nullopt);
    EXPECT_EQ(TempoOnExit("1000", kGerman), std::nullopt);
    EXPECT_EQ(TempoOnExit("2x", kGerman), std::nullopt);

    EXPECT_EQ(FormatShortestDecimal(0.4, kGerman), "0,4");
    EXPECT_EQ(FormatShortestDecimal(1.0, kGerman), "1");
    EXPECT_EQ(FormatShortestDecimal(0.1 + 0.2, kGerman), "0,30000000000000004");
    EXPECT_EQ(ParseDecimal(FormatShortestDecimal(0.1 + 0.2, kGerman), kGerman), 0.1 + 0.2);
}

TEST(CfgFields, TypedCharacters) {
    for (char32_t c : {U'0', U'9', U','}) {
        EXPECT_TRUE(StrafKeyAllowed(c, kGerman));
        EXPECT_TRUE(SpinKeyAllowed(c, kGerman));
    }
    EXPECT_TRUE(StrafKeyAllowed(U'\b', kGerman));
    for (char32_t c : {U'.', U'-', U'+', U'a', U' ', U'\r', U'\x1b', U'ä', U'E'}) {
        EXPECT_FALSE(StrafKeyAllowed(c, kGerman)) << static_cast<int>(c);
    }
    EXPECT_TRUE(StrafKeyAllowed(U'.', kEnglish));
    EXPECT_FALSE(StrafKeyAllowed(U',', kEnglish));
    for (char32_t c : {U'+', U'-', U'\b', U'\x03', U'\x16'}) {
        EXPECT_TRUE(SpinKeyAllowed(c, kGerman)) << static_cast<int>(c);
    }
    for (char32_t c : {U'\r', U'a', U'.', U' '}) {
        EXPECT_FALSE(SpinKeyAllowed(c, kGerman)) << static_cast<int>(c);
    }
}

TEST(CfgTimes, LengthTempoAndAllowedTimeFollowEachOther) {
    EXPECT_EQ(FormatClock(TimeFromLenTempo(2400, 240.0), ClockForm::HhNnSs), "00:10:00");
    EXPECT_EQ(FormatClock(TimeFromLenTempo(3000, 240.0), ClockForm::HhNnSs), "00:12:30");
    EXPECT_EQ(FormatClock(TimeFromLenTempo(100'000, 1.0), ClockForm::HhNnSs), "10:40:00"); // wraps at 24 h
    EXPECT_EQ(TempoFromTime(2400, MakeTimeOfDay(0, 12, 0)), 200.0);
    const std::optional<double> slow = TempoFromTime(2400, MakeTimeOfDay(1, 10, 0));
    ASSERT_TRUE(slow);
    EXPECT_EQ(FormatTempo(*slow, kGerman), "34,3");
    EXPECT_EQ(FormatClock(TimeFromLenTempo(2400, TempoValue("34,3", kGerman)), ClockForm::HhNnSs), "01:09:58");
    // 137 m in 4 minutes is 34.25 m/min exactly: the field shows 34,3, and the time follows it.
    const std::optional<double> half = TempoFromTime(137, MakeTimeOfDay(0, 4, 0));
    ASSERT_TRUE(half);
    EXPECT_EQ(FormatTempo(*half, kGerman), "34,3");
    EXPECT_EQ(TempoFromTime(2400, 0.0), std::nullopt);
    EXPECT_EQ(TempoFromTime(2400, MakeTimeOfDay(0, 0, 0, 999)), std::nullopt); // milliseconds are not shown
    EXPECT_EQ(TempoFromTime(2400, MakeTimeOfDay(0, 10, 0, 700)), 240.0);
}

TEST(CfgTimes, FirstStartAndAllowedTimeFields) {
    const struct {
        std::int32_t minutes;
        const char* shown;
    } cases[] = {
        {570, "09:30"}, {0, "00:00"},    {1, "00:01"},    {45, "00:45"},   {59, "00:59"},
        {60, "01:00"},  {1439, "23:59"}, {1440, "00:00"}, {1500, "01:00"}, {-30, "23:30"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.minutes);
        EXPECT_EQ(FormatClock(StartClockTime(c.minutes, kGerman), ClockForm::HhNn), c.shown);
    }
    EXPECT_EQ(StartClockMinutes(MakeTimeOfDay(9, 30)), 570);
    EXPECT_EQ(StartClockMinutes(0.0), 0);
    EXPECT_EQ(StartClockMinutes(MakeTimeOfDay(9, 30, 59, 499)), 570);
    EXPECT_EQ(StartClockMinutes(MakeTimeOfDay(9, 30, 59, 500)), 571); // rounded to the second first

    EXPECT_EQ(AllowedTimeFromField(AllowedTimeOfDay(600'000)), 600'000);
    EXPECT_EQ(AllowedTimeFromField(AllowedTimeOfDay(681'818)), 681'818);
    EXPECT_EQ(AllowedTimeFromField(TimeFromLenTempo(2500, 220.0)), 681'818);
    EXPECT_EQ(AllowedTimeFromField(0.0), 0);
}

Settings Changed() {
    Settings s;
    s.DisText = "Aufg.";
    s.StrafPkt = 0.5;
    s.StrafSek = 2;
    s.Len = 3000;
    s.tempo = 300.0;
    s.StartInt = 3;
    s.StartClock = 600;
    s.AllowedTime = 12345;
    s.Alg1 = 1;
    s.Alg2 = 0;
    s.Alg3 = 0;
    s.Port = 3;
    return s;
}

TEST(CfgCycle, FieldsShowTheDefaults) {
    const std::vector<std::string> items = PortItems({1, 3});
    const CfgFields f = FieldsFromSettings(Settings{}, items, kGerman);
    EXPECT_EQ(f.portIndex, 0);
    EXPECT_EQ(f.alg1, 0);
    EXPECT_EQ(f.alg2, 1);
    EXPECT_EQ(f.alg3, 1);
    EXPECT_EQ(FormatClock(f.startClock, ClockForm::HhNn), "09:30");
    EXPECT_EQ(f.startIntText, "5");
    EXPECT_EQ(f.lenText, "2400");
    EXPECT_EQ(f.tempoText, "240,0");
    EXPECT_EQ(FormatClock(f.time, ClockForm::HhNnSs), "00:10:00");
    EXPECT_EQ(f.strafPktText, "0,4");
    EXPECT_EQ(f.strafSekText, "1");
    EXPECT_EQ(f.disText, "Dis.");
    EXPECT_EQ(FieldsFromSettings(Changed(), items, kGerman).portIndex, 2);
}

TEST(CfgCycle, OkWithoutEditsKeepsEverythingAndTakesTheFieldsTime) {
    const std::vector<std::string> items = PortItems({1, 3});
    Settings s;
    s.Len = 2500;
    s.tempo = 220.0;
    s.AllowedTime = 1; // taken from the field, not kept
    RecordingPort port;
    EXPECT_EQ(TransferBack(FieldsFromSettings(s, items, kGerman), items, s, port, kGerman), std::nullopt);
    EXPECT_EQ(s.AllowedTime, 681'818);
    EXPECT_EQ(s.Len, 2500);
    EXPECT_EQ(s.tempo, 220.0);
    EXPECT_EQ(s.StrafPkt, 0.4);
    EXPECT_EQ(s.StrafSek, 1);
    EXPECT_EQ(s.StartClock, 570);
    EXPECT_EQ(s.StartInt, 5);
    EXPECT_EQ(s.Port, 0);
    EXPECT_EQ(port.calls, (std::vector<std::string>{"close"}));
}

TEST(CfgCycle, TransferStopsAtAFieldThatDoesNotConvert) {
    const std::vector<std::string> items = PortItems({1, 3});
    const struct {
        const char* name;
        void (*edit)(CfgFields&);
        std::string message;
        int transferred; // settings taken before the stop: DisText, StrafPkt, StrafSek, Len, tempo
    } cases[] = {
        {"StrafPkt", [](CfgFields& f) { f.strafPktText = "0.4"; }, "'0.4' is not a valid floating point value", 1},
        {"StrafPkt empty", [](CfgFields& f) { f.strafPktText = ""; }, "'' is not a valid floating point value", 1},
        {"StrafSek 1,5", [](CfgFields& f) { f.strafSekText = "1,5"; }, "'1,5' is not a valid integer value", 2},
        {"StrafSek 0", [](CfgFields& f) { f.strafSekText = "0"; }, StrafSekError("0"), 2},
        {"StrafSek -2", [](CfgFields& f) { f.strafSekText = "-2"; }, StrafSekError("-2"), 2},
        {"tempo", [](CfgFields& f) { f.tempoText = "x"; }, "'x' is not a valid floating point value", 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Settings old = Changed();
        Settings s = old;
        CfgFields f = FieldsFromSettings(Settings{}, items, kGerman); // every field differs
        f.portIndex = 1;
        c.edit(f);
        RecordingPort port;
        EXPECT_EQ(TransferBack(f, items, s, port, kGerman), c.message);
        EXPECT_TRUE(port.calls.empty());
        EXPECT_EQ(s.DisText, "Dis.");
        EXPECT_EQ(s.StrafPkt, c.transferred >= 2 ? 0.4 : old.StrafPkt);
        EXPECT_EQ(s.StrafSek, c.transferred >= 3 ? 1 : old.StrafSek);
        EXPECT_EQ(s.Len, c.transferred >= 4 ? 2400 : old.Len);
        EXPECT_EQ(s.tempo, old.tempo);
        EXPECT_EQ(s.StartInt, old.StartInt);
        EXPECT_EQ(s.StartClock, old.StartClock);
        EXPECT_EQ(s.AllowedTime, old.AllowedTime);
        EXPECT_EQ(s.Alg1, old.Alg1);
        EXPECT_EQ(s.Port, old.Port);
    }
}

TEST(CfgCycle, ChoosingAPortClosesAndReopensIt) {
    const std::vector<std::string> items = PortItems({1, 3, 12});
    const struct {
        int index;
        bool opens;
        std::uint8_t port;
        std::vector<std::string> calls;
    } cases[] = {
        {0, true, 0, {"close"}},
        {1, true, 1, {"close", "pause 50", "open 1"}},
        {3, true, 12, {"close", "pause 50", "open 12"}},
        {2, false, 3, {"close", "pause 50", "open 3"}}, // kept although it did not open
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        Settings s = Changed();
        CfgFields f = FieldsFromSettings(s, items, kGerman);
        f.portIndex = c.index;
        f.alg1 = 0;
        f.alg2 = 1;
        f.alg3 = -1; // nothing chosen: kept
        RecordingPort port;
        port.openResult = c.opens;
        EXPECT_EQ(TransferBack(f, items, s, port, kGerman), std::nullopt);
        EXPECT_EQ(s.Port, c.port);
        EXPECT_EQ(port.calls, c.calls);
        EXPECT_EQ(s.Alg1, 0);
        EXPECT_EQ(s.Alg2, 1);
        EXPECT_EQ(s.Alg3, 0);
    }
}

TEST(CfgCycle, OutOfRangeFieldsAreClampedOnTransfer) {
    const std::vector<std::string> items = PortItems({});
    Settings s;
    CfgFields f = FieldsFromSettings(s, items, kGerman);
    f.lenText = "5";
    f.startIntText = "99";
    f.tempoText = "0";
    f.startClock = MakeTimeOfDay(0, 0);
    RecordingPort port;
    EXPECT_EQ(TransferBack(f, items, s, port, kGerman), std::nullopt);
    EXPECT_EQ(s.Len, 10);
    EXPECT_EQ(s.StartInt, 30);
    EXPECT_EQ(s.tempo, 1.0);
    EXPECT_EQ(s.StartClock, 0);
}

TEST(CfgCycle, LiveResultsPortFieldIsTakenLastAndClamped) {
    const std::vector<std::string> items = PortItems({});
    const struct {
        std::string text;
        std::uint32_t want;
    } cases[] = {{"8080", 8080}, {"0", 0}, {"", 0}, {"99999", 65535}, {"-3", 0}, {"80a", 0}};
    for (const auto& c : cases) {
        Settings s;
        s.WebPort = 1234;
        CfgFields f = FieldsFromSettings(s, items, kGerman);
        EXPECT_EQ(f.webPortText, "1234");
        f.webPortText = c.text;
        RecordingPort port;
        EXPECT_EQ(TransferBack(f, items, s, port, kGerman), std::nullopt);
        EXPECT_EQ(s.WebPort, c.want) << c.text;
    }
    // A field that does not convert stops the transfer before the port: it keeps its value.
    Settings s;
    s.WebPort = 1234;
    CfgFields f = FieldsFromSettings(s, items, kGerman);
    f.strafSekText = "x";
    f.webPortText = "8080";
    RecordingPort port;
    EXPECT_NE(TransferBack(f, items, s, port, kGerman), std::nullopt);
    EXPECT_EQ(s.WebPort, 1234u);
}

TEST(CfgCycle, TheTimeLimitFollowsTwiceTheAllowedTimeUntilTheOperatorSetsIt) {
    const std::vector<std::string> items = PortItems({});
    const struct {
        std::uint32_t stored; // Hoechstzeit before
        bool operatorSets;    // the operator changed the field
        TimeOfDay shown;      // to this
        std::uint32_t want;   // Hoechstzeit after OK
    } cases[] = {
        {0, false, 0.0, 0},                            // follows: stays 0
        {0, true, MakeTimeOfDay(0, 25, 0), 1'500'000}, // set by the operator
        {1'500'000, false, 0.0, 1'500'000},            // kept
        {1'500'000, true, MakeTimeOfDay(0, 0, 0), 0},  // 00:00:00: follows again
    };
    for (const auto& c : cases) {
        Settings s; // 10:00 allowed
        s.Hoechstzeit = c.stored;
        s.Wertung = 1;
        CfgFields f = FieldsFromSettings(s, items, kGerman);
        EXPECT_EQ(f.wertung, 1);
        EXPECT_EQ(f.limitFollows, c.stored == 0);
        EXPECT_EQ(ShownSeconds(f.limit), c.stored == 0 ? 1200 : static_cast<int>(c.stored / 1000));
        if (c.operatorSets) {
            f.limit = c.shown;
            f.limitFollows = LimitFollows(c.shown);
        }
        f.minimum = MakeTimeOfDay(0, 8, 30);
        RecordingPort port;
        EXPECT_EQ(TransferBack(f, items, s, port, kGerman), std::nullopt);
        EXPECT_EQ(s.Hoechstzeit, c.want);
        EXPECT_EQ(s.Mindestzeit, 510'000u);
        EXPECT_EQ(s.Wertung, 1u);
    }
}

} // namespace
} // namespace vandoret::cfg
