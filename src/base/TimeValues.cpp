#include "base/TimeValues.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace vandoret {
namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;

void AppendTwoDigits(std::string& out, std::int64_t value) {
    out += static_cast<char>('0' + (value / 10) % 10);
    out += static_cast<char>('0' + value % 10);
}

// The full ten-character form HH:MM:SS<sep>T of a non-negative millisecond count.
std::string FullDurationForm(std::int64_t ms, char decimalSeparator) {
    const std::int64_t seconds = ms / 1000;
    std::string full;
    full.reserve(10);
    AppendTwoDigits(full, (seconds / 3600) % 100);
    full += ':';
    AppendTwoDigits(full, (seconds / 60) % 60);
    full += ':';
    AppendTwoDigits(full, seconds % 60);
    full += decimalSeparator;
    full += static_cast<char>('0' + (ms / 100) % 10);
    return full;
}

std::string FormatDurationWide(std::int64_t ms, const Locale& locale) {
    std::string text = ms < 0 ? std::string(1, '-') : std::string();
    text += StripLeadingZeros(FullDurationForm(ms < 0 ? -ms : ms, locale.decimalSeparator));
    return text;
}

// A field of ParseDuration: optional blanks, optional sign, decimal digits, nothing else.
int ParseField(std::u32string_view field) {
    std::size_t i = 0;
    while (i < field.size() && field[i] == U' ') {
        ++i;
    }
    bool negative = false;
    if (i < field.size() && (field[i] == U'+' || field[i] == U'-')) {
        negative = field[i] == U'-';
        ++i;
    }
    if (i == field.size()) {
        return 0;
    }
    int value = 0;
    for (; i < field.size(); ++i) {
        if (field[i] < U'0' || field[i] > U'9') {
            return 0;
        }
        value = value * 10 + static_cast<int>(field[i] - U'0');
    }
    return negative ? -value : value;
}

// Decodes UTF-8 into code points so that a character counts once however many bytes it takes.
// Malformed bytes count as one character each.
std::u32string DecodeUtf8Lenient(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (c >= 0x80 && c < 0xC0) {
            extra = 0;
        }
        if (i + static_cast<std::size_t>(extra) >= text.size()) {
            extra = 0; // truncated sequence
        }
        char32_t cp = extra == 0 ? c : (c & (0x3F >> extra));
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(text[i + k]);
            if ((cc & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (!ok) {
            extra = 0;
            cp = c;
        }
        out += cp;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

// Reads 1..maxDigits decimal digits at pos.
std::optional<int> ReadNumber(std::string_view text, std::size_t& pos, std::size_t maxDigits) {
    const std::size_t start = pos;
    int value = 0;
    while (pos < text.size() && pos - start < maxDigits && text[pos] >= '0' && text[pos] <= '9') {
        value = value * 10 + (text[pos] - '0');
        ++pos;
    }
    if (pos == start) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::string StripLeadingZeros(std::string_view text) {
    std::size_t p = 0;
    while (p < text.size() && !(text[p] >= '1' && text[p] <= '9')) {
        ++p;
    }
    const std::size_t cut = p < 7 ? p : 7;
    return std::string(text.substr(cut));
}

std::string FormatDuration(Duration ms, const Locale& locale) {
    return FormatDurationWide(ms, locale);
}

std::optional<Duration> ParsePause(std::string_view text, const Locale& locale) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') {
        text.remove_suffix(1);
    }
    std::int64_t fields[3] = {0, 0, 0};
    int count = 0;
    std::size_t i = 0;
    for (;;) {
        const std::size_t begin = i;
        std::int64_t value = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            if (value > 100'000'000) {
                return std::nullopt; // beyond every Duration
            }
            value = value * 10 + (text[i] - '0');
        }
        const std::size_t digits = i - begin;
        if (digits == 0 || (count > 0 && (digits > 2 || value >= 60))) {
            return std::nullopt;
        }
        fields[count++] = value;
        if (i == text.size() || text[i] != ':') {
            break;
        }
        if (count == 3) {
            return std::nullopt;
        }
        ++i;
    }
    if (count > 1 && i - (text.rfind(':', i - 1) + 1) != 2) {
        return std::nullopt; // the seconds after a ':' have two digits
    }
    std::int64_t tenths = 0;
    if (i < text.size() && text[i] == locale.decimalSeparator) {
        ++i;
        if (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            tenths = text[i] - '0';
        }
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            ++i; // further decimals are cut
        }
    }
    if (i != text.size()) {
        return std::nullopt;
    }
    std::int64_t seconds = 0;
    for (int k = 0; k < count; ++k) {
        seconds = seconds * 60 + fields[k];
    }
    const std::int64_t ms = seconds * 1000 + tenths * 100;
    if (ms > std::numeric_limits<Duration>::max()) {
        return std::nullopt;
    }
    return static_cast<Duration>(ms);
}

