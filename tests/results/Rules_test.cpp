// The rule sets of the results: penalties, time limit, speed faults, ties, statuses, points.
#include "results/Rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "results/ResultsFixture.h"

namespace vandoret {
namespace {

using testing::ResultsLists;

constexpr std::int64_t kAllowed = 600'000; // the default 10:00

RuleValues Rules(RuleSet set, std::int64_t minimum = 0) {
    Settings s;
    s.Wertung = static_cast<std::uint32_t>(set);
    s.Mindestzeit = static_cast<std::uint32_t>(minimum);
    return RulesOf(s);
}

TEST(Rules, PenaltiesAtTheBoundariesOfBothRuleSets) {
    const struct {
        std::int64_t ride, pause;
        double asBefore, byRules;
        bool overLimit; // under the rules
    } rows[] = {
        {kAllowed, 0, 0.0, 0.0, false},                       // exactly the allowed time
        {kAllowed + 100, 0, 0.4, 0.4, false},                 // 0,1 s over
        {kAllowed + 1000, 0, 0.8, 0.4, false},                // exactly 1,0 s: today two intervals, one started
        {kAllowed + 1100, 0, 0.8, 0.8, false},                // 1,1 s
        {kAllowed + 2000, 0, 1.2, 0.8, false},                // 2,0 s
        {kAllowed + 10'000, 20'000, 4.4, 0.0, false},         // 10:10 with 20 s held: net 9:50
        {kAllowed + 10'000, 9'900, 4.4, 0.4, false},          // net 10:00,1
        {2 * kAllowed, 0, 240.4, 240.0, false},               // exactly at the time limit
        {2 * kAllowed + 1, 0, 240.4, 240.4, true},            // 1 ms over it
        {2 * kAllowed + 30'000, 30'000, 252.4, 240.0, false}, // over it gross, not net
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.ride);
        const RideScore before = ScoreRide(Rules(RuleSet::AsBefore), r.ride, r.pause);
        EXPECT_NEAR(before.timePoints, r.asBefore, 1e-9);
        EXPECT_FALSE(before.overLimit); // no time limit as before
        const RideScore rules = ScoreRide(Rules(RuleSet::ByRules), r.ride, r.pause);
        EXPECT_NEAR(rules.timePoints, r.byRules, 1e-9);
        EXPECT_EQ(rules.overLimit, r.overLimit);
    }
}

TEST(Rules, SpeedFaultsOnlyUnderTheRulesAndOnlyWhenSet) {
    const std::int64_t minimum = 540'000; // 9:00
    const struct {
        std::int64_t ride;
        double points;
    } rows[] = {{minimum, 0.0}, {minimum - 1, 0.4}, {minimum - 1000, 0.4}, {minimum - 1001, 0.8}, {480'000, 24.0}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.ride);
        EXPECT_NEAR(ScoreRide(Rules(RuleSet::ByRules, minimum), r.ride, 0).speedPoints, r.points, 1e-9);
        EXPECT_EQ(ScoreRide(Rules(RuleSet::AsBefore, minimum), r.ride, 0).speedPoints, 0.0);
        EXPECT_EQ(ScoreRide(Rules(RuleSet::ByRules), r.ride, 0).speedPoints, 0.0); // off
    }
}

TEST(Rules, PointsAreWrittenExactlyUnderTheRules) {
    const Locale german;
    const struct {
        RuleSet set;
        double strafPkt, faults, points;
        const char* text;
    } rows[] = {
        {RuleSet::AsBefore, 0.25, 0.0, 0.25, "0,3"}, // as today
        {RuleSet::ByRules, 0.25, 0.0, 0.25, "0,25"},    {RuleSet::ByRules, 0.4, 2.5, 2.9, "2,9"},
        {RuleSet::ByRules, 0.4, 0.0, 0.1 + 0.2, "0,3"}, // a sum's noise is no digit
        {RuleSet::ByRules, 0.125, 0.0, 0.375, "0,375"}, {RuleSet::ByRules, 1.0, 20.0, 20.0, "20,0"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(FormatPoints(r.points, PointDecimals(r.set, r.strafPkt, r.faults), german), r.text);
    }
}

TEST(Rules, TheTimeLimitFollowsTwiceTheAllowedTimeUntilSet) {
    Settings s;
    s.AllowedTime = 320'000;
    EXPECT_EQ(TimeLimitOf(s), 640'000);
    EXPECT_EQ(RulesHeading(s), ""); // "wie bisher" writes the pages as ever
    s.Wertung = 1;
    EXPECT_EQ(RulesHeading(s), "Erlaubte Zeit 5:20, Höchstzeit 10:40, Wertung nach Reglement");
    s.Hoechstzeit = 700'500;
    s.Mindestzeit = 290'000;
    EXPECT_EQ(TimeLimitOf(s), 700'500);
    EXPECT_EQ(RulesHeading(s), "Erlaubte Zeit 5:20, Höchstzeit 11:40,5, Mindestzeit 4:50, Wertung nach Reglement");
    s.AllowedTime = 25'000;
    s.Hoechstzeit = 0;
    s.Mindestzeit = 8'500;
    EXPECT_EQ(RulesHeading(s), "Erlaubte Zeit 0:25, Höchstzeit 0:50, Mindestzeit 0:08,5, Wertung nach Reglement");
}

TEST(Rules, StatusWordsReadBack) {
    for (RideStatus s : {RideStatus::None, RideStatus::Retired, RideStatus::Eliminated, RideStatus::Disqualified,
                         RideStatus::NotStarted}) {
        EXPECT_EQ(StatusFromWord(StatusWord(s)), s);
    }
    EXPECT_EQ(StatusFromWord("A"), std::nullopt);
    EXPECT_EQ(StatusText(RideStatus::Disqualified, "Disq."), "Disq.");
}

// ---- The results list under both rule sets -----------------------------------------------------

class RuledResults : public ResultsLists {
public:
    explicit RuledResults(RuleSet set) { tk.settings.Wertung = static_cast<std::uint32_t>(set); }
    std::vector<std::string> Ranked() {
        tk.results.BuildResults();
        tk.results.RankResults();
        std::vector<std::string> lines;
        for (int r = 1; r < tk.results.SortGrid4.RowCount(); ++r) {
            const auto row = ResultRow(r);
            lines.push_back(row[0] + " " + row[1] + " " + row[6] + " " + row[7]);
        }
        return lines;
    }
};

TEST(RuledResults, APlaceIsSharedOnlyWhenEverythingTheRankingComparesIsEqual) {
    for (RuleSet set : {RuleSet::AsBefore, RuleSet::ByRules}) {
        SCOPED_TRACE(static_cast<int>(set));
        RuledResults lists(set);
        lists.Ride("1", "A", 540'000);
        lists.Ride("2", "B", 540'000, "", "20");
        lists.Ride("3", "C", 540'000);
        lists.Ride("4", "D", 540'000, "", "100");
        lists.Ride("5", "E", 560'000, "", "20");
        // Equal points and time share; 20 points at 9:00 are no tie with 0 points at 9:00.
        const std::vector<std::string> asBefore = {"1 1 9:00,0 0,0", "1 3 9:00,0 0,0", "3 2 9:00,0 20,0",
                                                   "4 5 9:20,0 20,0", "5 4 9:00,0 100,0"};
        // Under the rules equal points go to the time closest to 10:00: 9:20 before 9:00.
        const std::vector<std::string> byRules = {"1 1 9:00,0 0,0", "1 3 9:00,0 0,0", "3 5 9:20,0 20,0",
                                                  "4 2 9:00,0 20,0", "5 4 9:00,0 100,0"};
        EXPECT_EQ(lists.Ranked(), set == RuleSet::AsBefore ? asBefore : byRules);
    }
}

TEST(RuledResults, TiesGoToTheTimeClosestToTheOptimumOnBothSides) {
    RuledResults lists(RuleSet::ByRules);
    lists.tk.settings.StrafPkt = 0.0; // no penalty: the distance alone decides
    lists.Ride("1", "A", 590'000);
    lists.Ride("2", "B", 610'000);
    lists.Ride("3", "C", 599'000);
    lists.Ride("4", "D", 620'000);
    EXPECT_EQ(lists.Ranked(),
              (std::vector<std::string>{"1 3 9:59,0 0,0", "2 1 9:50,0 0,0", "2 2 10:10,0 0,0", "4 4 10:20,0 0,0"}));
}

TEST(RuledResults, RidersWithoutAPlaceFollowInTheirOrder) {
    RuledResults lists(RuleSet::ByRules);
    lists.Ride("9", "Ranked", 600'000);
    lists.Ride("8", "Limit", 1'300'000); // over 20:00: eliminated
    lists.Ride("7", "Eliminated", 500'000);
    lists.Ride("6", "Negative", 100'000, "2:00"); // held longer than the ride
    lists.Rider("5", "Retired");
    lists.Start("5", "09:31:00,0"); // on the course, no finish
    lists.Rider("4", "Never started");
    lists.Start("3", "09:32:00,0"); // not in the start list
    lists.Stop("3", "09:40:00,0");
    RideStatuses& statuses = lists.tk.results.Statuses;
    statuses.Set("7", RideStatus::Eliminated);
    statuses.Set("5", RideStatus::Retired);
    statuses.Set(" 4 ", RideStatus::NotStarted);
    EXPECT_EQ(lists.Ranked(), (std::vector<std::string>{"1 9 10:00,0 0,0", " 6 -20,0 0,0", " 3 8:00,0 0,0", " 4  n.g.",
                                                        " 5  A", " 7 8:20,0 E", " 8 21:40,0 Dis."}));
    // "wie bisher" knows no time limit; the statuses stand in both.
    lists.tk.settings.Wertung = 0;
    EXPECT_EQ(lists.Ranked(), (std::vector<std::string>{"1 9 10:00,0 0,0", "2 8 21:40,0 280,4", " 6 -20,0 0,0",
                                                        " 3 8:00,0 0,0", " 4  n.g.", " 5  A", " 7 8:20,0 E"}));
}

TEST(RuledResults, AnAutomaticStartCountsFromThePlannedStartUnderTheRules) {
    for (RuleSet set : {RuleSet::AsBefore, RuleSet::ByRules}) {
        RuledResults lists(set);
        lists.Rider("1", "A"); // planned 09:30
        lists.Start("1", "09:30:05,1");
        lists.tk.registrations.SortGrid2.SetRowNoted(1, true); // taken by the automatic start
        lists.Stop("1", "09:39:05,1");
        lists.Ranked();
        EXPECT_EQ(lists.ResultRow(1)[6], set == RuleSet::ByRules ? "9:05,1" : "9:00,0");
    }
}

} // namespace
} // namespace vandoret
