// Live pages: what the program's read-only web server hands to browsers on the local network.
//
// The core gathers what the pages show from the lists (CollectLiveData) without changing any of
// them: the ranking is built on copies, so the results list and the "EZ-Pkt." cells of the stop
// times stay exactly as the operator's work left them. RenderLivePages turns that into the three
// pages and the JSON answers in one go; the server hands the same texts to every request until
// LiveStampOf reports a change of the lists. Nothing here reads a clock: the pages count time in
// the browser from the server's time of day, which the server sends with each answer
// (header kLiveTimeHeader, text LiveServerTime).
//
// All texts are UTF-8. Every text that comes from the lists is escaped for where it stands:
// HTML text and attribute values, or JSON strings (with <, > and & as \u escapes as well, so
// that no answer can ever close a script or a tag).
//
// Routes and their texts (the server maps only these; anything else is 404):
//   /                   results page          /api/results.json   results, in ranking order
//   /unterwegs          riders on the course  /api/oncourse.json  riders on the course
//   /start              next three starts     /api/starts.json    planned starts not yet taken
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/TimeValues.h"
#include "reports/HoldRows.h"

namespace vandoret {

class ResultsList;

// One line of the results, as the results list shows it; hand is "H" when the ride time comes
// from a hand-entered or corrected time, else empty.
struct LiveResult {
    std::string platz, nr, name, pferd, club, ort, zeit, punkte, hand;
};

// A rider on the course (start: the recorded start time, as the start times list shows it) or a
// planned start (start: the planned time of day "hh:mm:ss").
struct LiveRider {
    std::string nr, name, pferd, start;
    std::int64_t pause = 0; // on the course: ms of the rider's ended holds
    std::string heldSince;  // on the course: the open hold's beginning ("hh:mm:ss,z"), empty when none
};

struct LiveData {
    std::string title;                       // the program's title, shown in the page titles
    std::string rules;                       // what the results page says of the rules (RulesHeading)
    std::vector<std::string> resultCaptions; // the eight captions of the results list
    std::vector<LiveResult> results;         // ranked as the results page of Ctrl+H ranks them
    std::vector<LiveRider> onCourse;         // started, not finished; in the order of the starts
    std::vector<LiveRider> plannedStarts;    // not started yet; by planned time of day
    std::vector<HoldRow> holds;              // the day's holds, after the results
};

struct LivePages {
    std::string results, onCourse, starts;             // HTML pages
    std::string resultsJson, onCourseJson, startsJson; // JSON arrays
};

// What the pages are made of; equal stamps mean the pages would come out the same.
struct LiveStamp {
    std::uint64_t startList = 0, startTimes = 0, stopTimes = 0, resultCaptions = 0;
    std::int32_t sortCol = 0;
    Duration allowedTime = 0;
    std::int32_t strafSek = 0;
    double strafPkt = 0.0;
    std::uint64_t statuses = 0;                                  // their revision
    std::uint32_t wertung = 0, hoechstzeit = 0, mindestzeit = 0; // the rules
    std::string disText;
    std::uint64_t holds = 0; // their revision
    bool operator==(const LiveStamp&) const = default;
};

// The header that carries the server's time of day, and its value "hh:mm:ss.mmm".
inline constexpr std::string_view kLiveTimeHeader = "X-Server-Time";
std::string LiveServerTime(TimeOfDay now);

LiveStamp LiveStampOf(const ResultsList& results);
// Reads the lists; changes nothing. The riders on the course are those with a start (first
// start of each number), no stop time carrying their number yet and no status.
LiveData CollectLiveData(const ResultsList& results, const std::string& title);
LivePages RenderLivePages(const LiveData& data);

// The escapes, for tests and the pages.
std::string EscapeHtmlText(std::string_view text);
std::string EscapeJsonString(std::string_view text);

} // namespace vandoret
