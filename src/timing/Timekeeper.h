// Timekeeper: the one owner of the program's state.
//
// It holds what the main window shows and what the operations change: the five lists, the rider
// number list, the clock panel texts, the switches and locks, the planned start, the start list
// watch and the settings record. Every operation of the window (keys, clicks, timer ticks, contact
// events) is a member function here with the name of its handler, so that a test can set the
// host's clock to 09:29:55.000 and call Timer1Timer() or mStartClick() without a window.
//
// Operations run on the user-interface thread only and read the host's clock once each.
// Each subsystem implements its operations in its own file; this header only gathers them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "contacts/Comms.h"
#include "journal/Journal.h"
#include "grid/ListFormats.h"
#include "grid/SortGrid.h"
#include "settings/Settings.h"
#include "timing/HandTimes.h"
#include "base/Host.h"
#include "base/TimeValues.h"

namespace vandoret {

// The drop-down list of start numbers: item k belongs to row k + 1 of the start list.
struct NumberList {
    std::vector<std::string> Items;
    int ItemIndex = -1; // -1 = no rider selected

    int Count() const { return static_cast<int>(Items.size()); }
    // The selected start number, empty when none is selected.
    std::string Text() const {
        return ItemIndex >= 0 && ItemIndex < Count() ? Items[static_cast<std::size_t>(ItemIndex)] : std::string();
    }
};

enum class TextColor { Default, Red, Lime };

// The two contact lock indicators.
enum class LockIndicator { Start, Stop };

// Tabs of the page control, in order; the index is the page index.
enum TabIndex : int { kTabStartList = 0, kTabStartTimes = 1, kTabStopTimes = 2, kTabResults = 3, kTabEventing = 4 };

// Enabled states of the commands that follow the active tab, as the form gives them at start.
struct CommandStates {
    bool sbSave = true;
    bool eS1 = true;
    bool sbCLS = true;
    bool sbDelLine = true;
    bool sbPrint = false;
    bool Drucker1 = false;
    bool Druk1 = false;
    bool sbHTML = false;
    bool eH1 = false;
};

class Timekeeper {
public:
    explicit Timekeeper(Host& host, Locale locale = {});
    Timekeeper(const Timekeeper&) = delete;
    Timekeeper& operator=(const Timekeeper&) = delete;

    Host& host() { return host_; }
    const Locale& locale() const { return locale_; }

    // ---- State the window draws -------------------------------------------------------------
    Settings settings;

    TSortGrid SortGrid1{6}; // "Startliste": Startzeit, St.Nr., Name, Pferd, Club, Ort
    TSortGrid SortGrid2{3}; // "Startzeiten": Kontakt-Nr., Startzeit, St.Nr.
    TSortGrid SortGrid3{6}; // "Stoppzeiten": Kontakt-Nr., Stoppzeit, St.Nr., Pausen, EZ-Pkt., F.-Pkt.
    TSortGrid SortGrid4{8}; // "Ergebnisse": Platz, St.Nr., Name, Pferd, Club, Ort, Zeit, Punkte
    TSortGrid SortGrid5{5}; // "Vielseitigkeit": St.Nr., Name, Pferd, Club, Ort
    // The list of a tab (0..4).
    TSortGrid& Grid(int tab);

    NumberList cbNr;

    // Clock panel.
    std::string StaticText1;                  // "PC-Zeit:" hh:nn:ss
    std::string TextStartTime = "00:00:00";   // "Start:" planned start of the selected rider
    TextColor TextStartTimeColor = TextColor::Default;
    std::string TextCounterTime = "00:00";    // "Counter:"
    std::string TextStopTime{kNoFinishTime};  // "Ziel-Zeit:"
    std::string Edit1;                        // name of the selected rider
    std::string LabOstalosStart = "0";        // riders still to start
    std::string LabOstalosStop = "0";         // riders on the course

    // Switches and locks; each is also the picture index of its indicator (0 or 1).
    bool CounterOn = false;
    bool StartContactFree = false;
    bool FinishContactFree = false;

