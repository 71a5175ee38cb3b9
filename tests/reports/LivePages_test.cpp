// The live pages' texts for a small competition: what is shown, in which order, and escaped.
#include "reports/LivePages.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fakes/FakeHost.h"
#include "timing/Timekeeper.h"

namespace vandoret::testing {
namespace {

std::int64_t ClockMs(int h, int m, int s) {
    return ToMilliseconds(MakeTimeOfDay(h, m, s));
}

// Four riders, two with markup and quotes in their names; 1 and 2 finished, 3 on the course.
class LivePagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* const rows[][6] = {{"9:30", "1", "Anna <b>Berg</b>", "Fritz \"Fix\"", "RV Tal", "Au"},
                                       {"9:35", "2", "Bert O'Hara", "Luna", "RFV Ost", "Bad Berg"},
                                       {"9:40", "3", "Cora \\ Li", "Max & Moritz", "RV Tal", "Au"},
                                       {"9:45", "4", "Dora Ries", "</script>", "RV Tal", "Au"}};
        tk.startList.SortGrid1.SetRowCount(5);
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 6; ++c) {
                tk.startList.SortGrid1.SetCell(c, r + 1, rows[r][c]);
            }
        }
        tk.startList.RefreshNumberList();
        tk.SelectRider(0);
        Start(9, 30, 0);        // rider 1
        Start(9, 35, 2);        // rider 2
        Start(9, 40, 1);        // rider 3
        Finish(9, 39, 0, "1");  // 9:00,0: no penalty
        Finish(9, 45, 32, "2"); // 10:30,0: 31 commenced seconds over, 12,4 points
        host.SetClock(9, 46, 0);
    }
    void Start(int h, int m, int s) {
        host.SetClock(h, m, s);
        tk.registrations.RegisterStart();
    }
    void Finish(int h, int m, int s, const std::string& nr) {
        host.SetClock(h, m, s);
        tk.registrations.RegisterFinish();
        tk.registrations.SortGrid3.SetCell(2, tk.registrations.SortGrid3.RowCount() - 1, nr);
    }

    FakeHost host;
    Timekeeper tk{host};
};

TEST_F(LivePagesTest, DataRanksOnCopiesAndFindsRidersOnCourseAndPlannedStarts) {
    const std::uint64_t results = tk.results.SortGrid4.Revision();
    const std::string timePoints = tk.registrations.SortGrid3.Cells(4, 2);
    const LiveData data = CollectLiveData(tk.results, "Vandoret");

    ASSERT_EQ(data.results.size(), 2u);
    EXPECT_EQ(data.results[0].nr, "1");
    EXPECT_EQ(data.results[0].platz, "1");
    EXPECT_EQ(data.results[0].zeit, "9:00,0");
    EXPECT_EQ(data.results[0].punkte, "0,0");
    EXPECT_EQ(data.results[1].nr, "2");
    EXPECT_EQ(data.results[1].platz, "2");
    EXPECT_EQ(data.results[1].zeit, "10:30,0");
    EXPECT_EQ(data.results[1].punkte, "12,4");
    EXPECT_EQ(data.resultCaptions.size(), 8u);
    // The window's results list and the "EZ-Pkt." cells are not touched.
    EXPECT_EQ(tk.results.SortGrid4.Revision(), results);
    EXPECT_EQ(tk.registrations.SortGrid3.Cells(4, 2), timePoints);

    ASSERT_EQ(data.onCourse.size(), 1u);
    EXPECT_EQ(data.onCourse[0].nr, "3");
    EXPECT_EQ(data.onCourse[0].pferd, "Max & Moritz");
    EXPECT_EQ(data.onCourse[0].start, tk.registrations.SortGrid2.Cells(1, 3));

    ASSERT_EQ(data.plannedStarts.size(), 1u); // riders who started are no planned starts any more
    EXPECT_EQ(data.plannedStarts[0].nr, "4");
    EXPECT_EQ(data.plannedStarts[0].start, "09:45:00");
}

