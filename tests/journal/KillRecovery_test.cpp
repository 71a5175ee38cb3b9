// The kill test: the driver (core + real journal writer) runs a scripted session and is killed
// with SIGKILL at random moments. After each kill, the recovery at start-up must rebuild every
// event whose handler had returned, and at most the one in flight: nothing lost, nothing twice,
// rows in the same order.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "journal/FileJournalWriter.h"
#include "journal/KillScript.h"

namespace vandoret::testing {
namespace {

namespace fs = std::filesystem;

using Lists = std::vector<std::vector<std::string>>;

Lists Cells(const Timekeeper& tk) {
    Lists out;
    for (const TSortGrid* grid : {&tk.SortGrid2, &tk.SortGrid3}) {
        out.push_back({"-- " + std::to_string(grid->RowCount())});
        for (int r = 1; r < grid->RowCount(); ++r) {
            std::vector<std::string> row;
            for (int c = 0; c < grid->ColCount(); ++c) {
                row.push_back(grid->Cells(c, r));
            }
            out.push_back(row);
        }
    }
    return out;
}

// The lists after steps first..last of the script, run in memory without a journal.
Lists Simulate(long first, long last) {
    FakeHost host;
    Timekeeper tk(host);
    for (long i = first; i <= last; ++i) {
        RunKillStep(tk, host, i);
    }
    return Cells(tk);
}

// What the program's start-up recovers from the folder when the operator answers "Ja".
Lists Recover(const fs::path& folder) {
    FakeHost host;
    host.yesNoAnswers.push_back(true);
    Timekeeper tk(host);
    FileJournalWriter writer(folder.string(), host.ApplicationTitle());
    SystemJournalClock clock;
    tk.AttachJournal(writer, clock);
    tk.RecoverLastSession();
    return Cells(tk);
}

// Starts the driver, kills it `delayUs` after it reported `steps` steps, and gives the last step
// it reported (first - 1: none). Counting steps keeps the kills mid-session on a busy machine.
long RunAndKill(const fs::path& folder, long first, long steps, unsigned delayUs) {
    int out[2];
    if (::pipe(out) != 0) {
        ADD_FAILURE() << "pipe";
        return first - 1;
    }
    const std::string firstText = std::to_string(first);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::close(out[1]);
        ::execl(VANDORET_KILL_DRIVER, VANDORET_KILL_DRIVER, folder.c_str(), firstText.c_str(), nullptr);
        ::_exit(127);
    }
    ::close(out[1]);
    std::string reported;
    char buffer[4096];
    for (ssize_t n; std::count(reported.begin(), reported.end(), '\n') < steps &&
                    (n = ::read(out[0], buffer, sizeof buffer)) > 0;) {
        reported.append(buffer, static_cast<std::size_t>(n));
    }
    ::usleep(delayUs);
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) {
        reported.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) != 0) << "the driver failed";
    const std::size_t end = reported.rfind('\n');
    if (end == std::string::npos) {
        return first - 1;
    }
    const std::size_t begin = reported.rfind('\n', end - 1);
    return std::stol(reported.substr(begin == std::string::npos ? 0 : begin + 1, end));
}

TEST(JournalKill, RecoveryKeepsEveryReturnedEventAtMostOneInFlight) {
    const fs::path base = fs::temp_directory_path() / ("vandoret-kill-" + std::to_string(::getpid()));
    std::mt19937 random(20240511);
    int midSession = 0;
    for (int run = 0; run < 200; ++run) {
        const fs::path folder = base / std::to_string(run);
        const long first = kEpoch * std::uniform_int_distribution<long>(0, 500)(random);
        const long steps = std::uniform_int_distribution<long>(0, 40)(random);
        const unsigned delay = std::uniform_int_distribution<unsigned>(0, 5'000)(random);
        const long done = RunAndKill(folder, first, steps, delay);
        const Lists recovered = Recover(folder);
        const bool asReturned = recovered == Simulate(first, done);
        const bool withInFlight = recovered == Simulate(first, done + 1);
        EXPECT_TRUE(asReturned || withInFlight)
            << "run " << run << ": steps " << first << ".." << done << " returned, killed " << delay << " us after "
            << steps << " reports";
        midSession += done - first >= 2 ? 1 : 0;
        fs::remove_all(folder);
    }
    fs::remove_all(base);
    EXPECT_GT(midSession, 150) << "most kills should land in the middle of a session";
}

} // namespace
} // namespace vandoret::testing

#endif
