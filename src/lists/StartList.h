// StartList: the start list, the number list of its riders, the watch on its file and the
// eventing copy.
//
// It reads the start list file into SortGrid1 and keeps cbNr (the drop-down list of start numbers)
// in step with it. What a load means for the clock panel and the counters is the registrations'
// business; this object only reads, keeps and watches.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/FileStamp.h"
#include "base/Host.h"
#include "base/TimeValues.h"
#include "grid/SortGrid.h"
#include "settings/Settings.h"

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

// `name` made absolute against the current directory; an empty name, or one that cannot be made
// absolute, comes back as it is.
std::string FullName(const std::string& name);

class StartList {
public:
    // `settings` (BaseName, StartClock, StartInt) and `host` outlive the object.
    StartList(Host& host, Settings& settings, const Locale& locale);
    StartList(const StartList&) = delete;
    StartList& operator=(const StartList&) = delete;

    TSortGrid SortGrid1{6}; // "Startliste": Startzeit, St.Nr., Name, Pferd, Club, Ort
    TSortGrid SortGrid5{5}; // "Vielseitigkeit": St.Nr., Name, Pferd, Club, Ort
    NumberList cbNr;

    std::int32_t StartListStamp = -1;       // DOS stamp of the start list file last loaded; -1: none
    std::string WindowCaption = "Vandoret"; // main window caption: the program and the list's name

    // The start list's name as stored (BaseName) and shown in the caption, e.g. "Starterliste.txt".
    const std::string& StartListFileName() const { return settings_.BaseName; }
    // The file the watch asks and loads: StartListFileName resolved once against the folder the
    // program started in, or the full name of a file loaded since. The open and save dialogs
    // change the current directory; the watched file stays where it was.
    std::string StartListWatchPath;
    // Resolves a relative StartListFileName against the current directory into StartListWatchPath
    // (an empty name stays empty).
    void ResolveStartListPath();

    enum class LoadOutcome { Loaded, NotOpened, ReadFailed, Failed };
    // Reads `path` (Windows-1252 or UTF-8, TAB or ";" separated, quoted or not) into SortGrid1.
    // The list is emptied first; a file that cannot be opened leaves it empty (NotOpened), a read
    // that breaks off keeps the rows read so far (ReadFailed). Only a whole read (Loaded) refreshes
    // the number list, names the list `fileName` in the caption and BaseName and watches `path`.
    // Never throws.
    LoadOutcome Read(const std::string& fileName, const std::string& path);

    // No start list is shown because the watched file was not there (or could not be opened) when
    // the watch last looked or the last load tried; the window then says where it looked
    // (StartListWatchPath). False before the watch first looked.
    bool StartListNotFound() const { return watchLooked_ && !lastOpened_; }

    // Fills the number list with column "St.Nr." of the start list's data rows, keeping the
    // selected start number if it is still there, else the selected position (nothing when beyond
    // the end).
    void RefreshNumberList();

    // The index in the number list of the rider whose planned start is the next one after the
    // host's clock less one second; -1 when none is left.
    int FindNextPlannedStart();

    // The watch of the tick. It compares the watched file's stamp, full-resolution time and size
    // with those of the last load; once a change has stayed the same for one tick (so a file
    // caught while being written is not read half) it returns the state to load. The first look
    // of the run returns at once. The caller loads and then calls WatchLoaded.
    std::optional<FileSignature> WatchDue();
    void WatchLoaded(const FileSignature& state);

    // Tab "Vielseitigkeit": SortGrid5 becomes the start list from "St.Nr." on.
    void CopyToEventing();

private:
    Host& host_;
    Settings& settings_;
    const Locale& locale_;
    FileSignature watchLoaded_;                 // the file as last loaded ({-1,0,0}: none)
    std::optional<FileSignature> watchPending_; // a change seen, waiting to stay the same a tick
    bool watchLooked_ = false;
    bool lastOpened_ = false; // the last Read could open its file
};

} // namespace vandoret
