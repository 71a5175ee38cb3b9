// The results web page: the results list as one HTML page in Windows-1252, written beside the
// program's working folder, opened or printed by the shell.
#pragma once

#include <string>

#include "base/Host.h"
#include "grid/SortGrid.h"
#include "reports/HoldRows.h"

namespace vandoret {

// The page's name: the program's file name with ".html", in the current directory.
std::string ResultsPageName(const Host& host);
// Writes the page of `results`, replacing the old one whole; a page that cannot be written
// completely shows a message and leaves the old page as it was. `rules` (RulesHeading) stands in
// the page's heading; empty, the page is written as it always was. The day's holds, if any, follow
// the results in a table of their own.
void WriteResultsPage(Host& host, const TSortGrid& results, const std::string& fileName, const std::string& rules = {},
                      const std::vector<HoldRow>& holds = {});
// Writes the page under ResultsPageName, then tag 0 opens it, tag 1 prints it (a folder of that
// name is never handed on).
void PublishResultsPage(Host& host, const TSortGrid& results, int tag, const std::string& rules = {},
                        const std::vector<HoldRow>& holds = {});

} // namespace vandoret