    TimeOfDay PlannedStart = -1.0;            // planned start of the selected rider; < 0: none
    std::int32_t StartListStamp = -1;         // DOS stamp of the start list file last loaded; -1: none
    std::string WindowCaption = "Vandoret";   // main window caption

    std::string ReadySoundFile, StartSoundFile, FinishSoundFile;

    int ActiveTab = kTabStartList;
    CommandStates Commands;

    // ---- Timing: tick, countdown, registrations, signals ------------------------------------
    void Timer1Timer();
    void Timer5sekTimer();
    void ShiftStartTimes(); // pop-up "Die Startzeit verschieben"
    void RegisterStart();
    void mStartClick() { RegisterStart(); }
    void RegisterFinish();
    void mStopClick() { RegisterFinish(); }
    void cbNrChange();
    // The operator picks a rider in the number list (index -1 clears the selection).
    void SelectRider(int index);
    int FindNextPlannedStart();

    void LoadSoundFiles();
    void PlaySoundFile(const std::string& path);
    void UpdateRemainingCounters();
    // The two counters of UpdateRemainingCounters alone (riders still to start, riders on the
    // course), as a load sets them once starts exist; switches and the finish display stay.
    struct RemainingCounts {
        int toStart = 0;
        int onCourse = 0;
    };
    RemainingCounts SetRemainingCounters();
    // Starts recorded in the start times list (its one blank slot counts none).
    int RecordedStarts() const;
    void ImageStatusClick();
    void ImageSoundClick();
    void ImageLSClick(LockIndicator which);
    void LockLSstart1Click() { ImageLSClick(LockIndicator::Start); }
    void LockLSstop1Click() { ImageLSClick(LockIndicator::Stop); }

    // The "AutoStart" box of the clock panel; unticked, starts move the selection but record nothing.
    bool cbAutoStart() const { return settings.AutoStart; }
    // Picture indices of the indicators (0 or 1), as the window shows them.
    int ImageStatusPicture() const { return CounterOn ? 1 : 0; }
    int ImageOnSoundPicture() const { return settings.Sound ? 1 : 0; }
    int ImageLSPicture(LockIndicator which) const {
        return (which == LockIndicator::Start ? StartContactFree : FinishContactFree) ? 1 : 0;
    }
    // Counts every change of a switch or lock, so the window knows when to repaint the indicators.
    std::uint64_t IndicatorRevision = 0;

private:
    // The file watch of the tick. It compares the watched file's stamp, full-resolution time and
    // size with those of the last load; once a change has stayed the same for one tick (so a file
    // caught while being written is not read half) the start list is loaded again. The first look
    // of the run loads at once, so start-up shows the list after its one tick. A reload while the
    // tab "Ergebnisse" is shown rebuilds and ranks the results, as choosing the tab does.
    void WatchStartList();
    FileSignature watchLoaded_;                 // the file as last loaded ({-1,0,0}: none)
    std::optional<FileSignature> watchPending_; // a change seen, waiting to stay the same a tick
    bool watchLooked_ = false;

public:
    // ---- Hand times (timing/HandTimes.cpp; the rules in timing/HandTimes.h) --------------------
    // F7: a new entry at the host's clock; a start on the tabs "Startliste" and "Startzeiten",
    // else a finish.
    HandTimeEntry NewHandTime();
    // Shift+F7: the current row of the start times or stop times list, when it holds a time;
    // nothing on the other tabs.
    std::optional<HandTimeEntry> CorrectHandTime();
    // OK of the dialog: checks the entry and, when it is sound, writes it.
    HandTimeResult ApplyHandTime(const HandTimeEntry& entry);

