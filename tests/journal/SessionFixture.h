// A session of the program on the fake host, journaled into memory: the fixture of the journal
// and recovery tests.
#pragma once

#include <map>
#include <string>

#include "fakes/FakeHost.h"
#include "journal/JournalFakes.h"
#include "timing/Timekeeper.h"

namespace vandoret::testing {

// A session on the fake host, journaled into memory.
struct Session {
    FakeHost host;
    MemoryJournalWriter writer;
    FakeJournalClock clock;
    Timekeeper tk{host};

    explicit Session(const std::string& journal = "")
        : Session(journal.empty() ? std::map<std::string, std::string>()
                                  : std::map<std::string, std::string>{{"2024-05-10", journal}}) {}
    // The journal files by day, as a folder holds them at start-up.
    explicit Session(std::map<std::string, std::string> files, std::map<std::string, std::string> unreadable = {},
                     JournalStamp start = {2024, 5, 11, 9 * 3'600'000}) {
        clock.now = start;
        writer.files = std::move(files);
        writer.unreadable = std::move(unreadable);
        tk.AttachJournal(writer, clock);
        tk.startList.cbNr.Items = {"12", "14", "17"};
        tk.startList.cbNr.ItemIndex = 0;
    }
    std::string Text() const { return writer.files.rbegin()->second; }
    void At(int h, int m, int s, int ms) {
        host.SetClock(h, m, s, ms);
        clock.now.millisecond = ToMilliseconds(host.now) + 150;
    }
    // Starts at 09:30, 09:31 and 09:32, finishes at 09:40:07,3 and 09:41:07,3.
    void StartThreeFinishTwo() {
        for (int k = 0; k < 3; ++k) {
            At(9, 30 + k, 0, 0);
            tk.registrations.RegisterStart();
        }
        for (int k = 0; k < 2; ++k) {
            At(9, 40 + k, 7, 300);
            tk.registrations.RegisterFinish();
        }
    }
    // Types a start number into "St.Nr." of a stop list row and presses Enter.
    void EnterNumber(int row, const std::string& number) {
        tk.SortGrid3SelectCell(2, row);
        tk.registrations.SortGrid3.SetCell(2, row, number);
        tk.SortGrid3KeyPress(U'\r');
    }
};

} // namespace vandoret::testing
