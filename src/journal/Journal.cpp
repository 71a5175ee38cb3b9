// Writing the journal: the event lines, what else changed in the two lists, one Append each.
#include "journal/Journal.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <exception>
#include <initializer_list>
#include <string_view>

#include "journal/JournalWords.h"

namespace vandoret {
namespace {

// The fields of a journal line joined by TABs (no escaping: the callers escape cells).
std::string Fields(std::initializer_list<std::string_view> fields) {
    std::string line;
    bool first = true;
    for (const std::string_view field : fields) {
        if (!first) {
            line += '\t';
        }
        line += field;
        first = false;
    }
    return line;
}

constexpr std::int64_t kDayMs = 86'400'000;

std::string Digits(std::int64_t value, int width) {
    std::string text = std::to_string(value < 0 ? 0 : value);
    return text.size() < static_cast<std::size_t>(width)
               ? std::string(static_cast<std::size_t>(width) - text.size(), '0') + text
               : text;
}

// "Uhrsprung <TAB> 09:30:10.000 <TAB> -10000"
std::string ClockStepLine(const ClockStep& step) {
    JournalStamp moment;
    moment.millisecond = step.at;
    return Fields({journal_word::kClockStep, FormatJournalStamp(moment).substr(11), std::to_string(step.size)});
}

} // namespace

std::string JournalDay(const JournalStamp& stamp) {
    return Digits(stamp.year, 4) + '-' + Digits(stamp.month, 2) + '-' + Digits(stamp.day, 2);
}

std::string FormatJournalStamp(const JournalStamp& stamp) {
    const std::int64_t ms = stamp.millisecond < 0 ? 0 : stamp.millisecond % kDayMs;
    return JournalDay(stamp) + ' ' + Digits(ms / 3'600'000, 2) + ':' + Digits(ms / 60'000 % 60, 2) + ':' +
           Digits(ms / 1000 % 60, 2) + '.' + Digits(ms % 1000, 3);
}

std::string ContactLinesText(bool dsr, bool cts, bool rlsd, bool startFree, bool finishFree) {
    std::string text = "DSR ";
    text += dsr ? '1' : '0';
    text += " CTS ";
    text += cts ? '1' : '0';
    text += " RLSD ";
    text += rlsd ? '1' : '0';
    text += startFree ? "\tStart frei" : "\tStart gesperrt";
    text += finishFree ? "\tZiel frei" : "\tZiel gesperrt";
    return text;
}

namespace journal_text {

std::string EscapeCell(std::string_view cell) {
    std::string out;
    out.reserve(cell.size());
    for (const char c : cell) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string UnescapeCell(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            out += field[i];
            continue;
        }
        const char c = field[++i];
        out += c == 't' ? '\t' : c == 'r' ? '\r' : c == 'n' ? '\n' : c;
    }
    return out;
}

std::string_view ListName(int list) {
    return list == 0 ? journal_word::kStartTimes : journal_word::kStopTimes;
}

std::string RowFields(const TSortGrid& grid, int list, int row, bool withMark) {
    std::string text(ListName(list));
    text += '\t';
    text += std::to_string(row);
    for (int c = 0; c < kJournalColumns[list]; ++c) {
        text += '\t';
        text += EscapeCell(grid.Cells(c, row));
    }
    if (withMark && RowMarkOf(grid, row) != kRowUnmarked) {
        text += '\t';
        text += RowMarkOf(grid, row) == kRowHand ? journal_word::kHandMark : journal_word::kAutomaticMark;
    }
    return text;
}

std::uint32_t Crc32(std::string_view text) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char ch : text) {
        crc = table[(crc ^ static_cast<unsigned char>(ch)) & 0xFFu] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFu;
}

std::string WithChecksum(std::string_view line) {
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(Crc32(line)));
    std::string out(line);
    out += '\t';
    out += hex;
    return out;
}

std::optional<std::string_view> CheckedLine(std::string_view line) {
    constexpr std::size_t kField = 9; // TAB and 8 hex digits
    if (line.size() < kField || line[line.size() - kField] != '\t') {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (std::size_t i = line.size() - 8; i < line.size(); ++i) {
        const char c = line[i];
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) {
            return std::nullopt;
        }
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    const std::string_view body = line.substr(0, line.size() - kField);
    if (Crc32(body) != value) {
        return std::nullopt;
    }
    return body;
}

} // namespace journal_text

namespace {
std::string HoldLine(const JournalHold& hold) {
    using journal_text::EscapeCell;
    return Fields({journal_word::kHold, EscapeCell(hold.number), EscapeCell(hold.stop), journal_word::kReason,
                   EscapeCell(hold.reason)});
}
std::string RestartLine(const std::string& number, const std::string& moment) {
    using journal_text::EscapeCell;
    return Fields({journal_word::kRestart, EscapeCell(number), EscapeCell(moment)});
}
} // namespace

char RowMarkOf(const TSortGrid& grid, int row) {
    return grid.RowMarked(row) ? kRowHand : grid.RowNoted(row) ? kRowAutomatic : kRowUnmarked;
}