Duration ParseDuration(std::string_view text) {
    static const std::u32string kTemplate = U"00:00:00,0";
    std::u32string chars = DecodeUtf8Lenient(text);
    if (chars.size() > kTemplate.size()) {
        chars = kTemplate;
    } else if (chars.size() < kTemplate.size()) {
        chars = kTemplate.substr(0, kTemplate.size() - chars.size()) + chars;
    }
    const std::u32string_view view(chars);
    const std::int64_t result =
        std::int64_t{ParseField(view.substr(0, 2))} * 3'600'000 + std::int64_t{ParseField(view.substr(3, 2))} * 60'000 +
        std::int64_t{ParseField(view.substr(6, 2))} * 1'000 + std::int64_t{ParseField(view.substr(9, 1))} * 100;
    return static_cast<Duration>(result);
}

std::string FormatMinutes(std::int32_t minutes, const Locale& locale) {
    std::string text = FormatDurationWide(std::int64_t{minutes} * 60'000, locale);
    // Drop the decimal separator and the tenths digit.
    text.resize(text.size() >= 2 ? text.size() - 2 : 0);
    return text;
}

namespace {

// ParseTimeOfDay, with ':' also taken at each time separator when colonToo is set.
std::optional<TimeOfDay> ParseTime(std::string_view text, const Locale& locale, bool colonToo) {
    const auto isSeparator = [&](char c) { return c == locale.timeSeparator || (colonToo && c == ':'); };
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    std::size_t pos = 0;
    const auto hours = ReadNumber(text, pos, 2);
    if (!hours || pos >= text.size() || !isSeparator(text[pos])) {
        return std::nullopt;
    }
    ++pos;
    const auto minutes = ReadNumber(text, pos, 2);
    if (!minutes) {
        return std::nullopt;
    }
    int seconds = 0;
    int millis = 0;
    if (pos < text.size()) {
        if (!isSeparator(text[pos])) {
            return std::nullopt;
        }
        ++pos;
        const auto s = ReadNumber(text, pos, 2);
        if (!s) {
            return std::nullopt;
        }
        seconds = *s;
        if (pos < text.size()) {
            if (text[pos] != locale.decimalSeparator) {
                return std::nullopt;
            }
            ++pos;
            const auto ms = ReadNumber(text, pos, 3);
            if (!ms) {
                return std::nullopt;
            }
            millis = *ms;
        }
    }
    if (pos != text.size() || *hours > 23 || *minutes > 59 || seconds > 59 || millis > 999) {
        return std::nullopt;
    }
    return MakeTimeOfDay(*hours, *minutes, seconds, millis);
}

} // namespace

std::optional<TimeOfDay> ParseTimeOfDay(std::string_view text, const Locale& locale) {
    return ParseTime(text, locale, false);
}

std::optional<TimeOfDay> ParsePlannedStart(std::string_view text, const Locale& locale) {
    return ParseTime(text, locale, true);
}

std::int64_t ToMilliseconds(TimeOfDay value) {
    if (!std::isfinite(value)) {
        return 0;
    }
    const double scaled = value * static_cast<double>(kMsPerDay);
    if (scaled > 9.0e15 || scaled < -9.0e15) {
        return 0;
    }
    return static_cast<std::int64_t>(std::nearbyint(scaled));
}

TimeOfDay MakeTimeOfDay(int hours, int minutes, int seconds, int milliseconds) {
    const std::int64_t ms =
        std::int64_t{hours} * 3'600'000 + std::int64_t{minutes} * 60'000 + std::int64_t{seconds} * 1'000 + milliseconds;
    return static_cast<double>(ms) / static_cast<double>(kMsPerDay);
}

std::string FormatClock(TimeOfDay value, ClockForm form, const Locale& locale) {
    std::int64_t ms = std::llabs(ToMilliseconds(value)) % kMsPerDay;
    const std::int64_t h = ms / 3'600'000;
    const std::int64_t n = (ms / 60'000) % 60;
    const std::int64_t s = (ms / 1'000) % 60;
    const std::int64_t z = ms % 1'000;
    std::string out;
    out.reserve(12);
    switch (form) {
    case ClockForm::NnSs:
        AppendTwoDigits(out, n);
        out += locale.timeSeparator;
        AppendTwoDigits(out, s);
        break;
    case ClockForm::HhNn:
        AppendTwoDigits(out, h);
        out += locale.timeSeparator;
        AppendTwoDigits(out, n);
        break;
    case ClockForm::HhNnSs:
    case ClockForm::HhNnSsZ:
        AppendTwoDigits(out, h);
        out += locale.timeSeparator;
        AppendTwoDigits(out, n);
        out += locale.timeSeparator;
        AppendTwoDigits(out, s);
        if (form == ClockForm::HhNnSsZ) {
            out += ',';
            out += static_cast<char>('0' + z / 100); // the tenth: "zzz" cut to its first digit
        }
        break;
    }
    return out;
}

} // namespace vandoret
