// Registrations: the start times and stop times lists and everything that records into them.
//
// Starts (F4, the start contact, the automatic start), finishes (F8, the light barrier), hand
// times (F7), the stop list's cell editing, the clock panel with its countdown, the counters, the
// switches and contact locks, and the journal that keeps every recorded time. It reads the start
// list for the selected rider and rebuilds the results after a change that moves them.
//
// Operations run on the user-interface thread only and read the host's clock once each.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "base/Host.h"
#include "base/TimeValues.h"
#include "contacts/Contacts.h"
#include "grid/ListColumns.h"
#include "grid/SortGrid.h"
#include "journal/Journal.h"
#include "lists/StartList.h"
#include "results/ResultsList.h"
#include "settings/Settings.h"
#include "timing/HandTimes.h"
#include "timing/Holds.h"

namespace vandoret {

enum class TextColor { Default, Red, Lime };

// The two contact lock indicators.
enum class LockIndicator { Start, Stop };

class Registrations : public ContactSink {
public:
    // Every reference outlives the object. `results` is only used once the object is made.
    Registrations(Host& host, Settings& settings, const Locale& locale, StartList& startList, ResultsList& results);
    Registrations(const Registrations&) = delete;
    Registrations& operator=(const Registrations&) = delete;

    TSortGrid SortGrid2{3}; // "Startzeiten": Kontakt-Nr., Startzeit, St.Nr.
    TSortGrid SortGrid3{6}; // "Stoppzeiten": Kontakt-Nr., Stoppzeit, St.Nr., Pausen, EZ-Pkt., F.-Pkt.

    // Clock panel.
    std::string StaticText1;                // "PC-Zeit:" hh:nn:ss
    std::string TextStartTime = "00:00:00"; // "Start:" planned start of the selected rider
    TextColor TextStartTimeColor = TextColor::Default;
    std::string TextCounterTime = "00:00";   // "Counter:"
    std::string TextStopTime{kNoFinishTime}; // "Ziel-Zeit:"
    std::string Edit1;                       // name of the selected rider
    std::string LabOstalosStart = "0";       // riders still to start
    std::string LabOstalosStop = "0";        // riders on the course

    // Switches and locks; each is also the picture index of its indicator (0 or 1).
    bool CounterOn = false;
    bool StartContactFree = false;
    bool FinishContactFree = false;
    // Counts every change of a switch or lock, so the window knows when to repaint the indicators.
    std::uint64_t IndicatorRevision = 0;

    TimeOfDay PlannedStart = -1.0; // planned start of the selected rider; < 0: none
    std::string ReadySoundFile, StartSoundFile, FinishSoundFile;

    // ---- The tick, the countdown, starts and finishes ------------------------------------------
    // The clock and the countdown of the tick at `now`: the ready signal 5 s before the planned
    // start (freeing the start lock), the automatic start's 5 s timer at 0.
    void Tick(TimeOfDay now);
    void Timer5sekTimer();
    void ShiftStartTimes(); // pop-up "Die Startzeit verschieben"
    void RegisterStart();
    void RegisterFinish();
    void cbNrChange();
    // The operator picks a rider in the number list (index -1 clears the selection).
    void SelectRider(int index);
    // A start list was read whole: the clock panel follows the selection; the count of riders
    // still to start is the list's length, or once starts exist both counters as a start leaves them.
    // Numbers given twice in the list are named in the status bar. A pending automatic start is
    // cancelled when its rider is no longer selected or the rider's planned start changed; riders
    // sharing a planned start are named in the status bar.
    void ListLoaded();
    // Ctrl+X after the question: the start and stop times, the number list and the name field are
    // cleared; as after the last rider's start the countdown goes off and a pending automatic start
    // is cancelled; the planned start is forgotten and both counters show "0". The clock steps
    // seen and the note on shared planned starts go with the lists.
    void ClearProtocol();

    void LoadSoundFiles();
    void PlaySoundFile(const std::string& path);
    void UpdateRemainingCounters();
    // The two counters of UpdateRemainingCounters alone (riders still to start, riders on the
    // course), as a load sets them once starts exist; switches and the finish display stay. They
    // count riders: to start, the start list's riders without a start row; on the course, the
    // numbers with a start row (each start without a number one more) less the finish rows;
    // empty when negative. A rider with a status counts in neither (one that retired on the
    // course has no finish row).
    struct RemainingCounts {
        int toStart = 0;
        int onCourse = 0;
    };
    RemainingCounts SetRemainingCounters();
    // Starts recorded in the start times list (its one blank slot counts none).
    int RecordedStarts() const;
    void ImageStatusClick(); // the countdown switch (Ctrl+C); switching it off cancels a pending automatic start
    void ImageSoundClick();
    void ImageLSClick(LockIndicator which);
    // The "AutoStart" box of the clock panel; unticked, starts move the selection but record nothing.
    bool cbAutoStart() const { return settings_.AutoStart; }
    int ImageStatusPicture() const { return CounterOn ? 1 : 0; }
    int ImageOnSoundPicture() const { return settings_.Sound ? 1 : 0; }
    int ImageLSPicture(LockIndicator which) const {
        return (which == LockIndicator::Start ? StartContactFree : FinishContactFree) ? 1 : 0;
    }