void SetRowMark(TSortGrid& grid, int row, char mark) {
    grid.SetRowMarked(row, mark == kRowHand);
    grid.SetRowNoted(row, mark == kRowAutomatic);
}

using journal_text::ListName;
using journal_text::RowFields;

Journal::Journal(JournalWriter& writer, JournalClock& clock, const TSortGrid& startTimes, const TSortGrid& stopTimes,
                 std::string title)
    : writer_(writer), clock_(clock), startTimes_(startTimes), stopTimes_(stopTimes), title_(std::move(title)) {}

void Journal::ContinueSession(const JournalSession& state, const std::string& day) {
    mirror_.Continue(state);
    sequence_ = state.sequence;
    nextSequence_ = std::max(nextSequence_, sequence_ + 1);
    day_ = day;
    selected_ = state.selected;
    counterOn_ = state.counterOn.value_or(false);
    begun_ = true;
}

void Journal::BeginSession(bool restored) {
    if (restored) {
        Write({std::string(journal_word::kRecovered)}, true);
    } else if (!begun_) {
        Write({});
    }
}

void Journal::BeginNewSession() {
    begun_ = false;
    mirror_ = JournalReplay();
    // The rows taken meanwhile belong to the new session whole.
    const bool rows = !startTimes_.IsBlankRow(1) || startTimes_.RowCount() > 2 || !stopTimes_.IsBlankRow(1) ||
                      stopTimes_.RowCount() > 2;
    Write({}, rows);
}

void Journal::EndSession() {
    Write({Fields({journal_word::kSessionEnd, journal_word::kSession, std::to_string(sequence_)})});
}

void Journal::Retry() {
    if (resync_) {
        Write({});
    }
}

void Journal::Selection(const std::string& number, bool counterOn) {
    const bool changed = selected_ != number || counterOn_ != counterOn;
    selected_ = number;
    counterOn_ = counterOn;
    if (changed && begun_) {
        Write({});
    }
}

void Journal::Saved(bool results, const std::string& fileName) {
    Write({Fields({journal_word::kSaved, results ? journal_word::kSavedResults : journal_word::kSavedStartList}) +
           '\t' + journal_text::EscapeCell(fileName)});
}

void Journal::ClockStepped(const ClockStep& step) {
    Write({ClockStepLine(step)});
}

void Journal::AddSelection(std::string& text, const std::string& stamp, bool always) {
    const JournalSession& seen = mirror_.session;
    if (selected_ && (always || seen.selected != selected_)) {
        AddLine(text, stamp, Fields({journal_word::kSelection, journal_text::EscapeCell(*selected_)}));
    }
    if (selected_ && (always || seen.counterOn != counterOn_)) {
        AddLine(text, stamp, Fields({journal_word::kCountdown, counterOn_ ? journal_word::kOn : journal_word::kOff}));
    }
}

void Journal::RowChanged(JournalEvent event, JournalList list, int row) {
    const int l = static_cast<int>(list);
    const TSortGrid& grid = Grid(l);
    if (row < 1 || row >= grid.RowCount()) {
        Write({});
        return;
    }
    if (event == JournalEvent::Edit) {
        // An edit that changed nothing the journal has writes nothing of its own.
        const JournalRows& rows = mirror_.session.lists[l];
        bool same = static_cast<std::size_t>(row) <= rows.size() &&
                    mirror_.session.marks[l][static_cast<std::size_t>(row) - 1] == RowMarkOf(grid, row);
        for (int c = 0; same && c < kJournalColumns[l]; ++c) {
            same = rows[static_cast<std::size_t>(row) - 1][static_cast<std::size_t>(c)] == grid.Cells(c, row);
        }
        if (same) {
            Write({});
            return;
        }
    }
    const std::string_view kind = event == JournalEvent::Start    ? journal_word::kStart
                                  : event == JournalEvent::Finish ? journal_word::kFinish
                                                                  : journal_word::kEdit;
    Write({Fields({kind, RowFields(grid, l, row)})});
}

void Journal::RowDeleted(JournalList list, int row) {
    Write({Fields({journal_word::kRowDeleted, ListName(static_cast<int>(list)), std::to_string(row)})});
}

void Journal::ListsCleared() {
    Write({std::string(journal_word::kListsCleared)});
}

void Journal::ProtocolOpened(const std::string& fileName) {
    Write({Fields({journal_word::kProtocolOpened, journal_text::EscapeCell(fileName)})});
}

void Journal::ContactLines(std::int64_t millisecond, const std::string& description) {
    JournalStamp moment;
    moment.millisecond = millisecond;
    Write({Fields({journal_word::kContacts, FormatJournalStamp(moment).substr(11), description})});
}

void Journal::HandTime(JournalList list, int row, const std::string& oldTime, const std::string& oldNumber,
                       const std::string& reason) {
    const int l = static_cast<int>(list);
    if (row < 1 || row >= Grid(l).RowCount()) {
        Write({});
        return;
    }
    using journal_text::EscapeCell;
    const std::string_view kind =
        oldTime.empty() && oldNumber.empty() ? journal_word::kHandTime : journal_word::kCorrection;
    Write({Fields({kind, RowFields(Grid(l), l, row, false), journal_word::kOld, EscapeCell(oldTime),
                   EscapeCell(oldNumber), journal_word::kReason, EscapeCell(reason)})});
}

