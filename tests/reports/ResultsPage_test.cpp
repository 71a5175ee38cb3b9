#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "fakes/FakeHost.h"
#include "fakes/FileFaults.h"
#include "fakes/FileSizeLimit.h"
#include "reports/ResultsPage.h"
#include "timing/Timekeeper.h"

namespace vandoret::testing {
namespace {

namespace fs = std::filesystem;

// Each test runs in a folder of its own, since the page lies in the current directory.
class ResultsPage : public ::testing::Test {
protected:
    void SetUp() override {
        // Test processes may run side by side: a random name keeps their folders apart.
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::random_device random;
        do {
            dir_ = fs::temp_directory_path() / ("vandoret-page-" + std::to_string(random()) + "-" + info->name());
        } while (!fs::create_directories(dir_));
        previous_ = fs::current_path();
        fs::current_path(dir_);
    }
    void TearDown() override {
        fs::current_path(previous_);
        fs::remove_all(dir_);
    }
    static std::string Read(const std::string& name) {
        std::ifstream file(name, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }
    void ResultRow(const std::vector<std::string>& cells) {
        TSortGrid& grid = tk.results.SortGrid4;
        int row = grid.RowCount() - 1;
        if (!grid.IsBlankRow(row)) {
            row = grid.AddRow();
        }
        for (std::size_t c = 0; c < cells.size(); ++c) {
            grid.SetCell(static_cast<int>(c), row, cells[c]);
        }
    }

    FakeHost host;
    Timekeeper tk{host};
    fs::path dir_, previous_;
};

// The page as its items list it, with the rows of item 27 given.
std::string ExpectedPage(const std::string& title, const std::string& rows) {
    return "<!DOCTYPE html>\r\n"
           "<HTML>\r\n"
           "<HEAD>\r\n"
           "<!--https://www.kronvale.example software -->\r\n"
           "<TITLE>Zeitenprotokoll " +
           title +
           "</TITLE>\r\n"
           "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">\r\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\r\n"
           "<meta name=\"keywords\" content=\"Kronvale, Stoppuhr, Zeitmessung, Buspulling\">\r\n"
           "<meta name=\"description\" content=\"Kronvale professional software development for all\">\r\n"
           "<meta name=\"Webdesign\" content=\"https://www.kronvale.example\">\r\n"
           "<style type=\"text/css\">\r\n"
           "<!--\r\n"
           "body {font-family:Verdana;\r\n"
           "scrollbar-track-color:#F9F9E6;\r\n"
           "scrollbar-face-color:#B0A786}\r\n"
           "table {font-size:10pt}\r\n"
           "td {vertical-align:top}\r\n"
           "td:nth-child(1), td:nth-child(7), td:nth-child(8) {text-align:right}\r\n"
           ".scroll {overflow-x:auto}\r\n"
           "a:hover{text-decoration:none; background-color:#E2E6CB}\r\n"
           "-->\r\n"
           "</style></head>\r\n"
           "<body bgcolor=#F9F9E6>\r\n"
           "<div style=\"width:100%; color:#A37E4E; filter:Glow(color=0, strength=6)\">\r\n"
           "<h1>Ergebnisse</h1>\r\n"
           "</div><b>\r\n"
           "</b><br><div class=scroll><table style=\"BORDER-COLLAPSE: collapse\" bgcolor=#FFFFFF "
           "borderColor=#E0E0E0 border=1 cellpadding=4 width=649>\r\n"
           "<thead bgcolor=#B0A786><tr>\r\n"
           "<th>Platz</th>\r\n"
           "<th nowrap>St.Nr.</th>\r\n"
           "<th>Name</th>\r\n"
           "<th>Pferd</th>\r\n"
           "<th>Club</th>\r\n"
           "<th>Ort</th>\r\n"
           "<th>Zeit</th>\r\n"
           "<th>Punkte</th>\r\n"
           "</tr></thead>\r\n" +
           rows +
           "</table></div>\r\n"
           "<hr><p align=right><font color=#F5F5F5 size=2>Erstellt mit dem Programm &quot;" +
           title +
           "&quot;.\r\n"
           "</font><br><div style=\"width:100%; filter:Shadow(color=#000000, direction=315)\" align=right>"
           "  <a href=\"https://www.kronvale.example\"><font size=7 color=#FF0000>K</font><font size=6>"
           "<font color=#00CC00>ron</font><font color=#F0DE00>vale</font></font></a></div></body></html>\r\n";
}

TEST_F(ResultsPage, ByteForByteFromARankedList) {
    ResultRow({"1", "12", "M\xC3\xBCller", "Blitz", "RV Nord", "", "9:40,0", "0,0"});
    ResultRow({"1", "3", "Anna",
               "Z\xC3\xB6"
               "e",
               "RV S\xC3\xBC"
               "d",
               "Kiel", "9:40,0", "0,4"});
    ResultRow({"3", "7", " ", "Max", "Club", "Ort", "1:02:03,4", "20,4"});
    WriteResultsPage(tk.host(), tk.results.SortGrid4, "Vandoret.html");
    const std::string rows = "<tr><td>1<td>12<td>M\xFCller<td>Blitz<td>RV Nord<td>&nbsp;<td>9:40,0<td>0,0</tr>\r\n"
                             "<tr><td>1<td>3<td>Anna<td>Z\xF6"
                             "e<td>RV S\xFC"
                             "d<td>Kiel<td>9:40,0<td>0,4</tr>\r\n"
                             "<tr><td>3<td>7<td> <td>Max<td>Club<td>Ort<td>1:02:03,4<td>20,4</tr>\r\n";
    EXPECT_EQ(Read("Vandoret.html"), ExpectedPage("Vandoret", rows));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(ResultsPage, TheRulesStandInTheHeadingsEmptyBold) {
    ResultRow({"1", "12", "Anna", "Blitz", "RV", "Kiel", "9:40,0", "0,0"});
    WriteResultsPage(tk.host(), tk.results.SortGrid4, "Vandoret.html",
                     "Erlaubte Zeit 5:20, H\xC3\xB6"
                     "chstzeit 10:40 <&>");
    const std::string page = Read("Vandoret.html");
    EXPECT_NE(page.find("</div><b>Erlaubte Zeit 5:20, H\xF6"
                        "chstzeit 10:40 &lt;&amp;&gt;\r\n</b><br>"),
              std::string::npos)
        << page;
}

TEST_F(ResultsPage, HandTimedRideCarriesTheMarkBesideItsTime) {
    ResultRow({"1", "12", "Anna", "Blitz", "RV", "Kiel", "9:40,0", "0,0"});
    ResultRow({"2", "14", "Bruno", "Zora", "RV", "Kiel", "9:41,0", "0,0"});
    tk.results.SortGrid4.SetRowMarked(2, true);
    WriteResultsPage(tk.host(), tk.results.SortGrid4, "Vandoret.html");
    const std::string rows = "<tr><td>1<td>12<td>Anna<td>Blitz<td>RV<td>Kiel<td>9:40,0<td>0,0</tr>\r\n"
                             "<tr><td>2<td>14<td>Bruno<td>Zora<td>RV<td>Kiel<td>9:41,0 <b title=\"Handzeit\">H</b>"
                             "<td>0,0</tr>\r\n";
    EXPECT_EQ(Read("Vandoret.html"), ExpectedPage("Vandoret", rows));
}

TEST_F(ResultsPage, EmptyResultsListGivesOneRowOfBlanks) {
    WriteResultsPage(tk.host(), tk.results.SortGrid4, "Vandoret.html");
    const std::string rows = "<tr><td>&nbsp;<td>&nbsp;<td>&nbsp;<td>&nbsp;<td>&nbsp;<td>&nbsp;<td>&nbsp;<td>&nbsp;"
                             "</tr>\r\n";
    EXPECT_EQ(Read("Vandoret.html"), ExpectedPage("Vandoret", rows));
}

TEST_F(ResultsPage, TextsAreEscaped) {
    const struct {
        const char* cell;
        const char* written;
    } cases[] = {
        {"Kunz & Co", "Kunz &amp; Co"},
        {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;"},
        {"\"Blitz\"", "&quot;Blitz&quot;"},
        {"&nbsp;", "&amp;nbsp;"},
        {"O'Neill", "O'Neill"},
    };
    for (const auto& c : cases) {
        tk.results.SortGrid4.SetRowCount(2);
        tk.results.SortGrid4.BlankRow(1);
        ResultRow({"1", "2", c.cell, "", "", "", "1,0", "0,0"});
        tk.results.SortGrid4.SetCell(4, 0, c.cell); // a caption
        WriteResultsPage(tk.host(), tk.results.SortGrid4, "Vandoret.html");
        const std::string page = Read("Vandoret.html");
        EXPECT_NE(page.find(std::string("<td>2<td>") + c.written + "<td>&nbsp;"), std::string::npos) << c.cell;
        EXPECT_NE(page.find(std::string("<th>") + c.written + "</th>"), std::string::npos) << c.cell;
    }
    host.applicationTitle = "A<b>&\"";
    WriteResultsPage(tk.host(), tk.results.SortGrid4, "x.html");
    const std::string page = Read("x.html");
    EXPECT_NE(page.find("<TITLE>Zeitenprotokoll A&lt;b&gt;&amp;&quot;</TITLE>"), std::string::npos);
    EXPECT_NE(page.find("Programm &quot;A&lt;b&gt;&amp;&quot;&quot;."), std::string::npos);
}

// Windows-1252 where the code page holds the character, a numeric reference where it does not:
// the page declares windows-1252, so a browser shows every name as it was entered.
TEST_F(ResultsPage, CharactersBeyondTheCodePageAreReferences) {
    const struct {
        const char* cell;
        const char* written;
    } cases[] = {
        {"M\xC3\xBCller \xE2\x80\x93 O\xE2\x80\x99Neill", "M\xFCller \x96 O\x92Neill"}, // – and ’
        {"\xE2\x82\xAC 5", "\x80 5"},
        {"\xC5\x81ukasz Wi\xC5\x9Bniewski", "&#321;ukasz Wi&#347;niewski"},
        {"\xF0\x9F\x90\x8E", "&#128014;"},
        {"\xD0\x9E\xD0\xBB\xD1\x8F & Co", "&#1054;&#1083;&#1103; &amp; Co"},
    };
    for (const auto& c : cases) {
        tk.results.SortGrid4.SetRowCount(2);
        tk.results.SortGrid4.BlankRow(1);
        ResultRow({"1", "2", c.cell, "", "", "", "1,0", "0,0"});
        WriteResultsPage(tk.host(), tk.results.SortGrid4, "Vandoret.html");
        EXPECT_NE(Read("Vandoret.html").find(std::string("<td>2<td>") + c.written + "<td>&nbsp;"), std::string::npos)
            << c.cell;
    }
    host.applicationTitle = "Zeitnahme \xC5\x81\xC3\xB3"
                            "d\xC5\xBA";
    WriteResultsPage(tk.host(), tk.results.SortGrid4, "x.html");
    EXPECT_NE(Read("x.html").find("<TITLE>Zeitenprotokoll Zeitnahme &#321;\xF3"
                                  "d&#378;</TITLE>"),
              std::string::npos);
}

TEST_F(ResultsPage, ClickWritesThenOpensOrPrints) {
    host.applicationTitle = "Zeitnahme";
    const struct {
        int tag;
        std::vector<std::pair<std::string, std::string>> calls;
    } cases[] = {
        {0, {{"open", "Zeitnahme.html"}}},
        {1, {{"print", "Zeitnahme.html"}}},
        {2, {}},
        {-1, {}},
    };
    for (const auto& c : cases) {
        host.shellCalls.clear();
        fs::remove("Zeitnahme.html");
        tk.sbHTMLClick(c.tag);
        EXPECT_TRUE(fs::exists("Zeitnahme.html")) << c.tag;
        EXPECT_EQ(host.shellCalls, c.calls) << c.tag;
    }
    EXPECT_EQ(ResultsPageName(tk.host()), "Zeitnahme.html");
}

TEST_F(ResultsPage, SecondCommandOverwrites) {
    ResultRow({"1", "1", "Erster", "", "", "", "1,0", "0,0"});
    tk.sbHTMLClick(0);
    tk.results.SortGrid4.SetCell(2, 1, "Zweiter");
    tk.sbHTMLClick(0);
    const std::string page = Read("Vandoret.html");
    EXPECT_EQ(page.find("Erster"), std::string::npos);
    EXPECT_NE(page.find("Zweiter"), std::string::npos);
}

TEST_F(ResultsPage, PageThatCannotBeCreated) {
    fs::create_directory("Vandoret.html"); // stands where the page should go
    tk.sbHTMLClick(1);
    EXPECT_EQ(host.messages,
              std::vector<std::string>{
                  "L\xC3\xB6schen Sie die alte Webseite oder speichern Sie diese unter einem anderen Namen: "
                  "Vandoret.html"});
    // A folder is no old page: nothing goes to the shell.
    EXPECT_TRUE(host.shellCalls.empty());

    host.messages.clear();
    host.shellCalls.clear();
    WriteResultsPage(tk.host(), tk.results.SortGrid4, (dir_ / "missing" / "page.html").string());
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_TRUE(host.shellCalls.empty());
}

TEST_F(ResultsPage, AFullDiskKeepsTheOldPageAndSaysSo) {
    if (!FileSizeLimit::Available()) {
        GTEST_SKIP() << "no file size limit on this platform";
    }
    ResultRow({"1", "1", "Erster", "", "", "", "1,0", "0,0"});
    tk.sbHTMLClick(2);
    const std::string old = Read("Vandoret.html");
    for (int r = 0; r < 40; ++r) {
        ResultRow({std::to_string(r + 2), std::to_string(r + 2), "Reiter mit langem Namen", "Pferd", "Club", "Ort",
                   "9:58,3", "0,0"});
    }
    {
        FileSizeLimit full(old.size() + 100); // the page grew by far more: its write stops part-way
        tk.sbHTMLClick(0);
    }
    EXPECT_EQ(Read("Vandoret.html"), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 1) << "a temporary file was left";
    EXPECT_EQ(host.messages,
              std::vector<std::string>{
                  "L\xC3\xB6schen Sie die alte Webseite oder speichern Sie diese unter einem anderen Namen: "
                  "Vandoret.html"});
    // The program goes on: with room again, the page is written.
    tk.sbHTMLClick(2);
    EXPECT_NE(Read("Vandoret.html").find("Reiter mit langem Namen"), std::string::npos);
}

TEST_F(ResultsPage, AFailedStepKeepsTheOldPageAndSaysSo) {
    ResultRow({"1", "1", "Erster", "", "", "", "1,0", "0,0"});
    tk.sbHTMLClick(2);
    const std::string old = Read("Vandoret.html");
    for (int r = 0; r < 60; ++r) {
        ResultRow({std::to_string(r + 2), std::to_string(r + 2), "Reiter mit langem Namen", "Pferd", "Club", "Ort",
                   "9:58,3", "0,0"});
    }
    const std::vector<std::string> said = {
        "L\xC3\xB6schen Sie die alte Webseite oder speichern Sie diese unter einem anderen Namen: Vandoret.html"};
    for (const FileFaultCase& c : kFaultsThatKeepTheOldFile) {
        host.messages.clear();
        {
            ScopedFileFault fault(c.fault);
            tk.sbHTMLClick(2);
        }
        EXPECT_EQ(Read("Vandoret.html"), old) << c.what;
        EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 1) << c.what << ": a temporary file was left";
        EXPECT_EQ(host.messages, said) << c.what;
    }
    // A folder that refuses new files gets the page written in place; the program goes on.
    for (const FileFaultCase& c : kPermissionRefusals) {
        host.messages.clear();
        ResultRow({"99", "99", std::string("Letzter ") + c.what, "", "", "", "9:59,0", "0,0"});
        {
            ScopedFileFault fault(c.fault);
            tk.sbHTMLClick(2);
        }
        EXPECT_NE(Read("Vandoret.html").find(std::string("Letzter ") + c.what), std::string::npos) << c.what;
        EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 1) << c.what;
        EXPECT_TRUE(host.messages.empty()) << c.what;
    }
}

} // namespace
} // namespace vandoret::testing
