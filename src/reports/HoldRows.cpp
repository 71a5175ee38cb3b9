// The holds table of the results pages.
#include "reports/HoldRows.h"

#include "base/TimeValues.h"
#include "grid/ListColumns.h"
#include "grid/StartNumbers.h"
#include "results/ResultsList.h"

namespace vandoret {

std::vector<HoldRow> HoldRows(const ResultsList& results) {
    const Locale& locale = results.ResultLocale();
    const TSortGrid& list = results.StartListGrid();
    const StartNumberIndex riders(list, kListNr);
    const auto clock = [&locale](std::int64_t ms) {
        return FormatClock(static_cast<double>(ms) / 86'400'000.0, ClockForm::HhNnSsZ, locale);
    };
    std::vector<HoldRow> rows;
    for (const Hold& hold : results.Holds.All()) {
        const int r = riders.Find(hold.number);
        rows.push_back(
            {hold.number, r > 0 ? list.Cells(kListName, r) : std::string(), clock(hold.stop),
             hold.restart ? clock(*hold.restart) : std::string(),
             hold.restart ? FormatDuration(static_cast<Duration>(HeldMilliseconds(hold)), locale) : std::string(),
             hold.reason});
    }
    return rows;
}

} // namespace vandoret
