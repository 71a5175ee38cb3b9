// Everything the core needs from the platform, behind one small interface.
//
// The Qt program implements it with real timers, sound, dialogs and the wall clock; tests use
// FakeHost (tests/fakes), whose clock the test sets to the millisecond and whose dialogs are
// answered in advance. Every core operation reads CurrentTimeOfDay once and uses that value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/FileStamp.h"
#include "base/TimeValues.h"

namespace vandoret {

// A file filter of the open and save dialogs, e.g. {"Textdateien (*.txt)", "*.txt"}.
struct FileFilter {
    std::string description;
    std::string pattern;
};

class Host {
public:
    virtual ~Host() = default;

    // Local wall-clock time of day, millisecond resolution, no date part.
    virtual TimeOfDay CurrentTimeOfDay() = 0;
    // A steady clock in milliseconds from any fixed point: it never jumps when the wall clock is
    // set or changes to summer time, so the tick can tell such a step from time passing.
    virtual std::int64_t SteadyMilliseconds() = 0;

    // Timer1: the 100 ms tick.
    virtual void SetTimer1Enabled(bool enabled) = 0;
    virtual bool Timer1Enabled() const = 0;
    // Timer5sek: fires once, 5000 ms after it was started, unless stopped before.
    virtual void StartTimer5sek() = 0;
    virtual void StopTimer5sek() = 0;
    virtual bool Timer5sekRunning() const = 0;

    // Plays a wave file asynchronously; a new request cuts off the sound still playing.
    virtual void PlaySound(const std::string& path) = 0;

    // The file's last-write time as a local DOS date-time (two-second resolution, -1 when the
    // file does not exist), with its full-resolution last-write time and its size. One cheap
    // query: the tick asks it ten times a second.
    virtual FileSignature FileState(const std::string& path) = 0;

    // Lets pending window messages run (used inside long loads).
    virtual void ProcessMessages() = 0;
    virtual void SetBusyCursor(bool busy) = 0;

    // The yes/no dialog: true only for "Ja".
    virtual bool AskYesNo(const std::string& question) = 0;
    // A plain message box.
    virtual void ShowMessage(const std::string& text) = 0;

    // The common file dialogs; nullopt when cancelled. initialName may be empty.
    virtual std::optional<std::string> OpenFileDialog(const std::string& title,
                                                      const std::vector<FileFilter>& filters) = 0;
    virtual std::optional<std::string> SaveFileDialog(const std::string& title, const std::string& initialName,
                                                      const std::vector<FileFilter>& filters) = 0;

    // The shell verbs "open" and "print" on a file; false when the shell could not do it.
    virtual bool ShellExecute(const std::string& verb, const std::string& file) = 0;

    // The folder of the running program, with a trailing separator, and its file name without
    // extension (the application title).
    virtual std::string ProgramDir() const = 0;
    virtual std::string ApplicationTitle() const = 0;
};

} // namespace vandoret