TEST_F(LivePagesTest, JsonIsExactAndEscaped) {
    // Rider 2's finish was entered by hand: the mark goes with the result, beside the time.
    for (int r = 1; r < tk.registrations.SortGrid3.RowCount(); ++r) {
        tk.registrations.SortGrid3.SetRowMarked(r, tk.registrations.SortGrid3.Cells(2, r) == "2");
    }
    const LivePages pages = RenderLivePages(CollectLiveData(tk.results, "Vandoret"));
    EXPECT_NE(pages.results.find("<td class=\"k-zeit\">10:30,0 H</td>"), std::string::npos);
    EXPECT_NE(pages.results.find("<td class=\"k-zeit\">9:00,0</td>"), std::string::npos);
    EXPECT_EQ(
        pages.resultsJson,
        "[\n"
        "{\"platz\":\"1\",\"nr\":\"1\",\"name\":\"Anna \\u003cb\\u003eBerg\\u003c/b\\u003e\","
        "\"pferd\":\"Fritz \\\"Fix\\\"\",\"club\":\"RV Tal\",\"ort\":\"Au\",\"zeit\":\"9:00,0\",\"punkte\":\"0,0\","
        "\"hand\":\"\"},\n"
        "{\"platz\":\"2\",\"nr\":\"2\",\"name\":\"Bert O'Hara\",\"pferd\":\"Luna\",\"club\":\"RFV Ost\","
        "\"ort\":\"Bad Berg\",\"zeit\":\"10:30,0\",\"punkte\":\"12,4\",\"hand\":\"H\"}\n"
        "]\n");
    EXPECT_EQ(pages.onCourseJson, "[\n{\"nr\":\"3\",\"name\":\"Cora \\\\ Li\",\"pferd\":\"Max \\u0026 Moritz\","
                                  "\"start\":\"" +
                                      tk.registrations.SortGrid2.Cells(1, 3) + "\"}\n]\n");
    EXPECT_EQ(pages.startsJson, "[\n{\"nr\":\"4\",\"name\":\"Dora Ries\",\"pferd\":\"\\u003c/script\\u003e\","
                                "\"start\":\"09:45:00\"}\n]\n");
    EXPECT_EQ(RenderLivePages(LiveData{}).resultsJson, "[\n]\n");
}

TEST_F(LivePagesTest, PagesShowTheRowsEscapedAndCarryNothingExternal) {
    const LivePages pages = RenderLivePages(CollectLiveData(tk.results, "Zeit & <Mess>"));
    const struct {
        const std::string& page;
        std::vector<std::string> contains;
    } cases[] = {
        {pages.results,
         {"<title>Ergebnisse \xE2\x80\x93 Zeit &amp; &lt;Mess&gt;</title>", "data-page=\"ergebnisse\"",
          "<th class=\"k-platz\">Platz</th>", "<th class=\"k-punkte\">Punkte</th>",
          "<td class=\"k-name\">Anna &lt;b&gt;Berg&lt;/b&gt;</td><td class=\"k-pferd\">Fritz &quot;Fix&quot;</td>",
          "<td class=\"k-name\">Bert O&#39;Hara</td>", "<td class=\"k-punkte\">12,4</td>",
          "<p id=\"leer\" class=\"leer\" hidden>"}},
        {pages.onCourse,
         {"data-page=\"unterwegs\"", "<td class=\"k-pferd\">Max &amp; Moritz</td>", "<th class=\"k-lauf\">"}},
        {pages.starts, {"data-page=\"start\"", "<p id=\"countdown\""}},
    };
    for (const auto& c : cases) {
        for (const std::string& text : c.contains) {
            EXPECT_NE(c.page.find(text), std::string::npos) << text;
        }
        EXPECT_EQ(c.page.find("<b>"), std::string::npos);  // no markup from a name gets through
        EXPECT_EQ(c.page.find("http"), std::string::npos); // nothing is loaded from elsewhere
        EXPECT_NE(c.page.find("<meta charset=\"utf-8\">"), std::string::npos);
        EXPECT_NE(c.page.find("name=\"viewport\""), std::string::npos);
        EXPECT_EQ(c.page.find("</script>"), c.page.rfind("</script>")); // one script, closed once
    }
    // The horse "</script>" of rider 4 only reaches the start page through its JSON.
    EXPECT_EQ(pages.starts.find("&lt;/script&gt;"), std::string::npos);
}

TEST_F(LivePagesTest, StampChangesWithTheListsAndTheRulesOnly) {
    const LiveStamp before = LiveStampOf(tk.results);
    EXPECT_EQ(LiveStampOf(tk.results), before);
    (void)CollectLiveData(tk.results, "Vandoret");
    EXPECT_EQ(LiveStampOf(tk.results), before); // gathering changes nothing
    tk.registrations.SortGrid3.SetCell(5, 1, "20");
    EXPECT_NE(LiveStampOf(tk.results), before);
    const LiveStamp afterFaults = LiveStampOf(tk.results);
    tk.settings.StrafPkt = 1.0;
    EXPECT_NE(LiveStampOf(tk.results), afterFaults);
    // Each other rule of the ranking changes the pages too.
    const std::function<void()> changes[] = {[&] { tk.settings.AllowedTime += 1000; },
                                             [&] { tk.settings.StrafSek += 1; },
                                             [&] { tk.startList.SortGrid1.SortOptions.SortCol += 1; }};
    for (const auto& change : changes) {
        const LiveStamp earlier = LiveStampOf(tk.results);
        change();
        EXPECT_NE(LiveStampOf(tk.results), earlier);
    }
}

