// The rules a ride is scored by: time penalties, the time limit, speed faults, the status of a
// ride that gets no ranked time, and how its points are written. Plain functions over values;
// ResultsList applies them to the lists.
//
// Two rule sets, chosen in the settings ("Wertung:"):
//  - "wie bisher": the penalty is measured on the gross ride (before "Pausen"); every complete
//    interval in the excess plus one counts, so exactly 1,0 s over is two intervals. No time
//    limit, no speed faults. Points "%1.1f".
//  - "nach Reglement": the penalty is measured on the net ride (ride - "Pausen"); every started
//    interval counts: units = (excess + interval - 1) / interval in whole milliseconds, so
//    0,1 s and 1,0 s over are one interval, 1,1 s two. A net ride over the time limit is
//    eliminated; one under the speed-fault time (when set) earns the penalty points for every
//    started interval under it. Points written exactly (as many decimals as the penalty points
//    per interval or the fault points have).
//
// Examples with the defaults (allowed 10:00, 0,4 points per 1 s), "nach Reglement":
//   ScoreRide(rules, 601'000, 0)      -> timePoints 0.4
//   ScoreRide(rules, 610'000, 20'000) -> timePoints 0   (net 9:50)
//   ScoreRide(rules, 1'200'001, 0)    -> overLimit     (limit 2 x 10:00)
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/TimeValues.h"
#include "settings/Settings.h"

namespace vandoret {

enum class RuleSet : std::uint32_t { AsBefore = 0, ByRules = 1 };
// The names of the rule sets (Settings::Wertung) are kWertungNames, in the order of RuleSet.

struct RuleValues {
    RuleSet set = RuleSet::AsBefore;
    std::int64_t allowed = 600'000; // ms, the optimum time
    std::int64_t limit = 1'200'000; // ms, the time limit ("Höchstzeit"); used under ByRules only
    std::int64_t minimum = 0;       // ms, the speed-fault time; 0 = none; ByRules only
    double strafPkt = 0.4;          // points per interval
    std::int64_t intervalMs = 1000; // one interval; a setting of 0 or less counts 1 s
};

// The rules the settings give. The time limit is Hoechstzeit, or twice the allowed time while it is 0.
RuleValues RulesOf(const Settings& settings);
std::int64_t TimeLimitOf(const Settings& settings);

struct RideScore {
    double timePoints = 0.0;  // the time penalty ("EZ-Pkt.")
    double speedPoints = 0.0; // speed faults, counted with the fault points
    bool overLimit = false;   // eliminated: the net ride is over the time limit
};

// The score of a ride of `ride` ms with `pause` ms held; ride > 0.
RideScore ScoreRide(const RuleValues& rules, std::int64_t ride, std::int64_t pause);

// What happened to a rider who gets no ranked time.
enum class RideStatus { None, Retired, Eliminated, Disqualified, NotStarted };
// Its text in "Punkte": "A", "E", the disqualification text (DisText), "n.g."; empty for None.
std::string StatusText(RideStatus status, std::string_view disText);
// Its word in the journal ("aufgegeben", ...; "kein" for None) and back.
std::string_view StatusWord(RideStatus status);
std::optional<RideStatus> StatusFromWord(std::string_view word);

// The decimals "Punkte" shows: one under AsBefore; under ByRules as many as the penalty points per
// interval or the fault points have, one at least and three at most (0,25 gives two).
int PointDecimals(RuleSet set, double strafPkt, double faultPoints);
// Points with that many decimals and the locale's separator ("20,4", "0,25"); halves away from zero.
std::string FormatPoints(double points, int decimals, const Locale& locale);

// What the results pages say of the rules: empty under AsBefore, else the allowed time, the time
// limit, the speed-fault time when set and the rule set:
// "Erlaubte Zeit 5:20, Höchstzeit 10:40, Wertung nach Reglement".
std::string RulesHeading(const Settings& settings);

} // namespace vandoret
