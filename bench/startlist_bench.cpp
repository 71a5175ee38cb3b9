// Loading a start list against the floor of a bare read of the same bytes split into lines.
//
//   startlist_bench            one line per size for the floor, the load and the parser alone;
//                              the load lines carry "x_bare", load time / bare read time.
#include <benchmark/benchmark.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "fakes/FakeHost.h"
#include "lists/StartListParser.h"
#include "timing/Timekeeper.h"

namespace {

using vandoret::Timekeeper;
using vandoret::testing::FakeHost;

// A start list of the given number of riders, written once per size into a temporary folder.
const std::string& StartListFile(int rows) {
    static std::map<int, std::string> files;
    if (auto it = files.find(rows); it != files.end()) {
        return it->second;
    }
    const auto dir = std::filesystem::temp_directory_path() / "vandoret-startlist-bench";
    std::filesystem::create_directories(dir);
    const std::string file = (dir / ("start-" + std::to_string(rows) + ".txt")).string();
    std::string bytes = "Startzeit\tSt.Nr.\tName\tPferd\tClub\tOrt\r\n";
    for (int r = 0; r < rows; ++r) {
        const int minutes = 570 + r * 2;
        bytes += std::to_string(minutes / 60 % 24) + ":" + (minutes % 60 < 10 ? "0" : "") +
                 std::to_string(minutes % 60) + ":00\t" + std::to_string(r + 1) + "\tReiterin M\xFCller " +
                 std::to_string(r) + "\tPferd " + std::to_string(r * 7) + "\tReitverein Sch\xF6nfeld\tOrt " +
                 std::to_string(r % 97) + "\r\n";
    }
    std::ofstream(file, std::ios::binary) << bytes;
    return files.emplace(rows, file).first->second;
}

std::string ReadAll(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    in.seekg(0, std::ios::end);
    std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

std::map<int, double> bareSeconds; // per iteration, by row count

// Processor time of this process: steadier than wall time on a busy machine.
double SecondsPerIteration(benchmark::State& state, std::clock_t start) {
    return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC / static_cast<double>(state.iterations());
}

// The floor: read the bytes and split them into one string per line.
void BM_BareReadSplit(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const std::string& file = StartListFile(rows);
    const std::clock_t start = std::clock();
    for (auto _ : state) {
        const std::string bytes = ReadAll(file);
        std::vector<std::string> lines;
        std::size_t pos = 0;
        while (pos < bytes.size()) {
            std::size_t end = bytes.find('\n', pos);
            if (end == std::string::npos) {
                end = bytes.size();
            }
            lines.emplace_back(bytes, pos, end - pos);
            pos = end + 1;
        }
        benchmark::DoNotOptimize(lines.data());
        benchmark::ClobberMemory();
    }
    bareSeconds[rows] = SecondsPerIteration(state, start);
    state.SetItemsProcessed(state.iterations() * rows);
}

void BM_LoadStartList(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const std::string& file = StartListFile(rows);
    FakeHost host;
    Timekeeper tk(host);
    const std::clock_t start = std::clock();
    for (auto _ : state) {
        tk.LoadStartList(file);
        benchmark::DoNotOptimize(tk.SortGrid1.RowCount());
    }
    const double load = SecondsPerIteration(state, start);
    if (tk.SortGrid1.RowCount() != rows + 1) {
        state.SkipWithError("the list was not loaded");
    }
    if (const auto it = bareSeconds.find(rows); it != bareSeconds.end() && it->second > 0) {
        state.counters["x_bare"] = load / it->second;
    }
    state.SetItemsProcessed(state.iterations() * rows);
}

// The parser alone on bytes already in memory.
void BM_ParseStartList(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const std::string bytes = ReadAll(StartListFile(rows));
    const vandoret::StartListLayout layout{"Startzeit", 570, 5, {}};
    for (auto _ : state) {
        auto parsed = vandoret::ParseStartList(bytes, layout);
        benchmark::DoNotOptimize(parsed.data());
    }
    state.SetItemsProcessed(state.iterations() * rows);
}

BENCHMARK(BM_BareReadSplit)->Arg(1'000)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadStartList)->Arg(1'000)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ParseStartList)->Arg(1'000)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMicrosecond);

} // namespace
