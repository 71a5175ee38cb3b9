// The kill test's driver: the core with the real journal writer runs the scripted session from
// step <first> on and prints each step's number once its handler has returned, until killed.
// A kill between two steps finds in the file all that the operator saw recorded.
//   journal_kill_driver <folder> <first step>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "journal/FileJournalWriter.h"
#include "journal/KillScript.h"

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: journal_kill_driver <folder> <first step>\n");
        return 2;
    }
    using namespace vandoret;
    testing::FakeHost host;
    FileJournalWriter writer(argv[1], host.ApplicationTitle());
    SystemJournalClock clock;
    Timekeeper tk(host);
    tk.AttachJournal(writer, clock);
    const long first = std::atol(argv[2]);
    for (long i = first; i < first + 200'000; ++i) {
        testing::RunKillStep(tk, host, i);
        const std::string line = std::to_string(i) + "\n";
        if (::write(1, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
            return 1;
        }
        ::usleep(500); // the operator's pace: many kills land between two handlers

    }
    return 0;
}