    // ---- Hand times (the rules in timing/HandTimes.h) -------------------------------------------
    // F7: a new entry at the host's clock; a start on the tabs "Startliste" and "Startzeiten"
    // (`tab`), else a finish.
    HandTimeEntry NewHandTime(int tab);
    // Shift+F7: the current row of the start times or stop times list, when it holds a time;
    // nothing on the other tabs.
    std::optional<HandTimeEntry> CorrectHandTime(int tab);
    // OK of the dialog: checks the entry and, when it is sound, writes it; the results are ranked
    // too while they are shown.
    HandTimeResult ApplyHandTime(const HandTimeEntry& entry, bool resultsShown);

    // ---- Editing the stop list (timing/StopListEditing.cpp) -------------------------------------
    // The editable columns of SortGrid3 are "St.Nr.", "Pausen" and "F.-Pkt.". In CellEditing mode
    // the window lets the operator edit the current cell (SortGrid3.Row(), SortGrid3Col); in Row
    // mode it shows whole-row selection and no editor.
    enum class StopListMode { Row, CellEditing };
    StopListMode SortGrid3Mode = StopListMode::Row;
    // Current column of the stop list; the grid keeps the current row. In Row mode it is the cell
    // a typed character goes into when it is editable: "St.Nr." from the start and after a finish.
    int SortGrid3Col = kStopNr;
    // The window opened the stop list's cell editor. A finish taken while it is open leaves the
    // current cell, the left column and the selection alone, so the half-typed text stays where it
    // is; the finish's row becomes current when the editor is closed by Enter or Esc.
    void SortGrid3EditOpened();
    // Enter or Esc closed the cell editor, after SortGrid3KeyPress handled the key.
    void SortGrid3EditEnded();
    // The window closed the cell editor of the stop list (Enter, Esc, arrow key, focus loss): a
    // readable pause is rewritten in the list's form (RewritePause) and the row journaled.
    void SortGrid3EditCommitted(int row);
    // The operator moves to cell (col, row) of the stop list by mouse or keyboard. Returns true
    // when the move is allowed (an editable column: cell-editing mode, that cell becomes the
    // current one). Otherwise refuses it (false): row mode, the whole row is selected and the
    // current cell is its last column.
    bool SortGrid3SelectCell(int col, int row);
    // Every character key typed in the stop list or its cell editor, before the window acts on
    // it. The window keeps the grid cell in step with its editor's text as the operator types.
    // Returns the key the window should go on with; 0 means the key was consumed or discarded.
    //  - Outside the editable columns every key comes back unchanged. (After a whole-row
    //    selection the current column is the last, so keys are filtered there too.)
    //  - Esc (27): row mode, the whole current row selected; returns 0.
    //  - Enter (13): in "St.Nr." a number typed over another one (the cell's text when it was
    //    selected) must be confirmed: "Nummer <alt> durch <neu> ersetzen?"; "Nein" puts the old
    //    number back; so does "Nein" to "Nummer <n> hat schon eine Zielzeit — trotzdem?" when
    //    another stop row holds the number. The number is looked up (SameStartNumber) in the
    //    start times list: no start gives "!" in
    //    "Pausen", a start recomputes the results. Then the current cell moves one row down
    //    unless it is in the last row. Returns 0.
    //  - Backspace (8), '0'..'9', ':' and the locale's decimal separator come back unchanged;
    //    every other character gives 0.
    char32_t SortGrid3KeyPress(char32_t key);
    // "Ziel-Zeit" after a stop row went: the finish shown while it is still in the list, else the
    // last finish left, else kNoFinishTime.
    void ShowRemainingFinish();

    // ---- Contacts ---------------------------------------------------------------------------------
    // Starts and finishes taken by a contact record the moment of the line change: these run
    // RegisterStart / RegisterFinish with ClockNow() answering `when` instead of the host's clock.
    void RegisterStartAt(TimeOfDay when);
    void RegisterFinishAt(TimeOfDay when);
    // The time of day a registration records: the contact's moment while one is being taken,
    // else the host's clock.
    TimeOfDay ClockNow();
    std::optional<TimeOfDay> ContactEventTime;

