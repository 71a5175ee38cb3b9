// The live pages and their JSON: gathered from the lists, rendered once per change.
#include "reports/LivePages.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <unordered_set>

#include "base/BlankText.h"
#include "base/NumberText.h"
#include "grid/ListColumns.h"
#include "grid/ListFormats.h"
#include "grid/StartNumbers.h"
#include "reports/HtmlEscape.h"
#include "reports/LivePageAssets.h"
#include "results/ResultsList.h"

namespace vandoret {
namespace {

constexpr int kResultColumns = static_cast<int>(kResultsCaptions.size());
constexpr std::int64_t kMsPerDay = 86'400'000;

std::string Json(const std::string& key, const std::string& value) {
    return "\"" + key + "\":\"" + EscapeJsonString(value) + "\"";
}

std::string RiderJson(const std::vector<LiveRider>& riders) {
    std::string out = "[";
    for (std::size_t i = 0; i < riders.size(); ++i) {
        const LiveRider& r = riders[i];
        out += (i == 0 ? "\n{" : ",\n{") + Json("nr", r.nr) + "," + Json("name", r.name) + "," +
               Json("pferd", r.pferd) + "," + Json("start", r.start);
        if (r.pause > 0 || !r.heldSince.empty()) { // a rider held on the course
            out += ",\"pause\":" + std::to_string(r.pause) + "," + Json("angehalten", r.heldSince);
        }
        out += "}";
    }
    return out + "\n]\n";
}

std::string ResultsJson(const std::vector<LiveResult>& results) {
    std::string out = "[";
    for (std::size_t i = 0; i < results.size(); ++i) {
        const LiveResult& r = results[i];
        out += (i == 0 ? "\n{" : ",\n{") + Json("platz", r.platz) + "," + Json("nr", r.nr) + "," +
               Json("name", r.name) + "," + Json("pferd", r.pferd) + "," + Json("club", r.club) + "," +
               Json("ort", r.ort) + "," + Json("zeit", r.zeit) + "," + Json("punkte", r.punkte) + "," +
               Json("hand", r.hand) + "}";
    }
    return out + "\n]\n";
}

// ---- HTML ------------------------------------------------------------------------------------------

struct Column {
    const char* key;     // the JSON key; also the cell's class "k-" + key
    std::string caption; // escaped when written
};

std::string Cells(const std::vector<Column>& columns, const std::vector<std::string>& values) {
    std::string out = "<tr>";
    for (std::size_t i = 0; i < columns.size(); ++i) {
        out += std::string("<td class=\"k-") + columns[i].key + "\">" +
               EscapeHtmlText(i < values.size() ? values[i] : std::string()) + "</td>";
    }
    return out + "</tr>\n";
}

std::string Page(const LiveData& data, const char* id, const std::string& heading, const std::string& empty,
                 const std::vector<Column>& columns, const std::string& rows, bool hasRows, const std::string& extra,
                 const std::string& after = {}) {
    std::string out = "<!DOCTYPE html>\n<html lang=\"de\">\n<head>\n<meta charset=\"utf-8\">\n"
                      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
                      EscapeHtmlText(heading) +
                      (data.title.empty() ? std::string() : " \xE2\x80\x93 " + EscapeHtmlText(data.title)) +
                      "</title>\n<style>\n" + std::string(LivePageStyle()) + "</style>\n</head>\n<body data-page=\"" +
                      id + "\">\n<header>\n<h1>" + EscapeHtmlText(heading) + "</h1>\n<nav>";
    const struct {
        const char* page;
        const char* href;
        const char* text;
    } links[] = {
        {"ergebnisse", "/", "Ergebnisse"}, {"unterwegs", "/unterwegs", "Unterwegs"}, {"start", "/start", "Start"}};
    for (const auto& link : links) {
        out += std::string("<a href=\"") + link.href + "\"" + (std::string(link.page) == id ? " class=\"hier\"" : "") +
               ">" + link.text + "</a>";
    }
    out += "</nav>\n<span id=\"stand\">\xE2\x80\x93</span>\n</header>\n<main>\n" + extra + "<table>\n<thead><tr>";
    for (const Column& c : columns) {
        out += std::string("<th class=\"k-") + c.key + "\">" + EscapeHtmlText(c.caption) + "</th>";
    }
    out += "</tr></thead>\n<tbody id=\"zeilen\">\n" + rows + "</tbody>\n</table>\n<p id=\"leer\" class=\"leer\"" +
           (hasRows ? " hidden" : "") + ">" + EscapeHtmlText(empty) + "</p>\n" + after + "</main>\n<script>\n" +
           std::string(LivePageScript()) + "</script>\n</body>\n</html>\n";
    return out;
}

std::string ResultsPage(const LiveData& data) {
    static const char* const keys[kResultColumns] = {"platz", "nr", "name", "pferd", "club", "ort", "zeit", "punkte"};
    std::vector<Column> columns;
    for (int i = 0; i < kResultColumns; ++i) {
        columns.push_back({keys[i], i < static_cast<int>(data.resultCaptions.size()) ? data.resultCaptions[i] : ""});
    }
    std::string rows;
    for (const LiveResult& r : data.results) {
        const std::string zeit = r.hand.empty() ? r.zeit : r.zeit + " " + r.hand; // the hand mark beside the time
        rows += Cells(columns, {r.platz, r.nr, r.name, r.pferd, r.club, r.ort, zeit, r.punkte});
    }
    const std::string rules =
        data.rules.empty() ? std::string() : "<p class=\"regeln\">" + EscapeHtmlText(data.rules) + "</p>\n";
    std::string holds;
    if (!data.holds.empty()) {
        holds = std::string("<h2>") + kHoldHeading + "</h2>\n<table class=\"halte\">\n<thead><tr>";
        for (const char* caption : kHoldCaptions) {
            holds += std::string("<th>") + caption + "</th>";
        }
        // (The style hides the name on a phone; the reason wraps.)
        holds += "</tr></thead>\n<tbody>\n";
        for (const HoldRow& h : data.holds) {
            holds += "<tr>";
            for (const std::string* cell : {&h.nr, &h.name, &h.stop, &h.restart, &h.held, &h.reason}) {
                holds += "<td>" + EscapeHtmlText(*cell) + "</td>";
            }
            holds += "</tr>\n";
        }
        holds += "</tbody>\n</table>\n";
    }
    return Page(data, "ergebnisse", "Ergebnisse", "Noch keine Ergebnisse.", columns, rows, !data.results.empty(), rules,
                holds);
}

std::string OnCoursePage(const LiveData& data) {
    const std::vector<Column> columns = {
        {"nr", "St.Nr."}, {"name", "Name"}, {"pferd", "Pferd"}, {"start", "Start"}, {"lauf", "Unterwegs seit"}};
    std::string rows;
    for (const LiveRider& r : data.onCourse) {
        rows += Cells(columns, {r.nr, r.name, r.pferd, r.start, ""});
    }
    return Page(data, "unterwegs", "Unterwegs", "Niemand ist auf der Strecke.", columns, rows, !data.onCourse.empty(),
                "");
}

std::string StartsPage(const LiveData& data) {
    const std::vector<Column> columns = {
        {"start", "Startzeit"}, {"nr", "St.Nr."}, {"name", "Name"}, {"pferd", "Pferd"}};
    // The browser picks the next three by the server's time; the page comes without rows so that
    // no start already past shows before the first answer.
    return Page(
        data, "start",
        "N\xC3\xA4"
        "chste Starts",
        "Keine weiteren Starts geplant.", columns, "", true,
        "<p id=\"countdown\" class=\"countdown\">&nbsp;</p>\n<p id=\"naechster\" class=\"naechster\">&nbsp;</p>\n");
}

} // namespace

std::string EscapeHtmlText(std::string_view text) {
    return EscapeHtml(text, Apostrophe::Escape);
}

std::string EscapeJsonString(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (u < 0x20 || c == '<' || c == '>' || c == '&' || u == 0x7F) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", u);
                out += buffer;
            } else {
                out += c;
            }
        }
    }
    return out;
}

