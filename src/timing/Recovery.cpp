// The Timekeeper's journal: attaching it, recovering the newest session at start-up, the notices
// of the status bar, the session end, and the commit of a stop list edit.
#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/BlankText.h"
#include "base/NumberText.h"
#include "grid/ListColumns.h"
#include "results/Rules.h"
#include "timing/Registrations.h"

namespace vandoret {
namespace {

constexpr const char* kJournalNotWritten = "Journal wird nicht geschrieben: Zeiten nur im Speicher";
constexpr std::size_t kDamageShown = 5;

bool IsBlankRow(const std::vector<std::string>& row) {
    for (const std::string& cell : row) {
        if (!IsBlankText(cell)) {
            return false;
        }
    }
    return true;
}

std::vector<std::string> RowOf(const TSortGrid& grid, int r) {
    std::vector<std::string> row;
    for (int c = 0; c < grid.ColCount(); ++c) {
        row.push_back(grid.Cells(c, r));
    }
    return row;
}

// The holds a journal gives; a moment that does not read leaves its hold out.
std::vector<Hold> HoldsOf(const std::vector<JournalHold>& read, const Locale& locale) {
    std::vector<Hold> holds;
    for (const JournalHold& h : read) {
        const std::optional<TimeOfDay> stop = ParseHandTime(h.stop, locale);
        const std::optional<TimeOfDay> restart = ParseHandTime(h.restart, locale);
        if (stop) {
            holds.push_back({h.number, ToMilliseconds(*stop),
                             restart ? std::optional<std::int64_t>(ToMilliseconds(*restart)) : std::nullopt, h.reason});
        }
    }
    return holds;
}

// Rows numbered "1.", "2.", ... in column 0, each with its mark, the caption row kept.
void AssignNumbered(TSortGrid& grid, std::vector<std::vector<std::string>> rows, const RowMarks& marks) {
    std::vector<std::vector<std::string>> all;
    all.reserve(rows.size() + 1);
    all.push_back(RowOf(grid, 0));
    for (auto& row : rows) {
        all.push_back(std::move(row));
    }
    grid.AssignRows(std::move(all));
    for (std::size_t r = 0; r < marks.size() && static_cast<int>(r) + 1 < grid.RowCount(); ++r) {
        SetRowMark(grid, static_cast<int>(r) + 1, marks[r]);
    }
    grid.SetRow(grid.RowCount() - 1);
}

// The recovered rows, then the rows recorded since start-up (numbered on after them), each with
// its mark.
void Rebuild(TSortGrid& grid, const JournalRows& recovered, const RowMarks& recoveredMarks) {
    std::vector<std::vector<std::string>> meanwhile;
    RowMarks meanwhileMarks;
    for (int r = 1; r < grid.RowCount(); ++r) {
        if (!grid.IsBlankRow(r)) {
            meanwhileMarks.push_back(RowMarkOf(grid, r));
            meanwhile.push_back(RowOf(grid, r));
        }
    }
    std::size_t keep = recovered.size();
    while (!meanwhile.empty() && keep > 0 && IsBlankRow(recovered[keep - 1])) {
        --keep; // no blank row between the recovered rows and the new ones
    }
    std::vector<std::vector<std::string>> rows(recovered.begin(),
                                               recovered.begin() + static_cast<std::ptrdiff_t>(keep));
    RowMarks marks;
    for (std::size_t r = 0; r < keep; ++r) {
        marks.push_back(r < recoveredMarks.size() ? recoveredMarks[r] : kRowUnmarked);
    }
    for (std::size_t k = 0; k < meanwhile.size(); ++k) {
        meanwhile[k][0] = std::to_string(rows.size() + 1) + ".";
        rows.push_back(std::move(meanwhile[k]));
        marks.push_back(meanwhileMarks[k]);
    }
    AssignNumbered(grid, std::move(rows), marks);
}

// "Nein": the rows the recovery put in front go again; rows recorded meanwhile (or filled into
// a blank recovered row) stay, numbered from 1.
void RemoveRecovered(TSortGrid& grid, const JournalRows& recovered) {
    std::vector<std::vector<std::string>> rows;
    RowMarks marks;
    for (int r = 1; r < grid.RowCount(); ++r) {
        const std::size_t k = static_cast<std::size_t>(r) - 1;
        std::vector<std::string> row = RowOf(grid, r);
        if ((k < recovered.size() && row == recovered[k]) || grid.IsBlankRow(r)) {
            continue;
        }
        row[0] = std::to_string(rows.size() + 1) + ".";
        rows.push_back(std::move(row));
        marks.push_back(RowMarkOf(grid, r));
    }
    if (rows.empty()) {
        rows.emplace_back(static_cast<std::size_t>(grid.ColCount()));
        marks.push_back(kRowUnmarked);
    }
    AssignNumbered(grid, std::move(rows), marks);
}

// Rows with a time (column 1).
int TimesIn(const JournalRows& rows) {
    return static_cast<int>(std::count_if(rows.begin(), rows.end(),
                                          [](const auto& row) { return row.size() > 1 && !IsBlankText(row[1]); }));
}

// "11.05.2024" and "09:31" of a stamp "2024-05-11 09:31:02.345"; empty when it is not one.
std::string DateOf(const std::string& stamp) {
    return stamp.size() >= 16 ? stamp.substr(8, 2) + '.' + stamp.substr(5, 2) + '.' + stamp.substr(0, 4)
                              : std::string();
}
std::string MinuteOf(const std::string& stamp) {
    return stamp.size() >= 16 ? stamp.substr(11, 5) : std::string();
}

std::string DamageCount(int damaged) {
    return std::to_string(damaged) +
           (damaged == 1 ? " beschädigte Zeile übersprungen" : " beschädigte Zeilen übersprungen");
}

} // namespace

std::string RecoveryQuestion(const JournalSession& session) {
    std::string text = "Zeiten der letzten Sitzung wiederherstellen?\n\nSitzung";
    if (!DateOf(session.firstStamp).empty()) {
        text += " vom " + DateOf(session.firstStamp) + ", " + MinuteOf(session.firstStamp);
        if (!MinuteOf(session.lastStamp).empty()) {
            text += "–";
            if (DateOf(session.lastStamp) != DateOf(session.firstStamp)) {
                text += DateOf(session.lastStamp) + ", "; // a session over midnight
            }
            text += MinuteOf(session.lastStamp);
        }
    }
    text += ": " + std::to_string(TimesIn(session.startTimes())) + " Startzeiten, " +
            std::to_string(TimesIn(session.stopTimes())) + " Stoppzeiten";
    if (session.ended) {
        text += "\nDie Sitzung wurde beendet, ihre Zeiten aber nicht gespeichert.";
    }
    if (session.damaged > 0) {
        text += "\n\n" + DamageCount(session.damaged) + ":";
        for (std::size_t k = 0; k < session.damage.size() && k < kDamageShown; ++k) {
            text += "\n" + session.damage[k];
        }
        if (session.damaged > static_cast<int>(kDamageShown)) {
            text += "\n…";
        }
    }
    return text;
}

void Registrations::AttachJournal(JournalWriter& writer, JournalClock& clock) {
    journal = std::make_unique<Journal>(writer, clock, SortGrid2, SortGrid3, host_.ApplicationTitle());
    journal->onWriting = [this](bool writing) { JournalWritten(writing); };
    journal->holdsNow = [this] {
        std::vector<JournalHold> now;
        const auto text = [this](std::int64_t ms) {
            return FormatClock(static_cast<double>(ms) / 86'400'000.0, ClockForm::HhNnSsZ, locale_);
        };
        for (const Hold& hold : results_.Holds.All()) {
            now.push_back(
                {hold.number, text(hold.stop), hold.restart ? text(*hold.restart) : std::string(), hold.reason});
        }
        return now;
    };
    journal->statusesNow = [this] {
        std::map<std::string, std::string> now;
        for (const auto& [number, status] : results_.Statuses.All()) {
            now.emplace(number, StatusWord(status));
        }
        return now;
    };
    JournalScan scan = ScanJournalFiles(writer.ReadAll());
    journal->SetNextSequence(scan.nextSequence);
    if (!scan.unreadable.empty()) {
        journalUnreadable_ = "Journal nicht lesbar: " + scan.unreadable.front();
        journalDamage_ = journalUnreadable_;
    }
    if (scan.newest && (!scan.newest->ended || scan.newest->unsaved) && !scan.newest->ListsEmpty()) {
        // The times are in the lists at once, and what is taken while the question is open is
        // journaled as part of that session.
        lastSession_ = std::move(scan.newest);
        Rebuild(SortGrid2, lastSession_->startTimes(), lastSession_->marks[0]);
        Rebuild(SortGrid3, lastSession_->stopTimes(), lastSession_->marks[1]);
        std::vector<ClockStep>& steps = results_.ClockSteps;
        steps.insert(steps.begin(), lastSession_->clockSteps.begin(), lastSession_->clockSteps.end());
        for (const auto& [number, word] : lastSession_->statuses) {
            if (const std::optional<RideStatus> status = StatusFromWord(word)) {
                results_.Statuses.Set(number, *status);
            }
        }
        results_.Holds.Assign(HoldsOf(lastSession_->holds, locale_));
        journal->ContinueSession(*lastSession_, scan.newestDay);
    } else {
        journal->BeginSession();
    }
    UpdateJournalNotice();
}

bool Registrations::RecoverLastSession() {
    if (!journalUnreadable_.empty()) {
        host_.ShowMessage(journalUnreadable_);
    }
    if (!journal || !lastSession_) {
        return false;
    }
    const JournalSession last = std::move(*lastSession_);
    if (last.damaged > 0) {
        journalDamage_ = "Journal: " + DamageCount(last.damaged);
        UpdateJournalNotice();
    }
    // Until the answer, lastSession_ stays set: the crashed session's selection is not overwritten.
    const bool yes = host_.AskYesNo(RecoveryQuestion(last));
    lastSession_.reset();
    if (!yes) {
        RemoveRecovered(SortGrid2, last.startTimes());
        RemoveRecovered(SortGrid3, last.stopTimes());
        std::vector<ClockStep>& steps = results_.ClockSteps;
        steps.erase(steps.begin(),
                    steps.begin() + static_cast<std::ptrdiff_t>(std::min(steps.size(), last.clockSteps.size())));
        for (const auto& [number, word] : last.statuses) {
            if (StatusFromWord(word) == results_.Statuses.Of(number)) {
                results_.Statuses.Set(number, RideStatus::None); // unless changed meanwhile
            }
        }
        std::vector<Hold> kept; // the holds recorded meanwhile
        const std::vector<Hold> recovered = HoldsOf(last.holds, locale_);
        for (const Hold& hold : results_.Holds.All()) {
            if (std::find(recovered.begin(), recovered.end(), hold) == recovered.end()) {
                kept.push_back(hold);
            }
        }
        results_.Holds.Assign(std::move(kept));
        UpdateRemainingCounters();
        journal->BeginNewSession();
        JournalSelection();
        return false;
    }
    UpdateRemainingCounters();
    journal->BeginSession(true);
    SelectRider(RiderAfterRecovery(last.selected.value_or(std::string())));
    if (last.counterOn && *last.counterOn != CounterOn) {
        ImageStatusClick();
    }
    JournalSelection();
    return true;
}

int Registrations::RiderAfterRecovery(const std::string& number) const {
    const NumberList& cbNr = startList_.cbNr;
    const auto started = [this](const std::string& n) {
        for (int r = 1; r < SortGrid2.RowCount(); ++r) {
            if (SameStartNumber(SortGrid2.Cells(kStartNr, r), n) && !IsBlankText(SortGrid2.Cells(kStartTime, r))) {
                return true;
            }
        }
        return false;
    };
    const auto it = std::find(cbNr.Items.begin(), cbNr.Items.end(), number);
    const int from = number.empty() || it == cbNr.Items.end() ? 0 : static_cast<int>(it - cbNr.Items.begin());
    for (int k = from; k < cbNr.Count(); ++k) {
        if (!started(cbNr.Items[static_cast<std::size_t>(k)])) {
            return k;
        }
    }
    for (int k = 0; k < from; ++k) {
        if (!started(cbNr.Items[static_cast<std::size_t>(k)])) {
            return k;
        }
    }
    return -1;
}

void Registrations::JournalSelection() {
    if (journal && !lastSession_) { // while the question is open the crashed session's choice stays
        journal->Selection(startList_.cbNr.Text(), CounterOn);
    }
}

void Registrations::JournalSaved(bool results, const std::string& fileName) {
    if (journal) {
        journal->Saved(results, fileName);
    }
}

void Registrations::JournalWritten(bool writing) {
    const std::string now = FormatClock(host_.CurrentTimeOfDay(), ClockForm::HhNnSs, locale_);
    if (!writing && journalFailedSince_.empty()) {
        journalFailedSince_ = now;
    } else if (writing && !journalFailedSince_.empty()) {
        journalInterrupted_ = "Journal war unterbrochen " + journalFailedSince_ + "–" + now;
        journalFailedSince_.clear();
    }
    UpdateJournalNotice();
}

void Registrations::RetryJournal(TimeOfDay now) {
    if (!journal || !journal->Failing()) {
        return;
    }
    const std::int64_t ms = ToMilliseconds(now);
    if (journalRetryAt_ < 0 || ms - journalRetryAt_ >= 1000 || ms < journalRetryAt_) {
        journalRetryAt_ = ms;
        journal->Retry();
    }
}

void Registrations::ContactPortLost(const std::string& notice) {
    portLostNotice_ = notice;
    UpdateJournalNotice();
}

void Registrations::UpdateJournalNotice() {
    JournalNoticeAlarm = !journalFailedSince_.empty() || !portLostNotice_.empty();
    JournalNotice = !journalFailedSince_.empty() ? std::string(kJournalNotWritten) : portLostNotice_;
    for (const std::string* notice : {&journalInterrupted_, &journalDamage_, &holdNotice_, &clockStepNotice_,
                                      &lateLockNotice_, &numbersTwice_, &secondStartNotice_, &sharedPlannedNotice_}) {
        if (JournalNotice.empty()) {
            JournalNotice = *notice;
        }
    }
}

void Registrations::JournalNoticeClick() {
    if (!journalFailedSince_.empty()) {
        return; // stays while writing fails
    }
    // The note shown goes, if it is one that stays until clicked; the others go with their cause.
    // (Numbers given twice: the marks in "Startliste" stay.)
    for (std::string* notice :
         {&journalInterrupted_, &journalDamage_, &clockStepNotice_, &numbersTwice_, &sharedPlannedNotice_}) {
        if (!notice->empty() && *notice == JournalNotice) {
            notice->clear();
            break;
        }
    }
    UpdateJournalNotice();
}

void Registrations::EndJournal() {
    if (journal) {
        journal->EndSession();
    }
}

void Registrations::SortGrid3EditCommitted(int row) {
    // Leaving the cell: a pause as typed ("90") is shown as it was read ("1:30,0"), and journaled so.
    RewritePause(row);
    if (journal) {
        journal->RowChanged(JournalEvent::Edit, JournalList::StopTimes, row);
    }
}

} // namespace vandoret
