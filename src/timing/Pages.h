// Pages: the page control of the main window (the shown tab and the commands that follow it) and
// the commands that act on the shown list or on all of them: open, save, clear, delete a line,
// the results web page. Also the tick, which drives the registrations and the start list watch.
#pragma once

#include <optional>
#include <string>

#include "base/Host.h"
#include "grid/ListColumns.h"
#include "grid/ListFormats.h"
#include "grid/SortGrid.h"
#include "lists/StartList.h"
#include "results/ResultsList.h"
#include "settings/Settings.h"
#include "timing/Registrations.h"

namespace vandoret {

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

class Pages {
public:
    // Every reference outlives the object. Sets up the sorting and messages of the five lists.
    Pages(Host& host, const Locale& locale, StartList& startList, Registrations& registrations, ResultsList& results);
    Pages(const Pages&) = delete;
    Pages& operator=(const Pages&) = delete;

    int ActiveTab = kTabStartList;
    CommandStates Commands;

    // The list of a tab (0..4).
    TSortGrid& Grid(int tab);
    const TSortGrid& Grid(int tab) const;

    // Timer1, every 100 ms: the clock panel and countdown, the start list watch (a list reloaded
    // while "Ergebnisse" is shown rebuilds and ranks the results, as choosing the tab does), the
    // journal's retry and the selection to the journal.
    void Timer1Timer();

    // The sort settings of the five lists as the form gives them (called by the constructor).
    void SetUpListSorting();
    // The tab change (ActiveTab is the new tab): results on tab 3, the eventing copy on tab 4,
    // then the enabled states of Commands, then the list scrolls back to its first column.
    void PageControl1Change();
    // The enabled states of Commands for the shown tab and lists (the tab change and every load
    // of the start list set them).
    void UpdateCommandStates();
    // OK of the settings dialog: the results and the "EZ-Pkt." of the stop list are rebuilt (and
    // ranked while "Ergebnisse" is shown), the changed cells journaled.
    void SettingsConfirmed();
    // The owner-drawn tabs: the colours of tabs 1 to 3; tabs 0 and 4 keep the page control's own.
    static std::optional<TabColors> PageControl1TabColors(int tab);
    // The cell formats of the lists ("Vielseitigkeit" keeps the defaults). The cells the results
    // cannot use as they stand (ListChecks) and the results rows without a place are coloured and
    // carry a tooltip.
    CellFormat SortGrid1GetCellFormat(int col, int row) const;
    CellFormat SortGrid2GetCellFormat(int col, int row) const;
    CellFormat SortGrid3GetCellFormat(int col, int row) const;
    CellFormat SortGrid4GetCellFormat(int col, int row) const;
    CellFormat GetCellFormat(int tab, int col, int row) const;

    // ---- Files (timing/PageFiles.cpp) -------------------------------------------------------------
    // Reads the named file into the start list (see StartList::Read), the registrations follow
    // the new list, and the file becomes the watched one (under its full name). Timer1 is off
    // while it runs; the command states follow the list however the load ends. Never throws,
    // shows no message.
    void LoadStartList(const std::string& fileName);
    void LoadStartList(const std::string& fileName, const std::string& path);
    // Writes the list of the shown tab ("Startliste"/"Startzeiten": the start list,
    // "Stoppzeiten"/"Ergebnisse": the results list; "Vielseitigkeit": nothing) as FormatListText
    // writes it. The file is replaced whole (ReplaceWholeFile): a save that fails leaves the old
    // file as it was and says "Liste nicht gespeichert: <fileName>" in a message box.
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
    // What Ctrl+O does once a file was chosen, for a file named from outside (the command line, a
    // later start): the same questions, the same clearing and loading under the full path. A
    // file that is not there is not opened: "Starterliste nicht gefunden: <name>".
    void OpenStartListFile(const std::string& chosen);
    // sbHTML / eH1 (tag 0): write the results page and open it; sbPrint / Druk1 / Drucker1
    // (tag 1): print it.
    void sbHTMLClick(int tag);

    // ---- Editing (timing/PageEditing.cpp) ---------------------------------------------------------
    // Ctrl+0: after "Markierte Zeile löschen?" is answered "Ja", deletes the current row of the
    // shown list (the only data row is blanked instead); "Ziel-Zeit" never shows a deleted
    // finish. On the start list the number list is rebuilt so that item k still belongs to row
    // k + 1. Does nothing on "Vielseitigkeit".
    void sbDelLineClick();
    // Ctrl+X: after "Protokoll überschreiben?" is answered "Ja" (not asked when hasSender is
    // false, as the open command calls it), clears the start list, the start times, the stop times
    // and the results (Registrations::ClearProtocol), and shows the tab "Startliste".
    void sbCLSClick(bool hasSender = true);

private:
    void WatchStartList();
    // Ctrl+O after the dialog: the questions, then the clearing and the load.
    void OpenChosenFile(const std::string& chosen);

    Host& host_;
    const Locale& locale_;
    StartList& startList_;
    Registrations& registrations_;
    ResultsList& results_;
};

} // namespace vandoret