    bool StartContactIsFree() const override { return StartContactFree; }
    bool FinishContactIsFree() const override { return FinishContactFree; }
    void ContactStart(TimeOfDay when) override { RegisterStartAt(when); }
    void ContactFinish(TimeOfDay when) override { RegisterFinishAt(when); }
    void ContactRelease() override { ImageLSClick(LockIndicator::Start); }
    void ContactLinesChanged(TimeOfDay when, bool dsr, bool cts, bool rlsd) override;
    void ContactPortShown() override { ++IndicatorRevision; }
    void ContactPortLost(const std::string& notice) override;

    // ---- Journal (timing/Recovery.cpp) ------------------------------------------------------------
    // Starts journaling the start times and stop times lists through `writer`, stamped by
    // `clock` (both outlive the object), and reads every journal file for the newest session.
    // When that one has no "Sitzungsende" (or ended with times changed after the last save of the
    // results) and its lists are not empty, its rows are put into the lists at once and the
    // journal goes on with that session, so times taken before the question is answered belong
    // to it. Otherwise the new session begins at once.
    void AttachJournal(JournalWriter& writer, JournalClock& clock);
    // Start-up, once all dialogs exist: names a journal file that could not be read; then, when
    // AttachJournal found a session to offer, asks RecoveryQuestion. "Ja" keeps the rows (rows
    // recorded meanwhile follow them), the counters, the countdown switch, and selects the rider
    // selected at the crash, or when that one has started, the next one without a start.
    // "Nein" takes the recovered rows out again and begins a new session with the rows recorded
    // meanwhile. Returns true when the times were kept.
    bool RecoverLastSession();
    // The index in the number list of `number`, or of the next rider after it in list order
    // without a start (from the top when `number` is not in the list); -1 when all have started.
    int RiderAfterRecovery(const std::string& number) const;
    // Clean shut-down: the session-end line.
    void EndJournal();
    // A list was saved: the results (tabs "Stoppzeiten", "Ergebnisse") or the start list.
    void JournalSaved(bool results, const std::string& fileName);
    // The selected start number and the countdown switch to the journal, when they changed (the
    // tick and the countdown switch call it, so a start's own write stays one write).
    void JournalSelection();
    // The tick: a journal that cannot write is tried again, at most once a second.
    void RetryJournal(TimeOfDay now);
    // The middle panel of the status bar, most urgent first: the journal cannot write (alarm,
    // until it writes again), the contacts' USB adapter went away (alarm, until it is back or
    // another port is chosen), "Journal war unterbrochen <von>–<bis>", a journal that could not be
    // read or damaged lines skipped; each of the last two stays until clicked (JournalNoticeClick).
    // Below the journal's notes follow, in this order: a step of the wall clock (until clicked),
    // "Start-Kontakt gesperrt – F11 gibt frei" while a rider whose planned start has passed is
    // selected and the start contact is locked, numbers given twice in the start list just loaded
    // (until clicked), a number with two start rows, and riders sharing a planned start (from the
    // load of the list until clicked).
    std::string JournalNotice;
    bool JournalNoticeAlarm = false;
    void JournalNoticeClick();

    // ---- Clock steps and the other warnings (timing/Warnings.cpp) ---------------------------------
    // The tick: a jump of the wall clock against the host's steady clock of 0,5 s or more is a
    // step: journaled, given to the results (rides across it are measured without it and noted
    // "Uhr") and warned of.
    void WatchClock(TimeOfDay now);
    void ClockStepped(const ClockStep& step);
    // The warnings that follow the lists and the clock panel at `now` (the tick, every start).
    void UpdateWarnings(TimeOfDay now);
    // A start list was loaded: riders sharing a planned start are named.
    void FindSharedPlannedStarts();
    std::unique_ptr<Journal> journal;

    // ---- Statuses (timing/RideStatusEditing.cpp) --------------------------------------------------
    // The rider of row `row` of the list on tab `tab` ("Startliste", "Startzeiten", "Stoppzeiten"),
    // by its number; empty when the row holds none.
    std::string RiderOfRow(int tab, int row) const;
    // The operator gives the rider of a number a status ("A", "E", disqualified, "n.g."), or takes
    // it back (None): journaled, the results built again (and ranked while `resultsShown`). False
    // when the number is blank or nothing changed.
    bool SetRideStatus(const std::string& number, RideStatus status, bool resultsShown);
    RideStatus RideStatusOf(int tab, int row) const;

