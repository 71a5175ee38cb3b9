// Holds on the course: F5 "Anhalten", Shift+F5 "Weiter", and the held time in "Pausen".
#include <algorithm>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/BlankText.h"
#include "base/NumberText.h"
#include "grid/ListColumns.h"
#include "grid/StartNumbers.h"
#include "timing/Registrations.h"

namespace vandoret {
namespace {

// "12 14, 17;20" -> 12, 14, 17, 20 (each once, in the order typed).
std::vector<std::string> SplitNumbers(std::string_view text) {
    std::vector<std::string> numbers;
    std::string current;
    const auto flush = [&] {
        if (!current.empty() && std::find(numbers.begin(), numbers.end(), current) == numbers.end()) {
            numbers.push_back(current);
        }
        current.clear();
    };
    for (const char c : text) {
        if (c == ' ' || c == ',' || c == ';' || c == '+' || c == '\t') {
            flush();
        } else {
            current += c;
        }
    }
    flush();
    return numbers;
}

std::string Joined(const std::vector<std::string>& numbers) {
    std::string text;
    for (const std::string& n : numbers) {
        text += (text.empty() ? "" : ", ") + n;
    }
    return text;
}

} // namespace

HoldEntry Registrations::NewHold(bool restart) {
    HoldEntry entry;
    entry.restart = restart;
    entry.time = FormatClock(host_.CurrentTimeOfDay(), ClockForm::HhNnSsZ, locale_);
    const HoldList& holds = results_.Holds;
    std::vector<std::string> candidates;
    if (restart) {
        candidates = holds.OpenNumbers();
    } else {
        std::set<std::string, std::less<>> finished;
        for (int r = 1; r < SortGrid3.RowCount(); ++r) {
            finished.emplace(StartNumberKey(SortGrid3.Cells(kStopNr, r)));
        }
        for (int r = 1; r < SortGrid2.RowCount(); ++r) {
            const std::string nr(StartNumberKey(SortGrid2.Cells(kStartNr, r)));
            if (!nr.empty() && finished.count(nr) == 0 && holds.Open(nr) == nullptr &&
                results_.Statuses.Of(nr) == RideStatus::None &&
                std::find(candidates.begin(), candidates.end(), nr) == candidates.end()) {
                candidates.push_back(nr);
            }
        }
    }
    if (candidates.size() == 1) {
        entry.numbers = candidates.front();
    }
    return entry;
}

HoldResult Registrations::ApplyHold(const HoldEntry& entry, bool resultsShown) {
    const std::vector<std::string> numbers = SplitNumbers(entry.numbers);
    if (numbers.empty()) {
        return {false, "Bitte die Startnummer eingeben (mehrere durch Leerzeichen getrennt)."};
    }
    const std::optional<TimeOfDay> time = ParseHandTime(entry.time, locale_);
    if (!time) {
        return {false, "Keine gültige Uhrzeit: bitte als hh:mm:ss,z eingeben."};
    }
    const std::int64_t at = ToMilliseconds(*time);
    HoldList& holds = results_.Holds;
    for (const std::string& nr : numbers) {
        const std::string key(StartNumberKey(nr));
        if (!entry.restart && FindStartNumberRow(SortGrid2, kStartNr, key) < 0) {
            return {false, "Nr. " + key + " hat keine Startzeit."};
        }
        if (!entry.restart && holds.Open(key) != nullptr) {
            return {false, "Nr. " + key + " ist schon angehalten."};
        }
        if (entry.restart && holds.Open(key) == nullptr) {
            return {false, "Nr. " + key + " ist nicht angehalten."};
        }
        if (entry.restart && holds.Open(key)->stop > at && holds.Open(key)->stop - at < 12 * 3'600'000) {
            return {false, "Nr. " + key + ": „Weiter“ liegt vor „Anhalten“ (" +
                               FormatClock(static_cast<double>(holds.Open(key)->stop) / 86'400'000.0,
                                           ClockForm::HhNnSsZ, locale_) +
                               ")."};
        }
    }
    const std::string text = FormatClock(*time, ClockForm::HhNnSsZ, locale_);
    for (const std::string& nr : numbers) {
        const std::string key(StartNumberKey(nr));
        const std::int64_t before = holds.HeldTotal(key);
        if (entry.restart) {
            holds.End(key, at);
            if (journal) {
                journal->Restarted(key, text);
            }
        } else {
            holds.Begin(key, at, entry.reason);
            if (journal) {
                journal->Held(key, text, entry.reason);
            }
        }
        WriteHeldTime(key, before);
    }
    RebuildResults(resultsShown);
    if (journal) {
        journal->CellsWritten();
    }
    UpdateHoldNotice(host_.CurrentTimeOfDay());
    return {true, {}};
}

std::optional<HoldEntry> Registrations::TakeRestartWanted() {
    std::optional<HoldEntry> wanted = std::move(restartWanted_);
    restartWanted_.reset();
    return wanted;
}

void Registrations::NumberAssigned(int row) {
    const std::string nr(StartNumberKey(SortGrid3.Cells(kStopNr, row)));
    if (nr.empty()) {
        return;
    }
    const std::int64_t held = results_.Holds.HeldTotal(nr);
    if (held > 0 && IsBlankText(SortGrid3.Cells(kStopPause, row))) {
        SortGrid3.SetCell(kStopPause, row, FormatDuration(static_cast<Duration>(held), locale_));
    }
    if (results_.Holds.Open(nr) != nullptr) {
        HoldEntry restart = NewHold(true);
        restart.numbers = nr;
        restartWanted_ = restart;
    }
}

void Registrations::WriteHeldTime(const std::string& number, std::int64_t before) {
    const std::int64_t after = results_.Holds.HeldTotal(number);
    const auto text = [this](std::int64_t ms) {
        return ms > 0 ? FormatDuration(static_cast<Duration>(ms), locale_) : std::string();
    };
    for (int r = 1; r < SortGrid3.RowCount(); ++r) {
        if (!SameStartNumber(SortGrid3.Cells(kStopNr, r), number)) {
            continue;
        }
        const std::string& cell = SortGrid3.Cells(kStopPause, r);
        if ((IsBlankText(cell) || cell == text(before)) && cell != text(after)) {
            SortGrid3.SetCell(kStopPause, r, text(after));
        }
    }
}

void Registrations::UpdateHoldNotice(TimeOfDay now) {
    const std::vector<std::string> open = results_.Holds.OpenNumbers();
    std::string notice;
    if (!open.empty()) {
        const Hold* first = results_.Holds.Open(open.front()); // the longest held
        std::int64_t since = ToMilliseconds(now) - first->stop;
        since = since < 0 ? since + 86'400'000 : since;
        const std::int64_t seconds = since / 1000;
        const std::string held =
            std::to_string(seconds / 60) + (seconds % 60 < 10 ? ":0" : ":") + std::to_string(seconds % 60); // "2:15"
        notice = "Nr. " + Joined(open) + " angehalten seit " + held + " – weiter mit Umschalt+F5";
    }
    if (notice != holdNotice_) {
        holdNotice_ = notice;
        UpdateJournalNotice();
    }
}

} // namespace vandoret