void Journal::AddLine(std::string& text, const std::string& stamp, const std::string& line) {
    const std::string whole = journal_text::WithChecksum(stamp + '\t' + line);
    text += whole;
    text += '\n';
    mirror_.Feed(whole);
}

void Journal::AddDifferences(std::string& text, const std::string& stamp) {
    for (int l = 0; l < 2; ++l) {
        const TSortGrid& grid = Grid(l);
        const std::size_t rows = static_cast<std::size_t>(grid.RowCount() - 1);
        if (mirror_.session.lists[l].size() != rows) {
            AddLine(text, stamp, Fields({journal_word::kRowCount, ListName(l), std::to_string(rows)}));
        }
        for (std::size_t r = 1; r <= rows; ++r) {
            const std::vector<std::string>& seen = mirror_.session.lists[l][r - 1];
            const bool markSame = mirror_.session.marks[l][r - 1] == RowMarkOf(grid, static_cast<int>(r));
            for (int c = 0; c < kJournalColumns[l]; ++c) {
                if (!markSame || seen[static_cast<std::size_t>(c)] != grid.Cells(c, static_cast<int>(r))) {
                    AddLine(text, stamp, Fields({journal_word::kRow, RowFields(grid, l, static_cast<int>(r))}));
                    break;
                }
            }
        }
    }
}

void Journal::AddState(std::string& text, const std::string& stamp) {
    const int rows0 = startTimes_.RowCount() - 1;
    const int rows1 = stopTimes_.RowCount() - 1;
    AddLine(text, stamp, Fields({journal_word::kStand, std::to_string(rows0), std::to_string(rows1)}));
    for (int l = 0; l < 2; ++l) {
        for (int r = 1; r < Grid(l).RowCount(); ++r) {
            AddLine(text, stamp, Fields({journal_word::kRow, RowFields(Grid(l), l, r)}));
        }
    }
    const std::vector<ClockStep> steps = mirror_.session.clockSteps; // AddLine feeds the mirror
    for (const ClockStep& step : steps) {
        AddLine(text, stamp, ClockStepLine(step));
    }
    const std::map<std::string, std::string> statuses = statusesNow ? statusesNow() : mirror_.session.statuses;
    for (const auto& [number, word] : statuses) {
        AddLine(text, stamp, Fields({journal_word::kStatus, journal_text::EscapeCell(number), word}));
    }
    const std::vector<JournalHold> holds = holdsNow ? holdsNow() : mirror_.session.holds;
    for (const JournalHold& hold : holds) {
        AddLine(text, stamp, HoldLine(hold));
        if (!hold.restart.empty()) {
            AddLine(text, stamp, RestartLine(hold.number, hold.restart));
        }
    }
}

void Journal::Held(const std::string& number, const std::string& moment, const std::string& reason) {
    Write({HoldLine({number, moment, {}, reason})});
}

void Journal::Restarted(const std::string& number, const std::string& moment) {
    Write({RestartLine(number, moment)});
}

void Journal::StatusChanged(const std::string& number, std::string_view word) {
    Write({Fields({journal_word::kStatus, journal_text::EscapeCell(number), word})});
}

void Journal::Write(const std::vector<std::string>& events, bool fullState) {
    bool ok = false;
    try {
        const JournalStamp now = clock_.Now();
        const std::string stamp = FormatJournalStamp(now);
        std::string day = JournalDay(now);
        std::string text;
        if (torn_) {
            text += '\n'; // ends whatever part of a line the failed write left
        }
        const std::size_t head = text.size();
        if (!begun_) {
            sequence_ = nextSequence_++;
            AddLine(text, stamp,
                    Fields({journal_word::kSessionBegin, title_, journal_word::kSession, std::to_string(sequence_)}));
        } else if (day > day_) {
            // A new day's file: it begins the session again and holds the whole state.
            AddLine(text, stamp,
                    Fields({journal_word::kSessionBegin, title_, journal_word::kContinued, journal_word::kSession,
                            std::to_string(sequence_)}));
            fullState = true;
        } else {
            day = day_; // a clock set back stays in the session's file
        }
        for (const std::string& line : events) {
            AddLine(text, stamp, line);
        }
        if (fullState || resync_) {
            AddState(text, stamp);
        } else {
            AddDifferences(text, stamp);
        }
        AddSelection(text, stamp, fullState || resync_);
        if (text.size() == head) {
            return; // nothing changed
        }
        ok = writer_.Append(day, text);
        if (ok) {
            day_ = day;
            begun_ = true;
        } else if (!begun_) {
            --nextSequence_; // the session's first line is written again with the next event
        }
    } catch (const std::exception&) {
        ok = false;
    }
    torn_ = !ok;
    resync_ = !ok;
    if (onWriting) {
        onWriting(ok);
    }
}

} // namespace vandoret