    // ---- Holds on the course (timing/HoldEditing.cpp, the rules in timing/Holds.h) -------------
    // F5 (restart false) and Shift+F5: the entry at the host's clock, with the rider on the course
    // (F5) or the rider held (Shift+F5) when there is exactly one.
    HoldEntry NewHold(bool restart);
    HoldResult ApplyHold(const HoldEntry& entry, bool resultsShown);
    // The "Weiter" entry for a rider still held whose number a finish row just got; once.
    std::optional<HoldEntry> TakeRestartWanted();
    // The tick: "Nr. 12 angehalten seit 2:15" while a hold is open.
    void UpdateHoldNotice(TimeOfDay now);

private:
    // A stop row got the rider's number: an empty "Pausen" takes the held time, and a hold still
    // open asks for "Weiter".
    void NumberAssigned(int row);
    // The number's held time changed from `before`: its stop rows follow where "Pausen" is empty
    // or still holds the program's value.
    void WriteHeldTime(const std::string& number, std::int64_t before);
    // The row a new start goes into: the last row while it is blank, else a new one; it becomes
    // the current row, numbered "n." in "Kontakt-Nr.". F4 and F7 share it.
    int NewStartRow();
    // The row a new finish goes into: the last row while its "Kontakt-Nr." is empty (whatever else
    // it holds), else a new one; blanked and numbered. F8 and F7 share it.
    int NewFinishRow();
    // On to the next rider in the number list: after the last one nothing is selected, and from
    // nothing the first rider is selected. The clock panel follows with cbNrChange.
    void NextRider();
    // A pending automatic start is cancelled.
    void CancelAutoStart();
    // A finish's row becomes current: the whole row selected, "St.Nr." ready for typing.
    void ShowFinishRow(int row);
    bool KeepTypedNumber(int row); // Enter in "St.Nr.": the typed number replaces the old one
    // Another stop row than `row` holding the same number (SameStartNumber); -1 when none.
    int OtherFinishRow(const std::string& number, int row) const;
    // "Nummer <n> hat schon eine Zielzeit — trotzdem?" when another stop row holds the number;
    // true when none does or the answer is "Ja".
    bool AskSecondFinish(const std::string& number, int row);
    // Enter in "St.Nr.": AskSecondFinish for a number that changed.
    bool ConfirmSecondFinish(int row);
    // A readable "Pausen" of the row in the list's form (90 -> "1:30,0"); false when it stays.
    bool RewritePause(int row);
    // Why the entry cannot be written (time, number, reason, order of start and finish), if so.
    std::optional<HandTimeResult> RefuseHandTime(const HandTimeEntry& entry, const std::string& number,
                                                 const std::string& reason, std::optional<TimeOfDay> time);
    // The row a correction changes: its own row while it still holds the old time and number,
    // else the first row that does; 0 when none.
    int CorrectedRow(const TSortGrid& grid, const HandTimeEntry& entry) const;
    // A number not in the start list, a start for a number that already has one, and a finish for
    // a number that has one, are only written after "Ja".
    bool ConfirmHandTimeNumber(const HandTimeEntry& entry, const std::string& number);
    // The row a new hand time goes into, made the current row.
    int NewHandTimeRow(bool start);
    // The results are built again, and ranked when `rank` (while they are shown).
    void RebuildResults(bool rank);
    // A new hand time's effects beyond its row: the selection moves on, a finish is shown.
    void AfterNewHandTime(bool start, int row, const std::string& text, const std::string& number);
    void JournalWritten(bool writing);
    void UpdateJournalNotice();

    Host& host_;
    Settings& settings_;
    const Locale& locale_;
    StartList& startList_;
    ResultsList& results_;

    std::pair<int, std::string> numberBeforeEdit_{0, {}}; // row and "St.Nr." when it was selected
    bool stopEditorOpen_ = false;
    int finishWaiting_ = 0; // the row of a finish taken while the stop list editor was open

    std::optional<JournalSession> lastSession_; // the session RecoverLastSession offers
    std::string journalFailedSince_;            // hh:mm:ss of the first failed write; empty while writing
    std::string journalInterrupted_;            // "Journal war unterbrochen ..." until clicked
    std::string journalDamage_;                 // unreadable file or damaged lines, until clicked
    std::string journalUnreadable_;             // said once more when the window is up
    std::string numbersTwice_;                  // numbers given twice in the loaded start list, until clicked
    std::int64_t journalRetryAt_ = -1;          // ms of the day of the last retry

    std::string armedNumber_; // the rider the pending automatic start belongs to, and its planned start
    TimeOfDay armedPlanned_ = -1.0;
    bool automaticStart_ = false; // RegisterStart runs for the automatic start
    bool clockSeen_ = false;      // the wall and steady clocks at the last tick
    std::int64_t lastWallMs_ = 0;
    std::int64_t lastSteadyMs_ = 0;
    std::string clockStepNotice_;     // until clicked
    std::string lateLockNotice_;      // while it holds
    std::string secondStartNotice_;   // while it holds
    std::string sharedPlannedNotice_; // from the load until clicked
    std::string portLostNotice_;      // while the adapter is away (alarm)
    std::string holdNotice_;          // while a hold is open
    std::optional<HoldEntry> restartWanted_;
};

// The question that offers a session: what it holds (date, time span, starts and finishes),
// whether it had ended unsaved, and the damaged lines skipped.
std::string RecoveryQuestion(const JournalSession& session);

} // namespace vandoret