std::string LiveServerTime(TimeOfDay now) {
    std::int64_t ms = ToMilliseconds(now) % kMsPerDay;
    if (ms < 0) {
        ms += kMsPerDay;
    }
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d.%03d", static_cast<int>(ms / 3'600'000),
                  static_cast<int>(ms / 60'000 % 60), static_cast<int>(ms / 1000 % 60), static_cast<int>(ms % 1000));
    return buffer;
}

LiveStamp LiveStampOf(const ResultsList& results) {
    const Settings& settings = results.ResultSettings();
    LiveStamp s;
    s.startList = results.StartListGrid().Revision();
    s.startTimes = results.StartTimesGrid().Revision();
    s.stopTimes = results.StopTimesGrid().Revision();
    s.resultCaptions = results.SortGrid4.Revision();
    s.sortCol = results.StartListGrid().SortOptions.SortCol;
    s.allowedTime = settings.AllowedTime;
    s.strafSek = settings.StrafSek;
    s.strafPkt = settings.StrafPkt;
    s.statuses = results.Statuses.Revision();
    s.wertung = settings.Wertung;
    s.hoechstzeit = settings.Hoechstzeit;
    s.mindestzeit = settings.Mindestzeit;
    s.disText = settings.DisText;
    s.holds = results.Holds.Revision();
    return s;
}

LiveData CollectLiveData(const ResultsList& results, const std::string& title) {
    LiveData data;
    data.title = title;
    data.rules = RulesHeading(results.ResultSettings());
    data.holds = HoldRows(results);
    const TSortGrid& list = results.StartListGrid();
    const TSortGrid& starts = results.StartTimesGrid();
    const TSortGrid& stops = results.StopTimesGrid();
    const Locale& locale = results.ResultLocale();

    const TSortGrid ranked = results.RankedResultsCopy();
    for (int c = 0; c < kResultColumns; ++c) {
        data.resultCaptions.push_back(ranked.Cells(c, 0));
    }
    for (int r = 1; r < ranked.RowCount(); ++r) {
        const auto cell = [&ranked, r](int c) { return ranked.Cells(c, r); };
        // The empty list's one blank row gets a place too: a row without a rider is no result.
        bool blank = true;
        for (int c = 1; c < kResultColumns && blank; ++c) {
            blank = IsBlankText(cell(c));
        }
        if (blank) {
            continue;
        }
        data.results.push_back({cell(0), cell(1), cell(2), cell(3), cell(4), cell(5), cell(6), cell(7),
                                ranked.RowMarked(r) ? std::string(kHandTimeMark) : std::string()});
    }

    // Numbers are matched as everywhere (SameStartNumber): without the blanks around them.
    const StartNumberIndex riders(list, kListNr);
    const auto riderCell = [&](std::string_view nr, int col) {
        const int r = riders.Find(nr);
        return r < 0 ? std::string() : list.Cells(col, r);
    };
    std::unordered_set<std::string_view> finished;
    for (int r = 1; r < stops.RowCount(); ++r) {
        if (const std::string_view key = StartNumberKey(stops.Cells(kStopNr, r)); !key.empty()) {
            finished.insert(key);
        }
    }
    std::unordered_set<std::string_view> started;
    for (int r = 1; r < starts.RowCount(); ++r) {
        const std::string& nr = starts.Cells(kStartNr, r);
        const std::string_view key = StartNumberKey(nr);
        if (key.empty() || !started.insert(key).second || finished.count(key) != 0 ||
            results.Statuses.Of(key) != RideStatus::None) {
            continue; // no number, a later start of the same number, already finished, or retired
        }
        LiveRider rider{nr, riderCell(key, kListName), riderCell(key, kListHorse), starts.Cells(kStartTime, r), 0, {}};
        rider.pause = results.Holds.HeldTotal(key);
        if (const Hold* open = results.Holds.Open(key)) {
            rider.heldSince = FormatClock(static_cast<double>(open->stop) / 86'400'000.0, ClockForm::HhNnSsZ, locale);
        }
        data.onCourse.push_back(std::move(rider));
    }

    std::vector<std::pair<std::int64_t, LiveRider>> planned;
    for (int r = 1; r < list.RowCount(); ++r) {
        const std::string& nr = list.Cells(kListNr, r);
        if (IsBlankText(nr) || started.count(StartNumberKey(nr)) != 0) {
            continue;
        }
        // The list holds hours and minutes; the seconds are added, and the text is read, as the
        // clock panel does it: ':' counts as a time separator too, so "9:45" reads in any locale.
        const auto at = ParsePlannedStart(list.Cells(kListPlanned, r) + locale.timeSeparator + "00", locale);
        if (!at) {
            continue;
        }
        planned.push_back(
            {ToMilliseconds(*at),
             {nr, list.Cells(kListName, r), list.Cells(kListHorse, r), LiveServerTime(*at).substr(0, 8), 0, {}}});
    }
    std::stable_sort(planned.begin(), planned.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& p : planned) {
        data.plannedStarts.push_back(std::move(p.second));
    }
    return data;
}

LivePages RenderLivePages(const LiveData& data) {
    LivePages pages;
    pages.results = ResultsPage(data);
    pages.onCourse = OnCoursePage(data);
    pages.starts = StartsPage(data);
    pages.resultsJson = ResultsJson(data.results);
    pages.onCourseJson = RiderJson(data.onCourse);
    pages.startsJson = RiderJson(data.plannedStarts);
    return pages;
}

} // namespace vandoret
