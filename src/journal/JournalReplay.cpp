// Reading the journal back: the lists the last session's lines give.
#include <algorithm>
#include <charconv>
#include <utility>

#include "journal/Journal.h"
#include "timing/BlankText.h"

namespace vandoret {
namespace {

// A day's lists hold a few hundred rows; a count above this is a damaged line, and taking it
// would make the recovery build millions of rows before the window opens.
constexpr long kMaxRows = 100'000;

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t from = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', from);
        fields.push_back(line.substr(from, tab == std::string_view::npos ? std::string_view::npos : tab - from));
        if (tab == std::string_view::npos) {
            return fields;
        }
        from = tab + 1;
    }
}

// "2024-05-11 09:31:02.345"
bool IsStamp(std::string_view field) {
    constexpr std::string_view pattern = "dddd-dd-dd dd:dd:dd.ddd";
    if (field.size() != pattern.size()) {
        return false;
    }
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const bool digit = field[i] >= '0' && field[i] <= '9';
        if (pattern[i] == 'd' ? !digit : field[i] != pattern[i]) {
            return false;
        }
    }
    return true;
}

long ParseCount(std::string_view field, long min) {
    long value = -1;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (error != std::errc() || end != field.data() + field.size() || value < min || value > kMaxRows) {
        return -1;
    }
    return value;
}

int ListIndex(std::string_view name) {
    for (int l = 0; l < 2; ++l) {
        if (name == journal_text::ListName(l)) {
            return l;
        }
    }
    return -1;
}

std::vector<std::string> BlankRowOf(int list) {
    return std::vector<std::string>(static_cast<std::size_t>(kJournalColumns[list]));
}

void Resize(JournalRows& rows, int list, std::size_t count) {
    rows.resize(std::max<std::size_t>(count, 1), BlankRowOf(list));
}

} // namespace

bool JournalSession::ListsEmpty() const {
    for (const JournalRows& rows : lists) {
        for (const auto& row : rows) {
            for (const std::string& cell : row) {
                if (!IsBlankText(cell)) {
                    return false;
                }
            }
        }
    }
    return true;
}

JournalReplay::JournalReplay() {
    Clear();
}

void JournalReplay::Clear() {
    for (int l = 0; l < 2; ++l) {
        session.lists[l].assign(1, BlankRowOf(l));
        session.marks[l].assign(1, false);
    }
}

void JournalReplay::SetRow(JournalRows& rows, std::vector<bool>& marks, int list, int row,
                           const std::vector<std::string_view>& fields, std::size_t first, bool marked) {
    if (rows.size() < static_cast<std::size_t>(row)) {
        Resize(rows, list, static_cast<std::size_t>(row));
    }
    marks.resize(rows.size(), false);
    marks[static_cast<std::size_t>(row) - 1] = marked;
    std::vector<std::string>& cells = rows[static_cast<std::size_t>(row) - 1];
    for (int c = 0; c < kJournalColumns[list]; ++c) {
        cells[static_cast<std::size_t>(c)] = journal_text::UnescapeCell(fields[first + static_cast<std::size_t>(c)]);
    }
}

void JournalReplay::Feed(std::string_view line) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    const std::vector<std::string_view> f = SplitFields(line);
    if (f.size() < 2 || !IsStamp(f[0])) {
        return;
    }
    const std::string_view kind = f[1];
    const int list = f.size() >= 3 ? ListIndex(f[2]) : -1;
    const bool rowLine = kind == "Start" || kind == "Ziel" || kind == "Eingabe" || kind == "Zeile";
    const bool handLine = kind == "Handzeit" || kind == "Korrektur";
    const long row = f.size() >= 4 ? ParseCount(f[3], 1) : -1;
    // A row line has the cells, then "H" when the row is marked; a hand line is always marked.
    const std::size_t cellsEnd = list >= 0 ? 4 + static_cast<std::size_t>(kJournalColumns[list]) : 0;
    const bool marked = handLine || (f.size() == cellsEnd + 1 && f.back() == "H");
    const bool rowValid =
        list >= 0 && row >= 1 &&
        (handLine ? f.size() == cellsEnd + journal_text::kHandFields : f.size() == cellsEnd || (rowLine && marked));

    if (standOpen_) {
        if (kind == "Zeile" && rowValid) {
            SetRow(stand_[list], standMarks_[list], list, static_cast<int>(row), f, 4, marked);
            if (--standRowsLeft_ == 0) {
                standOpen_ = false;
                for (int l = 0; l < 2; ++l) {
                    if (stand_[l].size() < standCounts_[l]) {
                        Resize(stand_[l], l, standCounts_[l]);
                    }
                    session.lists[l] = std::move(stand_[l]);
                    session.marks[l] = std::move(standMarks_[l]);
                    session.marks[l].resize(session.lists[l].size(), false);
                }
            }
            return;
        }
        standOpen_ = false; // its rows never all arrived: it was torn, the lists stay as they were
    }

    if (kind == "Sitzungsbeginn") {
        session = JournalSession{};
        session.found = true;
        Clear();
    } else if (kind == "Sitzungsende") {
        session.ended = true;
    } else if (kind == "Listen geleert" || kind == "Protokoll geöffnet") {
        Clear();
    } else if ((rowLine || handLine) && rowValid) {
        SetRow(session.lists[list], session.marks[list], list, static_cast<int>(row), f, 4, marked);
    } else if (kind == "Zeile gelöscht" && list >= 0 && row >= 1) {
        JournalRows& rows = session.lists[list];
        if (static_cast<std::size_t>(row) > rows.size()) {
            return;
        }
        std::vector<bool>& marks = session.marks[list];
        marks.resize(rows.size(), false);
        if (rows.size() > 1) {
            rows.erase(rows.begin() + (row - 1));
            marks.erase(marks.begin() + (row - 1));
        } else {
            rows[0] = BlankRowOf(list);
            marks[0] = false;
        }
    } else if (kind == "Zeilenzahl" && list >= 0 && f.size() == 4) {
        const long count = ParseCount(f[3], 1);
        if (count >= 1) {
            session.lists[list].resize(static_cast<std::size_t>(count), BlankRowOf(list));
            session.marks[list].resize(static_cast<std::size_t>(count), false);
        }
    } else if (kind == "Stand" && f.size() == 4) {
        const long counts[2] = {ParseCount(f[2], 1), ParseCount(f[3], 1)};
        if (counts[0] < 1 || counts[1] < 1) {
            return;
        }
        // The rows are built as they arrive: a damaged count costs nothing until they have.
        for (int l = 0; l < 2; ++l) {
            stand_[l].clear();
            standMarks_[l].clear();
            standCounts_[l] = static_cast<std::size_t>(counts[l]);
        }
        standRowsLeft_ = static_cast<std::size_t>(counts[0] + counts[1]);
        standOpen_ = true;
    }
}

JournalSession ReplayLastSession(std::string_view text) {
    JournalReplay replay;
    std::size_t from = 0;
    for (;;) {
        const std::size_t end = text.find('\n', from);
        if (end == std::string_view::npos) {
            break; // a last line without its end was torn by a crash: skipped
        }
        replay.Feed(text.substr(from, end - from));
        from = end + 1;
    }
    return std::move(replay.session);
}

} // namespace vandoret
