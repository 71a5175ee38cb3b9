// The kill test's driver: the core with the real journal writer runs the scripted session from
// step <first> on and reports each step once its handler has returned, until killed. A kill
// between two steps finds in the file all that the operator saw recorded.
//   journal_kill_driver <folder> <first step>
//
// Each report is a line "<step> <journal>", where <journal> tells how the step's last Append of
// the journal went: "+" it returned true (the file holds the lists as they now are), "-" it
// returned false, "." the step wrote nothing. The test also runs the driver under fault injection
// (fiu-run), which fails every write() of the process now and then, the reports' as well: a
// report that could not be written is written again, so the count of steps stays exact. A
// failing write writes nothing, and a line of a few bytes goes into the pipe whole or not at all.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "journal/FileJournalWriter.h"
#include "journal/KillScript.h"

namespace {

// The journal writer with the outcome of its last Append kept for the report.
class ReportingWriter : public vandoret::JournalWriter {
public:
    explicit ReportingWriter(vandoret::JournalWriter& inner) : inner_(inner) {}
    bool Append(const std::string& day, const std::string& lines) override {
        const bool ok = inner_.Append(day, lines);
        last = ok ? '+' : '-';
        return ok;
    }
    std::vector<vandoret::JournalFileText> ReadAll() override { return inner_.ReadAll(); }
    char last = '.';

private:
    vandoret::JournalWriter& inner_;
};

// Writes the whole line to stdout, trying again while writes fail; false when it never got through.
bool Report(const std::string& line) {
    std::size_t done = 0;
    for (int failures = 0; done < line.size();) {
        const ssize_t n = ::write(1, line.data() + done, line.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (++failures > 10'000) {
            return false; // no injected fault fails that often: stdout is broken
        }
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: journal_kill_driver <folder> <first step>\n");
        return 2;
    }
    using namespace vandoret;
    testing::FakeHost host;
    FileJournalWriter file(argv[1], host.ApplicationTitle());
    ReportingWriter writer(file);
    SystemJournalClock clock;
    Timekeeper tk(host);
    tk.AttachJournal(writer, clock);
    const long first = std::atol(argv[2]);
    for (long i = first; i < first + 200'000; ++i) {
        writer.last = '.';
        testing::RunKillStep(tk, host, i);
        if (!Report(std::to_string(i) + ' ' + writer.last + '\n')) {
            return 1;
        }
        ::usleep(500); // the operator's pace: many kills land between two handlers
    }
    return 0;
}
