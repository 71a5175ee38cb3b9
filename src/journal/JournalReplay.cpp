// Reading the journal back: the lists the last session's lines give.
#include <algorithm>
#include <charconv>
#include <optional>
#include <string>
#include <utility>

#include "base/BlankText.h"
#include "journal/Journal.h"
#include "journal/JournalWords.h"

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

// "09:30:10.000" as ms of the day; -1 when it is not one.
std::int64_t ParseClockMoment(std::string_view field) {
    if (field.size() != 12 || !IsStamp("2000-01-01 " + std::string(field))) {
        return -1;
    }
    const auto number = [&](std::size_t at, std::size_t n) {
        int value = 0;
        for (std::size_t i = at; i < at + n; ++i) {
            value = value * 10 + (field[i] - '0');
        }
        return std::int64_t{value};
    };
    const std::int64_t h = number(0, 2), m = number(3, 2), s = number(6, 2);
    return h > 23 || m > 59 || s > 59 ? -1 : ((h * 60 + m) * 60 + s) * 1000 + number(9, 3);
}

// A step's line fields; nullopt when they do not read as one.
std::optional<ClockStep> ParseClockStep(const std::vector<std::string_view>& f) {
    if (f.size() != 4) {
        return std::nullopt;
    }
    std::int64_t size = 0;
    const auto [end, error] = std::from_chars(f[3].data(), f[3].data() + f[3].size(), size);
    const std::int64_t at = ParseClockMoment(f[2]);
    if (error != std::errc() || end != f[3].data() + f[3].size() || at < 0 || size <= -kRideDayMs ||
        size >= kRideDayMs) {
        return std::nullopt;
    }
    return ClockStep{at, size};
}

} // namespace

// Feeds the whole lines of a text; a byte-order mark in front is no part of the first line, and
// a last line without its end was torn by a crash: skipped.
void FeedText(JournalReplay& replay, std::string_view text) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (text.starts_with(kBom)) {
        text.remove_prefix(kBom.size());
    }
    std::size_t from = 0;
    for (;;) {
        const std::size_t end = text.find('\n', from);
        if (end == std::string_view::npos) {
            return;
        }
        replay.Feed(text.substr(from, end - from));
        from = end + 1;
    }
}

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
        session.marks[l].assign(1, kRowUnmarked);
    }
    session.statuses.clear();
    session.holds.clear();
}

void JournalReplay::SetRow(JournalRows& rows, RowMarks& marks, int list, int row,
                           const std::vector<std::string_view>& fields, std::size_t first, char mark) {
    if (rows.size() < static_cast<std::size_t>(row)) {
        Resize(rows, list, static_cast<std::size_t>(row));
    }
    marks.resize(rows.size(), kRowUnmarked);
    marks[static_cast<std::size_t>(row) - 1] = mark;
    std::vector<std::string>& cells = rows[static_cast<std::size_t>(row) - 1];
    for (int c = 0; c < kJournalColumns[list]; ++c) {
        cells[static_cast<std::size_t>(c)] = journal_text::UnescapeCell(fields[first + static_cast<std::size_t>(c)]);
    }
}

