// The scoring rules of one ride.
#include "results/Rules.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>

namespace vandoret {
namespace {

// Started intervals in `excess` ms (> 0): every part of one counts as a whole.
std::int64_t StartedIntervals(std::int64_t excess, std::int64_t interval) {
    return (excess + interval - 1) / interval;
}

// The decimals of the shortest text of a value (0.25 has two); at most `most`.
int DecimalsOf(double value, int most) {
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value));
    if (ec != std::errc()) {
        return 0;
    }
    const std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
    if (text.find('e') != std::string_view::npos) {
        return most;
    }
    const std::size_t point = text.find('.');
    return point == std::string_view::npos ? 0 : std::min<int>(most, static_cast<int>(text.size() - point - 1));
}

// "5:20", "0:25", or "5:20,5" when the time has tenths.
std::string HeadingTime(std::int64_t ms) {
    const Duration clamped = static_cast<Duration>(std::clamp<std::int64_t>(ms, 0, 86'400'000));
    std::string text = FormatDuration(clamped);
    if (clamped % 100 == 0 && text.size() > 2 && text.compare(text.size() - 2, 2, ",0") == 0) {
        text.resize(text.size() - 2);
    }
    if (clamped < 60'000) {
        text = (clamped < 10'000 ? "0:0" : "0:") + text; // "0:25", as a time, not a number
    }
    return text;
}

} // namespace

std::int64_t TimeLimitOf(const Settings& s) {
    return s.Hoechstzeit > 0 ? static_cast<std::int64_t>(s.Hoechstzeit) : 2 * static_cast<std::int64_t>(s.AllowedTime);
}

RuleValues RulesOf(const Settings& s) {
    RuleValues r;
    r.set = s.Wertung == 1 ? RuleSet::ByRules : RuleSet::AsBefore;
    r.allowed = s.AllowedTime;
    r.limit = TimeLimitOf(s);
    r.minimum = s.Mindestzeit;
    r.strafPkt = s.StrafPkt;
    r.intervalMs = s.StrafSek > 0 ? static_cast<std::int64_t>(s.StrafSek) * 1000 : 1000;
    return r;
}

RideScore ScoreRide(const RuleValues& rules, std::int64_t ride, std::int64_t pause) {
    RideScore score;
    if (rules.set == RuleSet::AsBefore) {
        // On the gross ride; complete intervals in the excess plus one.
        if (ride > rules.allowed) {
            const double over = static_cast<double>(ride - rules.allowed);
            const double seconds = static_cast<double>(rules.intervalMs) / 1000.0;
            const auto units = static_cast<std::int64_t>(std::trunc(over / 1000.0 / seconds + 1.0));
            score.timePoints = static_cast<double>(units) * rules.strafPkt;
        }
        return score;
    }
    const std::int64_t net = ride - pause;
    if (net > rules.allowed) {
        score.timePoints =
            static_cast<double>(StartedIntervals(net - rules.allowed, rules.intervalMs)) * rules.strafPkt;
    }
    if (rules.minimum > 0 && net >= 0 && net < rules.minimum) {
        score.speedPoints =
            static_cast<double>(StartedIntervals(rules.minimum - net, rules.intervalMs)) * rules.strafPkt;
    }
    score.overLimit = rules.limit > 0 && net > rules.limit;
    return score;
}

std::string StatusText(RideStatus status, std::string_view disText) {
    switch (status) {
    case RideStatus::Retired:
        return "A";
    case RideStatus::Eliminated:
        return "E";
    case RideStatus::Disqualified:
        return std::string(disText.empty() ? std::string_view("Dis.") : disText);
    case RideStatus::NotStarted:
        return "n.g.";
    case RideStatus::None:
        break;
    }
    return {};
}

namespace {
constexpr std::string_view kStatusWords[] = {"kein", "aufgegeben", "ausgeschieden", "disqualifiziert",
                                             "nicht gestartet"};
} // namespace

std::string_view StatusWord(RideStatus status) {
    return kStatusWords[static_cast<std::size_t>(status)];
}

std::optional<RideStatus> StatusFromWord(std::string_view word) {
    for (std::size_t i = 0; i < std::size(kStatusWords); ++i) {
        if (kStatusWords[i] == word) {
            return static_cast<RideStatus>(i);
        }
    }
    return std::nullopt;
}

int PointDecimals(RuleSet set, double strafPkt, double faultPoints) {
    if (set == RuleSet::AsBefore) {
        return 1;
    }
    return std::clamp(std::max(DecimalsOf(strafPkt, 3), DecimalsOf(faultPoints, 3)), 1, 3);
}

std::string FormatPoints(double points, int decimals, const Locale& locale) {
    // Halves away from zero, as the platform's formatter writes them (0,25 with one decimal is 0,3).
    const double scale = std::pow(10.0, decimals);
    double scaled = points * scale;
    if (std::isfinite(scaled)) {
        // A sum such as 0.1 + 0.2 lies a hair off its decimal value: round that noise away first.
        scaled = std::round(scaled * 1e6) / 1e6;
        points = std::copysign(std::floor(std::fabs(scaled) + 0.5), scaled) / scale;
    }
    char buffer[400];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, points, std::chars_format::fixed, decimals);
    std::string text = ec == std::errc() ? std::string(buffer, end) : std::string("0");
    std::replace(text.begin(), text.end(), '.', locale.decimalSeparator);
    if (text.size() > 1 && text.front() == '-' && text.find_first_not_of("-0,.") == std::string::npos) {
        text.erase(0, 1); // no "-0,0"
    }
    return text;
}

std::string RulesHeading(const Settings& s) {
    const RuleValues rules = RulesOf(s);
    if (rules.set == RuleSet::AsBefore) {
        return {};
    }
    std::string text = "Erlaubte Zeit " + HeadingTime(rules.allowed) + ", Höchstzeit " + HeadingTime(rules.limit);
    if (rules.minimum > 0) {
        text += ", Mindestzeit " + HeadingTime(rules.minimum);
    }
    text += ", Wertung ";
    text += kWertungNames[1];
    return text;
}

} // namespace vandoret
