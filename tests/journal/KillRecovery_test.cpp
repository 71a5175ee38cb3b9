// The kill test: the driver (core + real journal writer) runs a scripted session and is killed
// with SIGKILL at random moments. After each kill, the recovery at start-up must rebuild every
// event whose handler had returned, and at most the one in flight: nothing lost, nothing twice,
// rows in the same order.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "journal/FileJournalWriter.h"
#include "journal/KillScript.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KILL_TEST_CLANG_ASAN 1
#endif
#endif
#ifndef KILL_TEST_CLANG_ASAN
#define KILL_TEST_CLANG_ASAN 0
#endif

namespace vandoret::testing {
namespace {

namespace fs = std::filesystem;

using Lists = std::vector<std::vector<std::string>>;

Lists Cells(const Timekeeper& tk) {
    Lists out;
    for (const TSortGrid* grid : {&tk.registrations.SortGrid2, &tk.registrations.SortGrid3}) {
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

// What the driver reported before it was killed: its last step (first - 1: none), and the last
// step whose journal Append returned true (first - 1: none), with the count of failed Appends.
struct Reported {
    long last;
    long acknowledged;
    int failedAppends = 0;
    bool acknowledgedAfterFailure = false; // the journal wrote again after a failed Append
};

Reported Parse(const std::string& text, long first) {
    Reported out{first - 1, first - 1};
    std::size_t begin = 0;
    for (std::size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1) {
        const std::string line = text.substr(begin, end - begin);
        const std::size_t space = line.find(' ');
        out.last = std::stol(line.substr(0, space));
        const char journal = space == std::string::npos ? '.' : line[space + 1];
        out.acknowledged = journal == '+' ? out.last : out.acknowledged;
        out.failedAppends += journal == '-' ? 1 : 0;
        out.acknowledgedAfterFailure = out.acknowledgedAfterFailure || (journal == '+' && out.failedAppends > 0);
    }
    return out;
}

// Starts the driver (behind `wrapper`, e.g. fiu-run and its options), kills it `delayUs` after
// it reported `steps` steps, and gives what it reported. Counting steps keeps the kills
// mid-session on a busy machine.
Reported RunAndKill(const fs::path& folder, long first, long steps, unsigned delayUs,
                    const std::vector<std::string>& wrapper = {}) {
    int out[2];
    if (::pipe(out) != 0) {
        ADD_FAILURE() << "pipe";
        return {first - 1, first - 1};
    }
    std::vector<std::string> args = wrapper;
    for (const std::string& arg : {std::string(VANDORET_KILL_DRIVER), folder.string(), std::to_string(first)}) {
        args.push_back(arg);
    }
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::close(out[1]);
        ::execv(argv[0], argv.data());
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
    const bool killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    EXPECT_TRUE(killed || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << "the driver failed: status " << status;
    return Parse(reported, first);
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
        const long done = RunAndKill(folder, first, steps, delay).last;
        const Lists recovered = Recover(folder);
        const bool asReturned = recovered == Simulate(first, done);
        const bool withInFlight = recovered == Simulate(first, done + 1);
        EXPECT_TRUE(asReturned || withInFlight) << "run " << run << ": steps " << first << ".." << done
                                                << " returned, killed " << delay << " us after " << steps << " reports";
        midSession += done - first >= 2 ? 1 : 0;
        fs::remove_all(folder);
    }
    fs::remove_all(base);
    EXPECT_GT(midSession, 150) << "most kills should land in the middle of a session";
}

// The first step d in [from, to] after which the script's lists are `lists`; first - 2: none.
long StepGiving(const Lists& lists, long first, long from, long to) {
    FakeHost host;
    Timekeeper tk(host);
    for (long i = first - 1; i <= to; ++i) {
        if (i >= first) {
            RunKillStep(tk, host, i);
        }
        if (i >= from && Cells(tk) == lists) {
            return i;
        }
    }
    return first - 2;
}

// fiu-run (libfiu's fault injection, Debian package fiu-utils) from PATH; empty when missing.
std::string FindFiuRun() {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "";
    for (std::size_t begin = 0; begin <= folders.size();) {
        std::size_t end = folders.find(':', begin);
        end = end == std::string::npos ? folders.size() : end;
        const std::string candidate = folders.substr(begin, end - begin) + "/fiu-run";
        if (end > begin && ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        begin = end + 1;
    }
    return {};
}

// The same session with the driver's write() and fsync() calls failing now and then (`points`,
// libfiu's names), as a failing disk makes them. A step whose Append returned true is on the
// disk: the recovery gives the lists of at least that step. Steps whose writes failed after it
// may have reached the file or not (an fsync that fails after the write did), so the lists may
// be those of any later step up to the one in flight, but never anything else: no row lost
// before, none invented, none twice.
void KillUnderFaults(const std::vector<std::string>& points) {
#if defined(__SANITIZE_ADDRESS__) || KILL_TEST_CLANG_ASAN
    // libfiu's preloaded library runs before the address sanitizer's runtime is ready: the driver
    // crashes at its start.
    GTEST_SKIP() << "fiu-run's preloaded library and the address sanitizer do not go together";
#endif
    const std::string fiuRun = FindFiuRun();
    if (fiuRun.empty()) {
        GTEST_SKIP() << "fiu-run (package fiu-utils) is not installed";
    }
    std::vector<std::string> faults = {fiuRun, "-x"};
    for (const std::string& point : points) {
        faults.push_back("-c");
        faults.push_back("enable_random name=" + point + ",probability=0.05");
    }
    const fs::path base = fs::temp_directory_path() / ("vandoret-kill-fiu-" + std::to_string(::getpid()));
    std::mt19937 random(20240512);
    int faulted = 0;
    int acknowledgedAfterFault = 0;
    constexpr int kRuns = 100;
    for (int run = 0; run < kRuns; ++run) {
        const fs::path folder = base / std::to_string(run);
        const long first = kEpoch * std::uniform_int_distribution<long>(0, 500)(random);
        const long steps = std::uniform_int_distribution<long>(5, 40)(random);
        const unsigned delay = std::uniform_int_distribution<unsigned>(0, 5'000)(random);
        const Reported reported = RunAndKill(folder, first, steps, delay, faults);
        const Lists recovered = Recover(folder);
        const long step = StepGiving(recovered, first, reported.acknowledged, reported.last + 1);
        EXPECT_GE(step, reported.acknowledged)
            << "run " << run << ": steps " << first << ".." << reported.last << " returned, the journal acknowledged "
            << reported.acknowledged << ", " << reported.failedAppends << " Appends failed; the recovered lists are "
            << "none of steps " << reported.acknowledged << ".." << reported.last + 1;
        faulted += reported.failedAppends > 0 ? 1 : 0;
        acknowledgedAfterFault += reported.acknowledgedAfterFailure ? 1 : 0;
        fs::remove_all(folder);
    }
    fs::remove_all(base);
    // With 5 % of the writes and flushes failing, about a quarter of the runs meet a fault.
    EXPECT_GT(faulted, kRuns / 10) << "the faults did not reach the driver";
    std::printf("%d of %d runs met a failed Append, %d wrote again after one\n", faulted, kRuns,
                acknowledgedAfterFault);
}

// A write that fails writes nothing, so each Append reaches the file whole or not at all.
TEST(JournalKill, UnderWriteFaultsEveryAcknowledgedStepComesBack) {
    KillUnderFaults({"posix/io/rw/write", "posix/io/sync/fsync"});
}

// With short writes too, an Append can end part-way: its event line on the disk, the rest of the
// text not. The replay then applies that line to the last acknowledged lists (a finish row
// beyond rows whose writes had failed), which are the lists of no step. Nothing acknowledged is
// lost, but the lists mix two steps. Left disabled until the replay can tell a whole write from a
// torn one; run with --gtest_also_run_disabled_tests.
TEST(JournalKill, DISABLED_UnderShortWritesNoStepComesBackHalf) {
    KillUnderFaults({"posix/io/rw/write", "posix/io/rw/write/reduce", "posix/io/sync/fsync"});
}

} // namespace
} // namespace vandoret::testing

#endif
