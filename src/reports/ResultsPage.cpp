// The results web page: written from the results list, then opened or printed by the shell.
// A standards-mode page in Windows-1252 (characters the code page lacks as numeric references),
// readable on a phone: a viewport, the table scrolling sideways inside its box.
#include "reports/ResultsPage.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "lists/Cp1252.h"
#include "lists/TextFile.h"
#include "reports/HtmlEscape.h"

namespace vandoret {
namespace {

constexpr std::string_view kMakerAddress = "https://www.kronvale.example";
constexpr std::string_view kCrLf = "\r\n";
constexpr int kPageColumns = 8;
constexpr int kPageTimeColumn = 6;
// Beside the ride time of a row whose time was entered or corrected by hand.
constexpr std::string_view kHandMark = " <b title=\"Handzeit\">H</b>";

class PageText {
public:
    PageText& operator<<(std::string_view text) {
        text_ += text;
        return *this;
    }
    void Line(std::string_view text) {
        text_ += text;
        text_ += kCrLf;
    }
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

std::string BuildPage(const TSortGrid& results, const std::string& title, const std::string& rules,
                      const std::vector<HoldRow>& holds) {
    const std::string maker(kMakerAddress);
    const std::string escapedTitle = EscapeHtml(title, Apostrophe::Keep);
    PageText page;
    page.Line("<!DOCTYPE html>");
    page.Line("<HTML>");
    page.Line("<HEAD>");
    page.Line("<!--" + maker + " software -->");
    page.Line("<TITLE>Zeitenprotokoll " + escapedTitle + "</TITLE>");
    page.Line("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">");
    page.Line("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">");
    page.Line("<meta name=\"keywords\" content=\"Kronvale, Stoppuhr, Zeitmessung, Buspulling\">");
    page.Line("<meta name=\"description\" content=\"Kronvale professional software development for all\">");
    page.Line("<meta name=\"Webdesign\" content=\"" + maker + "\">");
    page.Line("<style type=\"text/css\">");
    page.Line("<!--");
    page.Line("body {font-family:Verdana;");
    page.Line("scrollbar-track-color:#F9F9E6;");
    page.Line("scrollbar-face-color:#B0A786}");
    page.Line("table {font-size:10pt}");
    // Place, time and points read right-aligned; on a narrow screen the table scrolls sideways.
    page.Line("td {vertical-align:top}");
    page.Line("td:nth-child(1), td:nth-child(7), td:nth-child(8) {text-align:right}");
    page.Line(".scroll {overflow-x:auto}");
    page.Line("a:hover{text-decoration:none; background-color:#E2E6CB}");
    page.Line("-->");
    page.Line("</style></head>");
    page.Line("<body bgcolor=#F9F9E6>");
    page.Line("<div style=\"width:100%; color:#A37E4E; filter:Glow(color=0, strength=6)\">");
    page.Line("<h1>Ergebnisse</h1>");
    page.Line("</div><b>" + EscapeHtml(rules, Apostrophe::Keep));
    page.Line("</b><br><div class=scroll><table style=\"BORDER-COLLAPSE: collapse\" bgcolor=#FFFFFF "
              "borderColor=#E0E0E0 border=1 cellpadding=4 width=649>");
    page.Line("<thead bgcolor=#B0A786><tr>");
    for (int col = 0; col < kPageColumns; ++col) {
        page.Line((col == 1 ? "<th nowrap>" : "<th>") + EscapeHtml(results.Cells(col, 0), Apostrophe::Keep) + "</th>");
    }
    page.Line("</tr></thead>");
    for (int row = 1; row < results.RowCount(); ++row) {
        page << "<tr>";
        for (int col = 0; col < kPageColumns; ++col) {
            const std::string& cell = results.Cells(col, row);
            page << "<td>" << (cell.empty() ? std::string("&nbsp;") : EscapeHtml(cell, Apostrophe::Keep));
            if (col == kPageTimeColumn && results.RowMarked(row)) {
                page << kHandMark;
            }
        }
        page.Line("</tr>");
    }
    page.Line("</table></div>");
    if (!holds.empty()) {
        page.Line(std::string("<h2>") + kHoldHeading + "</h2>");
        page.Line("<div class=scroll><table style=\"BORDER-COLLAPSE: collapse\" bgcolor=#FFFFFF borderColor=#E0E0E0 "
                  "border=1 cellpadding=4>");
        page << "<thead bgcolor=#B0A786><tr>";
        for (const char* caption : kHoldCaptions) {
            page << "<th>" << caption << "</th>";
        }
        page.Line("</tr></thead>");
        for (const HoldRow& h : holds) {
            page << "<tr>";
            for (const std::string* cell : {&h.nr, &h.name, &h.stop, &h.restart, &h.held, &h.reason}) {
                page << "<td>" << (cell->empty() ? std::string("&nbsp;") : EscapeHtml(*cell, Apostrophe::Keep));
            }
            page.Line("</tr>");
        }
        page.Line("</table></div>");
    }
    page.Line("<hr><p align=right><font color=#F5F5F5 size=2>Erstellt mit dem Programm &quot;" + escapedTitle +
              "&quot;.");
    page << "</font><br>"
         << "<div style=\"width:100%; filter:Shadow(color=#000000, direction=315)\" align=right>"
         << "  <a href=\"" << maker << "\">"
         << "<font size=7 color=#FF0000>K</font>"
         << "<font size=6><font color=#00CC00>ron</font><font color=#F0DE00>vale</font></font>"
         << "</a></div>";
    page.Line("</body></html>");
    return page.Text();
}

} // namespace

std::string ResultsPageName(const Host& host) {
    return host.ApplicationTitle() + ".html";
}

void WriteResultsPage(Host& host, const TSortGrid& results, const std::string& fileName, const std::string& rules,
                      const std::vector<HoldRow>& holds) {
    const std::string failed =
        "Löschen Sie die alte Webseite oder speichern Sie diese unter einem anderen Namen: " + fileName;
    const std::string bytes = EncodeCp1252Html(BuildPage(results, host.ApplicationTitle(), rules, holds));
    // Replaced whole: a page that cannot be written completely (a full disk) leaves the old page
    // as it was, rather than half of the new one.
    if (!ReplaceWholeFile(fileName, bytes)) {
        host.ShowMessage(failed);
    }
}

void PublishResultsPage(Host& host, const TSortGrid& results, int tag, const std::string& rules,
                        const std::vector<HoldRow>& holds) {
    const std::string name = ResultsPageName(host);
    WriteResultsPage(host, results, name, rules, holds);
    // Only a file is handed on: a folder of that name is no page, and the shell would open the folder.
    std::error_code error;
    const std::filesystem::path page = PathFromUtf8(name);
    if (!std::filesystem::exists(page, error) || std::filesystem::is_directory(page, error)) {
        return;
    }
    if (tag == 0) {
        host.ShellExecute("open", name);
    } else if (tag == 1) {
        host.ShellExecute("print", name);
    }
}

} // namespace vandoret