TEST_F(LivePagesTest, UnderTheRulesThePageNamesThemAndARetiredRiderIsNotOnTheCourse) {
    EXPECT_EQ(RenderLivePages(CollectLiveData(tk.results, "Vandoret")).results.find("regeln"), std::string::npos);
    const LiveStamp asBefore = LiveStampOf(tk.results);
    tk.settings.Wertung = 1;
    EXPECT_NE(LiveStampOf(tk.results), asBefore);
    const LiveStamp byRules = LiveStampOf(tk.results);
    tk.results.Statuses.Set("3", RideStatus::Retired);
    EXPECT_NE(LiveStampOf(tk.results), byRules);

    const LiveData data = CollectLiveData(tk.results, "Vandoret");
    EXPECT_TRUE(data.onCourse.empty()); // retired: no longer "unterwegs"
    ASSERT_EQ(data.results.size(), 3u);
    EXPECT_EQ(data.results[1].punkte, "12,0"); // 30,0 s over: 30 started seconds
    EXPECT_EQ(data.results[2].nr, "3");
    EXPECT_EQ(data.results[2].platz, "");
    EXPECT_EQ(data.results[2].punkte, "A");
    EXPECT_NE(RenderLivePages(data).results.find("<p class=\"regeln\">Erlaubte Zeit 10:00, H\xC3\xB6"
                                                 "chstzeit 20:00, Wertung nach Reglement</p>"),
              std::string::npos);
}

TEST_F(LivePagesTest, AHeldRiderIsShownHeldAndTheDaysHoldsFollowTheResults) {
    const LiveStamp before = LiveStampOf(tk.results);
    tk.results.Holds.Begin("3", ClockMs(9, 42, 0), "Sturz <7>");
    tk.results.Holds.End("3", ClockMs(9, 43, 30));
    tk.results.Holds.Begin("3", ClockMs(9, 44, 0), "");
    EXPECT_NE(LiveStampOf(tk.results), before);
    const LivePages pages = RenderLivePages(CollectLiveData(tk.results, "Vandoret"));
    // On the course: the ended holds and the open one's beginning, for the page's running time.
    EXPECT_NE(pages.onCourseJson.find("\"nr\":\"3\",\"name\":\"Cora \\\\ Li\",\"pferd\":\"Max \\u0026 Moritz\","
                                      "\"start\":\"09:40:01,0\",\"pause\":90000,\"angehalten\":\"09:44:00,0\"}"),
              std::string::npos)
        << pages.onCourseJson;
    EXPECT_NE(pages.results.find("<h2>Angehaltene Reiter</h2>"), std::string::npos);
    EXPECT_NE(pages.results.find("<tr><td>3</td><td>Cora \\ Li</td><td>09:42:00,0</td><td>09:43:30,0</td>"
                                 "<td>1:30,0</td><td>Sturz &lt;7&gt;</td></tr>"),
              std::string::npos)
        << pages.results;
    EXPECT_NE(pages.results.find("<td>09:44:00,0</td><td></td><td></td><td></td></tr>"), std::string::npos);
}

// Riders without a finish yet, in a locale whose time separator is '.': no result rows, and the
// planned starts read as the clock panel reads them, in the order of their times.
TEST(LivePagesOfAFreshList, NoResultsAndPlannedStartsByTime) {
    FakeHost host;
    Timekeeper tk(host, Locale{',', '.'});
    const char* const rows[][2] = {{"9:50", "5"}, {"9.45", "6"}, {"9:45", "7"}};
    tk.startList.SortGrid1.SetRowCount(4);
    for (int r = 0; r < 3; ++r) {
        tk.startList.SortGrid1.SetCell(0, r + 1, rows[r][0]);
        tk.startList.SortGrid1.SetCell(1, r + 1, rows[r][1]);
    }
    const LiveData data = CollectLiveData(tk.results, "Vandoret");
    EXPECT_TRUE(data.results.empty());
    std::vector<std::string> starts;
    for (const LiveRider& r : data.plannedStarts) {
        starts.push_back(r.nr + " " + r.start);
    }
    EXPECT_EQ(starts, (std::vector<std::string>{"6 09:45:00", "7 09:45:00", "5 09:50:00"}));
    const LivePages pages = RenderLivePages(data);
    EXPECT_EQ(pages.resultsJson, "[\n]\n");
    EXPECT_NE(pages.results.find("<p id=\"leer\" class=\"leer\">"), std::string::npos);
    EXPECT_EQ(pages.results.find("<td"), std::string::npos);
}

TEST(LiveTexts, EscapesAndServerTime) {
    EXPECT_EQ(EscapeHtmlText("<a href=\"x\">Tom & 'Jerry'</a>"),
              "&lt;a href=&quot;x&quot;&gt;Tom &amp; &#39;Jerry&#39;&lt;/a&gt;");
    EXPECT_EQ(EscapeJsonString("a\"b\\c\n\t\x01<>&\xC3\xA4"), "a\\\"b\\\\c\\n\\t\\u0001\\u003c\\u003e\\u0026\xC3\xA4");
    EXPECT_EQ(LiveServerTime(MakeTimeOfDay(9, 5, 7, 42)), "09:05:07.042");
    EXPECT_EQ(LiveServerTime(MakeTimeOfDay(23, 59, 59, 999)), "23:59:59.999");
    EXPECT_EQ(LiveServerTime(0.0), "00:00:00.000");
}

} // namespace
} // namespace vandoret::testing