namespace {

// A damaged line that may have been a session's first line: its kind reads "Sitzungsbeginn" but
// for one byte at most.
bool LooksLikeBegin(std::string_view line, const std::vector<std::string_view>& f) {
    constexpr std::string_view kBegin = journal_word::kSessionBegin;
    const std::size_t at = line.substr(0, 48).find(kBegin);
    if (at != std::string_view::npos && at >= 22 && at <= 26) {
        return true; // the kind whole after the stamp, a field separator broken
    }
    for (std::size_t i = 0; i < f.size() && i < 2; ++i) {
        if (f[i].size() == kBegin.size()) {
            int differ = 0;
            for (std::size_t k = 0; k < kBegin.size(); ++k) {
                differ += f[i][k] != kBegin[k] ? 1 : 0;
            }
            if (differ <= 1) {
                return true;
            }
        }
    }
    return false;
}

// The number after a "Sitzung" field; -1 when there is none that reads.
std::int64_t SessionNumber(const std::vector<std::string_view>& f) {
    for (std::size_t i = 2; i + 1 < f.size(); ++i) {
        if (f[i] == journal_word::kSession) {
            std::int64_t value = -1;
            const auto [end, error] = std::from_chars(f[i + 1].data(), f[i + 1].data() + f[i + 1].size(), value);
            if (error == std::errc() && end == f[i + 1].data() + f[i + 1].size() && value >= 1) {
                return value;
            }
        }
    }
    return -1;
}

bool HasField(const std::vector<std::string_view>& f, std::string_view field) {
    return std::find(f.begin() + std::min<std::size_t>(f.size(), 2), f.end(), field) != f.end();
}

// "<stamp> <kind>" of a damaged line, as far as they read.
std::string DamageText(const std::vector<std::string_view>& f) {
    std::string text;
    if (!f.empty() && IsStamp(f[0])) {
        text = f[0];
    }
    if (f.size() >= 2) {
        std::string kind;
        for (const char c : f[1].substr(0, 24)) {
            kind += static_cast<unsigned char>(c) >= 0x20 && c != 0x7F ? c : '?';
        }
        text += text.empty() ? kind : ' ' + kind;
    }
    return text.empty() ? std::string("unlesbar") : text;
}

constexpr std::size_t kDamageListed = 10;

// Ends in something like a checksum (8 characters, nearly all hex digits): a line written with
// checksums, whatever damaged it. (A title such as "Vandoret" is not one.)
bool LooksChecksummed(std::string_view line) {
    const std::size_t tab = line.rfind('\t');
    if (tab == std::string_view::npos || line.size() - tab != 9) {
        return false;
    }
    int hex = 0;
    for (const char c : line.substr(tab + 1)) {
        hex += (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') ? 1 : 0;
    }
    return hex >= 7;
}

} // namespace

void JournalReplay::Continue(const JournalSession& state) {
    session = state;
    for (int l = 0; l < 2; ++l) {
        if (session.lists[l].empty()) {
            session.lists[l].assign(1, BlankRowOf(l));
        }
        session.marks[l].resize(session.lists[l].size(), kRowUnmarked);
    }
    standOpen_ = false;
}

void JournalReplay::Finish() {
    if (standOpen_) {
        CloseStand();
    }
    session.unsaved = session.lists[0] != saved_[0] || session.lists[1] != saved_[1];
}

void JournalReplay::CloseStand() {
    standOpen_ = false;
    for (int l = 0; l < 2; ++l) {
        if (standRowsLeft_ == 0) {
            // Every row arrived: the Stand is the lists.
            if (stand_[l].size() < standCounts_[l]) {
                Resize(stand_[l], l, standCounts_[l]);
            }
            session.lists[l] = std::move(stand_[l]);
            session.marks[l] = std::move(standMarks_[l]);
        } else {
            // Some rows never arrived (torn or damaged): those that did go over the lists as they were.
            JournalRows& rows = session.lists[l];
            if (rows.size() < stand_[l].size()) {
                Resize(rows, l, stand_[l].size());
            }
            session.marks[l].resize(rows.size(), kRowUnmarked);
            for (std::size_t r = 0; r < stand_[l].size(); ++r) {
                if (r < standArrived_[l].size() && standArrived_[l][r]) {
                    rows[r] = std::move(stand_[l][r]);
                    session.marks[l][r] = standMarks_[l][r];
                }
            }
        }
        session.marks[l].resize(session.lists[l].size(), kRowUnmarked);
        stand_[l].clear();
        standMarks_[l].clear();
        standArrived_[l].clear();
    }
}

void JournalReplay::Begin(std::string_view stamp, std::int64_t number, bool checksums) {
    if (session.found && onSessionDone) {
        Finish();
        onSessionDone(session);
    }
    // Damage before the first session is counted with it.
    const int damagedBefore = session.found ? 0 : session.damaged;
    std::vector<std::string> damageBefore = session.found ? std::vector<std::string>() : std::move(session.damage);
    session = JournalSession{};
    session.found = true;
    session.checksums = checksums;
    session.sequence = number;
    session.damaged = damagedBefore;
    session.damage = std::move(damageBefore);
    session.firstStamp = stamp;
    session.lastStamp = stamp;
    session.day = fileDay;
    Clear();
    for (int l = 0; l < 2; ++l) {
        saved_[l] = session.lists[l];
    }
}

void JournalReplay::Damaged(std::string_view line) {
    const std::vector<std::string_view> f = SplitFields(line);
    if (LooksLikeBegin(line, f)) {
        // Most likely the first line of a session: what follows belongs to a new one.
        Begin(IsStamp(f[0]) ? f[0] : std::string_view(), SessionNumber(f),
              session.checksums || HasField(f, journal_word::kSession) || LooksChecksummed(line));
    }
    ++session.damaged;
    if (session.damage.size() < kDamageListed) {
        session.damage.push_back(DamageText(f));
    }
}

void JournalReplay::Feed(std::string_view line) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    if (line.empty()) {
        return; // ends a line a failed write tore
    }
    const std::optional<std::string_view> checked = journal_text::CheckedLine(line);
    const std::string_view body = checked ? *checked : line;
    const std::vector<std::string_view> f = SplitFields(body);
    const bool stamped = f.size() >= 2 && IsStamp(f[0]);
    // A line of a session with checksums needs a valid one; a line of an older journal has none,
    // and its first line no session number.
    const bool numberedBegin = stamped && f[1] == journal_word::kSessionBegin && HasField(f, journal_word::kSession);
    if (!stamped || (!checked && (session.checksums || numberedBegin || LooksChecksummed(line)))) {
        Damaged(line);
        return;
    }
    Apply(f, checked.has_value());
}

