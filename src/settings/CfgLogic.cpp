// The rules of the settings dialog.
#include "settings/CfgLogic.h"

#include "base/NumberText.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <limits>
#include <thread>

namespace vandoret {

void PortControl::Pause(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

namespace cfg {
namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string WithSeparator(std::string text, const Locale& locale) {
    for (char& c : text) {
        if (c == '.') {
            c = locale.decimalSeparator;
        }
    }
    return text;
}

} // namespace

std::vector<std::string> PortItems(const std::vector<int>& available) {
    std::vector<std::string> items{kNoPort};
    for (int n = 1; n <= 32; ++n) {
        for (int a : available) {
            if (a == n) {
                items.push_back("COM" + std::to_string(n));
                break;
            }
        }
    }
    return items;
}

int PortItemIndex(const std::vector<std::string>& items, int port) {
    const std::string wanted = "COM" + std::to_string(port);
    for (std::size_t i = 1; i < items.size(); ++i) {
        if (items[i] == wanted) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

int PortFromItem(const std::vector<std::string>& items, int index) {
    if (index <= 0 || index >= static_cast<int>(items.size())) {
        return 0;
    }
    const std::string& text = items[static_cast<std::size_t>(index)];
    const std::optional<std::int32_t> n =
        text.size() > 3 ? ParseInteger(std::string_view(text).substr(3)) : std::nullopt;
    return n && *n > 0 && *n <= 255 ? *n : 0;
}

std::optional<std::int32_t> ParseInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (!IsDigit(text[i])) {
            return std::nullopt;
        }
        value = value * 10 + (text[i] - '0');
        if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) {
            return std::nullopt;
        }
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

std::optional<double> ParseDecimal(std::string_view text, const Locale& locale) {
    return ParseLocaleDecimal(text, locale);
}

int SpinValue(std::string_view text, int min) {
    const std::optional<std::int32_t> v = ParseInteger(text);
    return v ? *v : min;
}

bool SpinKeyAllowed(char32_t c, const Locale& locale) {
    return (c >= U'0' && c <= U'9') || c == U'+' || c == U'-' ||
           c == static_cast<char32_t>(static_cast<unsigned char>(locale.decimalSeparator)) || (c < 0x20 && c != U'\r');
}

std::string FormatTempo(double value, const Locale& locale) {
    value = ClampTempo(value);
    // Halves go away from zero, as the platform's number formatter rounds them: 34.25 shows as
    // "34,3". A double lies exactly halfway between two tenths only at x.25 and x.75.
    const double quarters = value * 4.0; // exact: a power of two
    if (quarters == std::floor(quarters) && std::fmod(quarters, 2.0) == 1.0) {
        value = std::nextafter(value, HUGE_VAL);
    }
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 1);
    return ec == std::errc() ? WithSeparator(std::string(buf, end), locale) : std::string();
}

double ClampTempo(double value) {
    if (!(value >= kTempoMin)) { // also NaN
        return kTempoMin;
    }
    return value > kTempoMax ? kTempoMax : value;
}

double TempoValue(std::string_view text, const Locale& locale) {
    const std::optional<double> v = ParseDecimal(text, locale);
    return v ? ClampTempo(*v) : kTempoMin;
}

std::optional<double> TempoOnExit(std::string_view text, const Locale& locale) {
    if (text.find_first_not_of(' ') == std::string_view::npos) {
        return kTempoMin;
    }
    const std::optional<double> v = ParseDecimal(text, locale);
    if (!v || *v < kTempoMin || *v > kTempoMax) {
        return std::nullopt;
    }
    return *v;
}

bool StrafKeyAllowed(char32_t c, const Locale& locale) {
    return c == U'\b' || (c >= U'0' && c <= U'9') ||
           c == static_cast<char32_t>(static_cast<unsigned char>(locale.decimalSeparator));
}

std::string FormatShortestDecimal(double value, const Locale& locale) {
    char buf[400];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return ec == std::errc() ? WithSeparator(std::string(buf, end), locale) : std::string();
}

TimeOfDay TimeFromLenTempo(int len, double tempo) {
    if (!(tempo > 0.0)) {
        return 0.0;
    }
    const double days = static_cast<double>(len) / tempo / 1440.0;
    if (!std::isfinite(days) || days < 0.0) {
        return 0.0;
    }
    return days - std::floor(days); // a time of day
}

int ShownSeconds(TimeOfDay value) {
    const std::int64_t ms = ((ToMilliseconds(value) % kMsPerDay) + kMsPerDay) % kMsPerDay;
    return static_cast<int>(ms / 1000);
}

std::optional<double> TempoFromTime(int len, TimeOfDay shown) {
    const int t = ShownSeconds(shown);
    if (t == 0) {
        return std::nullopt;
    }
    return static_cast<double>(len) * 60.0 / static_cast<double>(t);
}

TimeOfDay FollowingLimit(TimeOfDay allowed) {
    return MakeTimeOfDay(0, 0, std::min(2 * ShownSeconds(allowed), 86'399));
}

TimeOfDay StartClockTime(std::int32_t startClock, const Locale& locale) {
    // Under one hour the minute text has no hour field: "45:00" would not read as a time of day,
    // and "5:00" would read as five o'clock.
    if (startClock >= 0 && startClock < 60) {
        return MakeTimeOfDay(0, startClock);
    }
    if (const std::optional<TimeOfDay> t = ParseTimeOfDay(FormatMinutes(startClock, locale), locale)) {
        return *t;
    }
    const std::int64_t minutes = ((std::int64_t{startClock} % 1440) + 1440) % 1440;
    return MakeTimeOfDay(0, static_cast<int>(minutes));
}

std::int32_t StartClockMinutes(TimeOfDay value) {
    const double seconds = std::nearbyint(value * 86400.0);
    if (!std::isfinite(seconds) || seconds < 0.0) {
        return 0;
    }
    return static_cast<std::int32_t>(static_cast<std::int64_t>(seconds) / 60);
}

TimeOfDay AllowedTimeOfDay(Duration allowedTime) {
    return static_cast<double>(allowedTime) / static_cast<double>(kMsPerDay);
}

Duration AllowedTimeFromField(TimeOfDay value) {
    const double ms = std::nearbyint(value * static_cast<double>(kMsPerDay)); // halves to even
    if (!(ms >= 0.0)) {
        return 0;
    }
    return ms >= static_cast<double>(std::numeric_limits<Duration>::max()) ? std::numeric_limits<Duration>::max()
                                                                           : static_cast<Duration>(ms);
}

CfgFields FieldsFromSettings(const Settings& s, const std::vector<std::string>& portItems, const Locale& locale) {
    CfgFields f;
    f.portIndex = PortItemIndex(portItems, s.Port);
    f.alg1 = s.Alg1;
    f.alg2 = s.Alg2;
    f.alg3 = s.Alg3;
    f.startClock = StartClockTime(s.StartClock, locale);
    f.startIntText = std::to_string(Clamp(s.StartInt, kStartIntMin, kStartIntMax));
    f.time = AllowedTimeOfDay(s.AllowedTime);
    const int len = Clamp(s.Len, kLenMin, kLenMax);
    f.lenText = std::to_string(len);
    f.tempoText = FormatTempo(s.tempo, locale);
    f.time = TimeFromLenTempo(len, TempoValue(f.tempoText, locale));
    f.strafPktText = FormatShortestDecimal(s.StrafPkt, locale);
    f.strafSekText = std::to_string(s.StrafSek);
    f.disText = s.DisText;
    f.webPortText = std::to_string(s.WebPort);
    f.wertung = s.Wertung == 1 ? 1 : 0;
    f.limitFollows = s.Hoechstzeit == 0;
    f.limit = f.limitFollows ? FollowingLimit(f.time) : AllowedTimeOfDay(static_cast<Duration>(s.Hoechstzeit));
    f.minimum = AllowedTimeOfDay(static_cast<Duration>(s.Mindestzeit));
    return f;
}

std::optional<std::string> TransferBack(const CfgFields& f, const std::vector<std::string>& portItems, Settings& s,
                                        PortControl& port, const Locale& locale) {
    s.DisText = f.disText;

    const std::optional<double> strafPkt = ParseDecimal(f.strafPktText, locale);
    if (!strafPkt) {
        return FloatError(f.strafPktText);
    }
    s.StrafPkt = *strafPkt;

    const std::optional<std::int32_t> strafSek = ParseInteger(f.strafSekText);
    if (!strafSek) {
        return IntegerError(f.strafSekText);
    }
    if (*strafSek <= 0) {
        return StrafSekError(f.strafSekText);
    }
    s.StrafSek = *strafSek;

    s.Len = Clamp(SpinValue(f.lenText, kLenMin), kLenMin, kLenMax);

    const std::optional<double> tempo = ParseDecimal(f.tempoText, locale);
    if (!tempo) {
        return FloatError(f.tempoText);
    }
    s.tempo = ClampTempo(*tempo);

    s.StartInt = Clamp(SpinValue(f.startIntText, kStartIntMin), kStartIntMin, kStartIntMax);
    s.StartClock = StartClockMinutes(f.startClock);
    s.AllowedTime = AllowedTimeFromField(f.time);

    port.ClosePort();

    // No choice in a polarity list keeps the polarity it had.
    s.Alg1 = f.alg1 >= 0 ? f.alg1 : s.Alg1;
    s.Alg2 = f.alg2 >= 0 ? f.alg2 : s.Alg2;
    s.Alg3 = f.alg3 >= 0 ? f.alg3 : s.Alg3;

    s.Port = 0;
    const int n = PortFromItem(portItems, f.portIndex);
    if (n > 0) {
        s.Port = static_cast<std::uint8_t>(n);
        port.Pause(kReopenPauseMs);
        (void)port.OpenPort(n); // a port that does not open is kept as chosen and stored at shut-down
    }
    s.WebPort = static_cast<std::uint32_t>(Clamp(SpinValue(f.webPortText, kWebPortMin), kWebPortMin, kWebPortMax));
    s.Wertung = f.wertung == 1 ? 1u : 0u;
    const auto shownMs = [](TimeOfDay t) { return static_cast<std::uint32_t>(ShownSeconds(t)) * 1000u; };
    s.Hoechstzeit = f.limitFollows || LimitFollows(f.limit) ? 0u : shownMs(f.limit);
    s.Mindestzeit = shownMs(f.minimum);
    return std::nullopt;
}

namespace {
// "'" + text + "'" + rest, built by appending (GCC 12 misreads "'" + std::string as overlapping).
std::string Quoted(std::string_view text, std::string_view rest) {
    std::string message;
    message.reserve(text.size() + rest.size() + 2);
    message += '\'';
    message += text;
    message += '\'';
    message += rest;
    return message;
}
} // namespace

std::string FloatError(std::string_view text) {
    return Quoted(text, " is not a valid floating point value");
}

std::string IntegerError(std::string_view text) {
    return Quoted(text, " is not a valid integer value");
}

std::string StrafSekError(std::string_view text) {
    return Quoted(text, " ist keine gültige Straf-Zeit: mindestens 1 Sek.");
}

} // namespace cfg
} // namespace vandoret
