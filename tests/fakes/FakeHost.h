// A Host for tests: the clock is whatever the test sets, timers are flags, sounds and messages are
// recorded, and the yes/no question and the file dialogs are answered in advance.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "base/Host.h"

namespace vandoret::testing {

class FakeHost : public Host {
public:
    // The clock.
    TimeOfDay now = 0.0;
    void SetClock(int h, int m, int s, int ms = 0) { now = MakeTimeOfDay(h, m, s, ms); }
    TimeOfDay CurrentTimeOfDay() override { return now; }
    // The steady clock follows every setting of `now`, so time set by a test passes as time;
    // StepWallClock moves the wall clock alone, as setting the system clock does.
    std::int64_t steadyLag = 0;
    std::int64_t SteadyMilliseconds() override { return ToMilliseconds(now) + steadyLag; }
    void StepWallClock(std::int64_t ms) {
        now += static_cast<double>(ms) / 86'400'000.0;
        steadyLag -= ms;
    }

    // Timers.
    bool timer1 = true;
    bool timer5sek = false;
    TimeOfDay timer5sekStartedAt = -1.0; // clock when Timer5sek was last started
    int timer1Disables = 0;              // how often Timer1 was switched off
    void SetTimer1Enabled(bool enabled) override;
    bool Timer1Enabled() const override { return timer1; }
    void StartTimer5sek() override;
    void StopTimer5sek() override { timer5sek = false; }
    bool Timer5sekRunning() const override { return timer5sek; }

    // Sound, file stamps, messages.
    std::vector<std::string> sounds;
    void PlaySound(const std::string& path) override { sounds.push_back(path); }
    // A stamp set here wins over the real file's (as a file of that stamp and size 0; -1: no
    // file); otherwise the real file is asked.
    std::map<std::string, std::int32_t> stamps;
    int stampQueries = 0;
    FileSignature FileState(const std::string& path) override;
    int processMessagesCalls = 0;
    void ProcessMessages() override { ++processMessagesCalls; }
    bool busy = false;
    void SetBusyCursor(bool b) override { busy = b; }

    // Dialogs. Unanswered questions and dialogs get "Nein" / cancel.
    std::deque<bool> yesNoAnswers;
    std::vector<std::string> questions;
    bool AskYesNo(const std::string& question) override;
    std::vector<std::string> messages;
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::deque<std::optional<std::string>> openAnswers, saveAnswers;
    std::vector<std::string> openTitles, saveTitles;
    std::optional<std::string> OpenFileDialog(const std::string& title,
                                              const std::vector<FileFilter>& filters) override;
    std::optional<std::string> SaveFileDialog(const std::string& title, const std::string& initialName,
                                              const std::vector<FileFilter>& filters) override;
    std::vector<std::pair<std::string, std::string>> shellCalls;
    bool shellResult = true;
    bool ShellExecute(const std::string& verb, const std::string& file) override;

    std::string programDir = "./";
    std::string applicationTitle = "Vandoret";
    std::string ProgramDir() const override { return programDir; }
    std::string ApplicationTitle() const override { return applicationTitle; }
};

} // namespace vandoret::testing