void JournalReplay::Apply(const std::vector<std::string_view>& f, bool checked) {
    const std::string_view kind = f[1];
    const int list = f.size() >= 3 ? ListIndex(f[2]) : -1;
    const bool rowLine = kind == journal_word::kStart || kind == journal_word::kFinish || kind == journal_word::kEdit ||
                         kind == journal_word::kRow;
    const bool handLine = kind == journal_word::kHandTime || kind == journal_word::kCorrection;
    const long row = f.size() >= 4 ? ParseCount(f[3], 1) : -1;
    // A row line has the cells, then "H" or "Auto" when the row is marked; a hand line is always
    // marked by hand.
    const std::size_t cellsEnd = list >= 0 ? 4 + static_cast<std::size_t>(kJournalColumns[list]) : 0;
    const bool withMark = f.size() == cellsEnd + 1;
    const char mark = handLine                                               ? kRowHand
                      : withMark && f.back() == journal_word::kHandMark      ? kRowHand
                      : withMark && f.back() == journal_word::kAutomaticMark ? kRowAutomatic
                                                                             : kRowUnmarked;
    const bool marked = mark != kRowUnmarked;
    const bool rowValid =
        list >= 0 && row >= 1 &&
        (handLine ? f.size() == cellsEnd + journal_text::kHandFields : f.size() == cellsEnd || (rowLine && marked));

    if (standOpen_) {
        if (kind == journal_word::kRow && rowValid) {
            SetRow(stand_[list], standMarks_[list], list, static_cast<int>(row), f, 4, mark);
            standArrived_[list].resize(stand_[list].size(), false);
            standArrived_[list][static_cast<std::size_t>(row) - 1] = true;
            session.lastStamp = f[0];
            if (--standRowsLeft_ == 0) {
                CloseStand();
            }
            return;
        }
        CloseStand();
    }

    if (kind == journal_word::kSessionBegin) {
        const std::int64_t number = checked ? SessionNumber(f) : 0;
        if (session.found && checked && number >= 1 && number == session.sequence &&
            HasField(f, journal_word::kContinued)) {
            session.lastStamp = f[0]; // the session goes on in the next day's file
            session.day = fileDay;
            session.ended = false;
            return;
        }
        Begin(f[0], number, checked);
        return;
    }
    if (kind == journal_word::kSessionEnd) {
        const std::int64_t number = SessionNumber(f);
        if (number < 0 || number == session.sequence || session.sequence < 0) {
            session.ended = true;
            session.lastStamp = f[0];
        }
        return;
    }

    bool known = true;
    if (kind == journal_word::kListsCleared || kind == journal_word::kProtocolOpened) {
        Clear();
        session.clockSteps.clear();
    } else if (kind == journal_word::kHold && f.size() == 6 && f[4] == journal_word::kReason) {
        JournalHold hold{
            journal_text::UnescapeCell(f[2]), journal_text::UnescapeCell(f[3]), {}, journal_text::UnescapeCell(f[5])};
        std::vector<JournalHold>& holds = session.holds;
        const bool open = std::any_of(holds.begin(), holds.end(), [&hold](const JournalHold& h) {
            return h.number == hold.number && h.restart.empty();
        });
        const bool seen = std::any_of(holds.begin(), holds.end(), [&hold](const JournalHold& h) {
            return h.number == hold.number && h.stop == hold.stop;
        });
        if (!open && !seen) { // the full state repeats what was read already
            holds.push_back(std::move(hold));
        }
    } else if (kind == journal_word::kRestart && f.size() == 4) {
        const std::string number = journal_text::UnescapeCell(f[2]);
        for (JournalHold& hold : session.holds) {
            if (hold.number == number && hold.restart.empty()) {
                hold.restart = journal_text::UnescapeCell(f[3]);
                break;
            }
        }
    } else if (kind == journal_word::kStatus && f.size() == 4) {
        const std::string number = journal_text::UnescapeCell(f[2]);
        if (f[3] == journal_word::kNoStatus) {
            session.statuses.erase(number);
        } else {
            session.statuses[number] = std::string(f[3]);
        }
    } else if (kind == journal_word::kClockStep) {
        const std::optional<ClockStep> step = ParseClockStep(f);
        std::vector<ClockStep>& steps = session.clockSteps;
        known = step.has_value();
        if (step && std::find(steps.begin(), steps.end(), *step) == steps.end()) {
            steps.push_back(*step);
        }
    } else if ((rowLine || handLine) && rowValid) {
        SetRow(session.lists[list], session.marks[list], list, static_cast<int>(row), f, 4, mark);
    } else if (kind == journal_word::kRowDeleted && list >= 0 && row >= 1) {
        JournalRows& rows = session.lists[list];
        if (static_cast<std::size_t>(row) > rows.size()) {
            return;
        }
        RowMarks& marks = session.marks[list];
        marks.resize(rows.size(), kRowUnmarked);
        if (rows.size() > 1) {
            rows.erase(rows.begin() + (row - 1));
            marks.erase(marks.begin() + (row - 1));
        } else {
            rows[0] = BlankRowOf(list);
            marks[0] = kRowUnmarked;
        }
    } else if (kind == journal_word::kRowCount && list >= 0 && f.size() == 4) {
        const long count = ParseCount(f[3], 1);
        if (count >= 1) {
            session.lists[list].resize(static_cast<std::size_t>(count), BlankRowOf(list));
            session.marks[list].resize(static_cast<std::size_t>(count), kRowUnmarked);
        }
    } else if (kind == journal_word::kStand && f.size() == 4) {
        const long counts[2] = {ParseCount(f[2], 1), ParseCount(f[3], 1)};
        if (counts[0] < 1 || counts[1] < 1) {
            return;
        }
        // The rows are built as they arrive: a damaged count costs nothing until they have.
        for (int l = 0; l < 2; ++l) {
            stand_[l].clear();
            standMarks_[l].clear();
            standArrived_[l].clear();
            standCounts_[l] = static_cast<std::size_t>(counts[l]);
        }
        standRowsLeft_ = static_cast<std::size_t>(counts[0] + counts[1]);
        standOpen_ = true;
    } else if (kind == journal_word::kSelection && f.size() == 3) {
        session.selected = journal_text::UnescapeCell(f[2]);
    } else if (kind == journal_word::kCountdown && f.size() == 3) {
        session.counterOn = f[2] == journal_word::kOn;
    } else if (kind == journal_word::kSaved && f.size() == 4) {
        if (f[2] == journal_word::kSavedResults) {
            saved_[0] = session.lists[0];
            saved_[1] = session.lists[1];
        }
    } else if (kind != journal_word::kRecovered && kind != journal_word::kContacts) {
        known = false; // a kind this version does not know, or a line that makes no sense: skipped
    }
    if (known) {
        session.ended = false;
        session.lastStamp = f[0];
    }
}

JournalSession ReplayLastSession(std::string_view text) {
    JournalReplay replay;
    FeedText(replay, text);
    replay.Finish();
    return std::move(replay.session);
}

JournalScan ScanJournalFiles(const std::vector<JournalFileText>& files) {
    JournalScan scan;
    std::int64_t highest = 0;
    const auto consider = [&](JournalSession& candidate) {
        if (candidate.sequence < 0) {
            candidate.sequence = highest + 1; // its number was damaged: it came after those before
        }
        highest = std::max(highest, candidate.sequence);
        if (!scan.newest || candidate.sequence >= scan.newest->sequence) {
            scan.newest = std::move(candidate);
        }
    };
    JournalReplay replay;
    replay.onSessionDone = consider;
    for (const JournalFileText& file : files) {
        if (!file.error.empty()) {
            scan.unreadable.push_back(file.name + ": " + file.error);
            continue;
        }
        replay.fileDay = file.day;
        FeedText(replay, file.text);
        replay.Finish();
    }
    if (replay.session.found) {
        consider(replay.session);
    }
    if (scan.newest) {
        scan.newestDay = scan.newest->day;
    }
    scan.nextSequence = highest + 1;
    return scan;
}

} // namespace vandoret