    // ---- Start list and protocol files --------------------------------------------------------
    // The start list's name as stored (BaseName) and shown in the caption, e.g. "Starterliste.txt".
    const std::string& StartListFileName() const { return settings.BaseName; }
    // The file the watch asks and loads: StartListFileName resolved once against the folder the
    // program started in, or the full name of a file loaded since. The open and save dialogs
    // change the current directory; the watched file stays where it was.
    std::string StartListWatchPath;
    // Resolves a relative StartListFileName against the current directory into StartListWatchPath
    // (an empty name stays empty). Done once, when the settings have been read at start-up; the
    // first tick does it if nobody did before.
    void ResolveStartListPath();
    // Reads the named file (Windows-1252 or UTF-8, TAB or ";" separated, quoted or not) into the
    // start list, refreshes the number list keeping the selected start number, and makes the file
    // the watched one (under its full name). The count of riders still to start is the list's
    // length, or once starts exist both counters as a registration leaves them. Timer1 is off while it runs. A file that cannot be opened (missing, a folder or
    // device, no access) leaves the start list emptied and changes nothing else. Never throws,
    // shows no message.
    void LoadStartList(const std::string& fileName);
    // Fills the number list with column 1 of the start list's data rows, keeping the selected
    // start number if it is still there, else the selected position (nothing when beyond the end).
    void RefreshNumberList();
    // Writes the list of the shown tab ("Startliste"/"Startzeiten": the start list,
    // "Stoppzeiten"/"Ergebnisse": the results list; "Vielseitigkeit": nothing) as FormatListText
    // writes it (Windows-1252, UTF-8 for a list that Windows-1252 cannot hold), every cell followed
    // by a TAB, an empty cell as " ", CR LF after every row. The file is
    // replaced whole (ReplaceWholeFile): a save that fails leaves the old file as it was and
    // says "Liste nicht gespeichert: <fileName>" in a message box.
    void SaveListText(const std::string& fileName);
    // Ctrl+S: the save dialog, then SaveListText. A name without extension gets ".txt"; the
    // current directory becomes the folder of the chosen file. Does nothing while the save
    // command is disabled or on the tab "Vielseitigkeit".
    void sbSaveClick();
    // Ctrl+O: the open dialog; if recorded start or stop times exist, "Protokoll überschreiben?"
    // must be answered "Ja". Then all lists are cleared, the file is loaded under its full path
    // and becomes the watched one, and the next planned rider is selected; a list of more than one
    // rider switches the countdown on again, as at start-up. The current directory becomes the
    // folder of the chosen file.
    void sbLoadClick();

    // Stop time list editing. The editable columns of SortGrid3 are 2 (St.Nr.), 3 (Pausen) and
    // 5 (F.-Pkt.). In CellEditing mode the window lets the operator edit the current cell
    // (SortGrid3.Row(), SortGrid3Col); in Row mode it shows whole-row selection and no editor.
    enum class StopListMode { Row, CellEditing };
    StopListMode SortGrid3Mode = StopListMode::Row;
    // Current column of the stop list; the grid keeps the current row. In Row mode it is the cell
    // a typed character goes into when it is editable: "St.Nr." from the start and after a finish.
    int SortGrid3Col = 2;
    // The window opened the stop list's cell editor. A finish taken while it is open leaves the
    // current cell, the left column and the selection alone, so the half-typed text stays where it
    // is; the finish's row becomes current when the editor is closed by Enter or Esc.
    void SortGrid3EditOpened();
    // Enter or Esc closed the cell editor, after SortGrid3KeyPress handled the key.
    void SortGrid3EditEnded();

