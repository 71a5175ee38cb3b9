// Timekeeper: the façade the main window calls.
//
// It owns the program's state, one object per subsystem, and keeps the handler names of the
// window (keys, clicks, timer ticks) as one-line forwards, so that a test can set the host's
// clock to 09:29:55.000 and call Timer1Timer() or mStartClick() without a window. What a handler
// does is documented where it is implemented:
//   startList      lists/StartList.h        the start list, the number list, the file watch
//   registrations  timing/Registrations.h   start and stop times, hand times, clock panel, journal
//   results        results/ResultsList.h    the results list
//   pages          timing/Pages.h           the shown tab and the commands on the lists
//   contacts       contacts/Contacts.h      the serial port and its contacts
// Operations run on the user-interface thread only.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "base/Host.h"
#include "base/TimeValues.h"
#include "contacts/Contacts.h"
#include "lists/StartList.h"
#include "results/ResultsList.h"
#include "settings/Settings.h"
#include "timing/Pages.h"
#include "timing/Registrations.h"

namespace vandoret {

class Timekeeper {
public:
    explicit Timekeeper(Host& host, Locale locale = {});
    Timekeeper(const Timekeeper&) = delete;
    Timekeeper& operator=(const Timekeeper&) = delete;

    Host& host() { return host_; }
    const Locale& locale() const { return locale_; }

private:
    // First, as the subsystems keep references to them.
    Host& host_;
    Locale locale_;

public:
    // The subsystems, in the order they are made; each is given the ones it needs.
    Settings settings;
    StartList startList{host_, settings, locale_};
    Registrations registrations{host_, settings, locale_, startList, results};
    ResultsList results{settings, locale_, startList.SortGrid1, registrations.SortGrid2, registrations.SortGrid3};
    Pages pages{host_, locale_, startList, registrations, results};
    Contacts contacts{settings, registrations}; // last: its port stops before what it reports into

    // ---- Timers and the clock panel -------------------------------------------------------------
    void Timer1Timer() {
        pages.Timer1Timer();
        contacts.ReopenLostPort();
    }
    void Timer5sekTimer() { registrations.Timer5sekTimer(); }
    void ShiftStartTimes() { registrations.ShiftStartTimes(); }
    void mStartClick() { registrations.RegisterStart(); }
    void mStopClick() { registrations.RegisterFinish(); }
    void cbNrChange() { registrations.cbNrChange(); }
    void SelectRider(int index) { registrations.SelectRider(index); }
    int FindNextPlannedStart() { return startList.FindNextPlannedStart(); }
    void ImageStatusClick() { registrations.ImageStatusClick(); }
    void ImageSoundClick() { registrations.ImageSoundClick(); }
    void LockLSstart1Click() { registrations.ImageLSClick(LockIndicator::Start); }
    void LockLSstop1Click() { registrations.ImageLSClick(LockIndicator::Stop); }
    void LoadSoundFiles() { registrations.LoadSoundFiles(); }

    // ---- Hand times (F7, Shift+F7, the dialog's OK) -------------------------------------------------
    HandTimeEntry NewHandTime() { return registrations.NewHandTime(pages.ActiveTab); }
    std::optional<HandTimeEntry> CorrectHandTime() { return registrations.CorrectHandTime(pages.ActiveTab); }
    HandTimeResult ApplyHandTime(const HandTimeEntry& entry) {
        return registrations.ApplyHandTime(entry, pages.ActiveTab == kTabResults);
    }

    // ---- Holds on the course (F5, Shift+F5, the dialog's OK) ------------------------------------------
    HoldEntry NewHold(bool restart) { return registrations.NewHold(restart); }
    HoldResult ApplyHold(const HoldEntry& entry) {
        return registrations.ApplyHold(entry, pages.ActiveTab == kTabResults);
    }
    std::optional<HoldEntry> TakeRestartWanted() { return registrations.TakeRestartWanted(); }

    // ---- Statuses (the lists' context menus) ------------------------------------------------------
    bool SetRideStatus(const std::string& number, RideStatus status) {
        return registrations.SetRideStatus(number, status, pages.ActiveTab == kTabResults);
    }

    // ---- The stop list's cells ----------------------------------------------------------------------
    bool SortGrid3SelectCell(int col, int row) { return registrations.SortGrid3SelectCell(col, row); }
    char32_t SortGrid3KeyPress(char32_t key) { return registrations.SortGrid3KeyPress(key); }
    void SortGrid3EditOpened() { registrations.SortGrid3EditOpened(); }
    void SortGrid3EditEnded() { registrations.SortGrid3EditEnded(); }
    void SortGrid3EditCommitted(int row) { registrations.SortGrid3EditCommitted(row); }

    // ---- Start list, files and commands -------------------------------------------------------------
    void ResolveStartListPath() { startList.ResolveStartListPath(); }
    void LoadStartList(const std::string& fileName) { pages.LoadStartList(fileName); }
    void sbSaveClick() { pages.sbSaveClick(); }
    void sbLoadClick() { pages.sbLoadClick(); }
    void OpenStartListFile(const std::string& name) { pages.OpenStartListFile(name); }
    void sbDelLineClick() { pages.sbDelLineClick(); }
    void sbCLSClick(bool hasSender = true) { pages.sbCLSClick(hasSender); }
    void sbHTMLClick(int tag) { pages.sbHTMLClick(tag); }
    void PageControl1Change() { pages.PageControl1Change(); }
    void SettingsConfirmed() { pages.SettingsConfirmed(); }
    CellFormat GetCellFormat(int tab, int col, int row) const { return pages.GetCellFormat(tab, col, row); }

    // ---- Contacts -------------------------------------------------------------------------------------
    void AttachComPort(PortLayer& layer, UiDispatcher& dispatcher, std::function<TimeOfDay()> clock) {
        contacts.AttachComPort(layer, dispatcher, std::move(clock));
    }
    void ListComPorts(PortLayer& layer) { contacts.ListComPorts(layer); }
    void OpenConfiguredPort() { contacts.OpenConfiguredPort(); }

    // ---- Journal ----------------------------------------------------------------------------------------
    void AttachJournal(JournalWriter& writer, JournalClock& clock) { registrations.AttachJournal(writer, clock); }
    bool RecoverLastSession() { return registrations.RecoverLastSession(); }
    void EndJournal() { registrations.EndJournal(); }
    void JournalNoticeClick() { registrations.JournalNoticeClick(); }
};

} // namespace vandoret