    // The operator moves to cell (col, row) of the stop list by mouse or keyboard. Returns true
    // when the move is allowed (an editable column: cell-editing mode, that cell becomes the
    // current one). Otherwise refuses it (false): row mode, the whole row is selected and the
    // current cell is its last column.
    bool SortGrid3SelectCell(int col, int row);
    // Every character key typed in the stop list or its cell editor, before the window acts on
    // it. The window keeps the grid cell in step with its editor's text as the operator types.
    // Returns the key the window should go on with; 0 means the key was consumed or discarded.
    //  - Outside the columns 2, 3, 5 every key comes back unchanged. (After a whole-row
    //    selection the current column is 5, so keys are filtered there too.)
    //  - Esc (27): row mode, the whole current row selected; returns 0.
    //  - Enter (13): in "St.Nr." a number typed over another one (the cell's text when it was
    //    selected) must be confirmed: "Nummer <alt> durch <neu> ersetzen?"; "Nein" puts the old
    //    number back. The number is looked up in the start times list: no start gives "!" in
    //    "Pausen", a start recomputes the results. Then the current cell moves one row down
    //    unless it is in the last row. Returns 0.
    //  - Backspace (8), '0'..'9', ':' and the locale's decimal separator come back unchanged;
    //    every other character gives 0.
    char32_t SortGrid3KeyPress(char32_t key);
private:
    bool KeepTypedNumber(int row); // Enter in "St.Nr.": the typed number replaces the old one
    std::pair<int, std::string> numberBeforeEdit_{0, {}}; // row and "St.Nr." when it was selected

public:
    // Ctrl+0: after "Markierte Zeile löschen?" is answered "Ja", deletes the current row of the
    // shown list (the only data row is blanked instead); "Ziel-Zeit" never shows a deleted finish. On the start list the number list is
    // rebuilt so that item k still belongs to row k + 1. Does nothing on "Vielseitigkeit".
    void sbDelLineClick();
    // "Ziel-Zeit" after a stop row went: the finish shown while it is still in the list, else the
    // last finish left, else kNoFinishTime.
    void ShowRemainingFinish();
    // Ctrl+X: after "Protokoll überschreiben?" is answered "Ja" (not asked when hasSender is
    // false, as the open command calls it), clears the start list, the start times, the stop times
    // and the results, the number list and the name field, and shows the tab "Startliste". As
    // after the last rider's start the countdown goes off and a pending automatic start is
    // cancelled; the planned start is forgotten.
    void sbCLSClick(bool hasSender = true);

    // ---- Results and list formats ------------------------------------------------------------
    // The sort settings of the five lists as the form gives them (called by the constructor).
    void SetUpListSorting();
    // Rebuilds SortGrid4 from the start list, start times and stop times; writes "EZ-Pkt.".
    void BuildResults();
    // Sorts SortGrid4 on the results sort column (SortGrid1's SortCol) and writes the places.
    void RankResults();
    // The results as BuildResults and RankResults would give them now, built and ranked on copies:
    // SortGrid4 and the "EZ-Pkt." cells of SortGrid3 stay as they are (the live pages use it).
    TSortGrid RankedResultsCopy() const;
    // OnGetSortStyle of SortGrid4.
    void SortGrid4GetSortStyle(TSortGrid& sender, int col, TSortStyle& style);
    // The tab change (ActiveTab is the new tab): results on tab 3, the eventing copy on tab 4,
    // then the enabled states of Commands, then the list scrolls back to its first column.
    void PageControl1Change();
    // OK of the settings dialog: the results and the "EZ-Pkt." of the stop list are rebuilt (and
    // ranked while "Ergebnisse" is shown), the changed cells journaled.
    void SettingsConfirmed();
    // The enabled states of Commands for the shown tab and lists (the tab change and every load
    // of the start list set them).
    void UpdateCommandStates();
    // The owner-drawn tabs: the colours of tabs 1 to 3; tabs 0 and 4 keep the page control's own.
    static std::optional<TabColors> PageControl1TabColors(int tab);
    // The cell formats of the start times and stop times lists; other lists keep the defaults.
    CellFormat SortGrid2GetCellFormat(int col, int row) const;
    CellFormat SortGrid3GetCellFormat(int col, int row) const;
    CellFormat GetCellFormat(int tab, int col, int row) const;
    // Writes the results web page, replacing the old one whole; a page that cannot be written
    // completely shows a message and leaves the old page as it was.
    void WriteResultsPage(const std::string& fileName);
    // The page's name: the program's file name with ".html", in the current directory.
    std::string ResultsPageName();
    // sbHTML / eH1 (tag 0): write the page and open it; sbPrint / Druk1 / Drucker1 (tag 1): print it.
    void sbHTMLClick(int tag);

    // ---- Contacts -----------------------------------------------------------------------------
    // The serial port "ComPort" with the main window's settings and handlers. The layer, the
    // dispatcher (hand-over to this thread) and the clock (read on the waiting thread, so it must
    // be safe there) must outlive the Timekeeper. Until it is attached there is no port.
    void AttachComPort(PortLayer& layer, UiDispatcher& dispatcher, std::function<TimeOfDay()> clock);
    // Handler of OnCTS, OnDSR and OnRLSD: decodes the lines and the moment the thread saw.
    void ComPortCTS(TComPort& sender);
    // The decoding of one modem status word seen at time `when` (levels, polarity, locks).
    void DecodeContacts(std::uint32_t status, TimeOfDay when);
    void ComPortOpen(TComPort& sender);
    void ComPortClose(TComPort& sender);
    // Fills AvailablePorts with the port numbers 1..32 whose devices can be opened now.
    void ListComPorts(PortLayer& layer);
    // Start-up: opens the port settings.Port; a failure sets settings.Port to 0 silently.
    void OpenConfiguredPort();
    // The settings dialog was confirmed with port `port` (0 = "Kein"): close, wait 50 ms, open;
    // failures are silent and settings.Port keeps the choice.
    void ChangeComPort(std::uint8_t port);
    // The entries of the dialog's port list: "Kein", then "COM" + n for each available port.
    std::vector<std::string> ComPortChoices() const;

    // Starts and finishes taken by a contact record the moment of the line change: these run
    // mStartClick / mStopClick with ClockNow() answering `when` instead of the host's clock.
    void RegisterStartAt(TimeOfDay when);
    void RegisterFinishAt(TimeOfDay when);
    // The time of day a registration records: the contact's moment while one is being taken,
    // else the host's clock. RegisterStart and RegisterFinish read their time through this.
    TimeOfDay ClockNow();
    std::optional<TimeOfDay> ContactEventTime;

    // ---- Journal (journal/Recovery.cpp) --------------------------------------------------------
    // Starts journaling the start times and stop times lists through `writer`, stamped by
    // `clock` (both outlive the Timekeeper), and reads every journal file for the newest session.
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
    // The window closed the cell editor of the stop list (Enter, Esc, arrow key, focus loss).
    void SortGrid3EditCommitted(int row);
    // A list was saved: the results (tabs "Stoppzeiten", "Ergebnisse") or the start list.
    void JournalSaved(bool results, const std::string& fileName);
    // The selected start number and the countdown switch to the journal, when they changed (the
    // tick and the countdown switch call it, so a start's own write stays one write).
    void JournalSelection();
    // The tick: a journal that cannot write is tried again, at most once a second.
    void RetryJournal(TimeOfDay now);
    // The middle panel of the status bar, most urgent first: the journal cannot write (alarm,
    // until it writes again), "Journal war unterbrochen <von>–<bis>", a journal that could not be
    // read or damaged lines skipped; each of the last two stays until clicked (JournalNoticeClick).
    std::string JournalNotice;
    bool JournalNoticeAlarm = false;
    void JournalNoticeClick();
    std::unique_ptr<Journal> journal;

    std::uint32_t LastModemStatus = 0x55555555; // matches no real status word
    std::set<int> AvailablePorts;
    bool ImageLSstartVisible = false; // the lock indicators show only while the port is open
    bool ImageLSstopVisible = false;
    std::unique_ptr<TComPort> ComPort; // last member: closed before the state it reports into

private:
    // LoadStartList reading `path`; a successful load names the list `fileName` and watches `path`.
    void LoadStartList(const std::string& fileName, const std::string& path);
    // A finish's row becomes current: the whole row selected, "St.Nr." ready for typing.
    void ShowFinishRow(int row);
    bool stopEditorOpen_ = false;
    int finishWaiting_ = 0; // the row of a finish taken while the stop list editor was open

    Host& host_;
    Locale locale_;
    std::optional<JournalSession> lastSession_; // the session RecoverLastSession offers
    void JournalWritten(bool writing);
    void UpdateJournalNotice();
    std::string journalFailedSince_;   // hh:mm:ss of the first failed write; empty while writing
    std::string journalInterrupted_;   // "Journal war unterbrochen ..." until clicked
    std::string journalDamage_;        // unreadable file or damaged lines, until clicked
    std::string journalUnreadable_;    // said once more when the window is up
    std::int64_t journalRetryAt_ = -1; // ms of the day of the last retry
};

// The question that offers a session: what it holds (date, time span, starts and finishes),
// whether it had ended unsaved, and the damaged lines skipped.
std::string RecoveryQuestion(const JournalSession& session);

} // namespace vandoret
