// Loading a start list against the floor of a bare read of the same bytes split into lines.
//
//   startlist_bench --benchmark_repetitions=5
//        one line per run for the floor, the reload (the watch reading a changed file into a
//        filled list), the load into an emptied list and the parser alone; the load lines carry
//        "x_bare", load time / bare read time. At the end a table gives, per size, the medians of
//        the runs in processor time and their ratio to the floor.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
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

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The processor seconds per load of every run, by kind and row count; printed as a table of
// medians when the program ends.
struct Runs {
    std::map<int, std::vector<double>> bare, reload, emptied;

    ~Runs() {
        std::printf("\nProcessor time per load, median of the runs (ms), and its ratio to the bare read:\n");
        std::printf("%8s %10s %10s %8s %10s %8s\n", "rows", "bare", "reload", "x_bare", "emptied", "x_bare");
        for (const auto& [rows, runs] : bare) {
            const double floor = Median(runs);
            const double re = Median(reload[rows]);
            const double em = Median(emptied[rows]);
            std::printf("%8d %10.3f %10.3f %8.2f %10.3f %8.2f\n", rows, floor * 1e3, re * 1e3,
                        floor > 0 ? re / floor : 0.0, em * 1e3, floor > 0 ? em / floor : 0.0);
        }
    }
} runs;

// Processor time of this process: steadier than wall time on a busy machine.
double Seconds(std::clock_t ticks) {
    return static_cast<double>(ticks) / CLOCKS_PER_SEC;
}

void RecordLoad(benchmark::State& state, std::map<int, std::vector<double>>& kind, int rows, double seconds) {
    const double perLoad = seconds / static_cast<double>(state.iterations());
    kind[rows].push_back(perLoad);
    if (const double floor = Median(runs.bare[rows]); floor > 0) {
        state.counters["x_bare"] = perLoad / floor;
    }
    state.SetItemsProcessed(state.iterations() * rows);
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
    runs.bare[rows].push_back(Seconds(std::clock() - start) / static_cast<double>(state.iterations()));
    state.SetItemsProcessed(state.iterations() * rows);
}

// The watch's case: the file is read again into the list that holds its previous content.
void BM_LoadStartList(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const std::string& file = StartListFile(rows);
    FakeHost host;
    Timekeeper tk(host);
    const std::clock_t start = std::clock();
    for (auto _ : state) {
        tk.LoadStartList(file);
        benchmark::DoNotOptimize(tk.startList.SortGrid1.RowCount());
    }
    const double seconds = Seconds(std::clock() - start);
    if (tk.startList.SortGrid1.RowCount() != rows + 1) {
        state.SkipWithError("the list was not loaded");
    }
    RecordLoad(state, runs.reload, rows, seconds);
}

// The first load after start-up: the list holds two rows, every row is new. Between the timed
// loads, a load of a missing file empties the list again (not counted).
void BM_LoadIntoEmptiedList(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const std::string& file = StartListFile(rows);
    const std::string missing = file + ".missing";
    FakeHost host;
    Timekeeper tk(host);
    std::clock_t timed = 0;
    for (auto _ : state) {
        const std::clock_t start = std::clock();
        tk.LoadStartList(file);
        benchmark::DoNotOptimize(tk.startList.SortGrid1.RowCount());
        timed += std::clock() - start;
        if (tk.startList.SortGrid1.RowCount() != rows + 1) {
            state.SkipWithError("the list was not loaded");
            break;
        }
        tk.LoadStartList(missing);
    }
    RecordLoad(state, runs.emptied, rows, Seconds(timed));
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
BENCHMARK(BM_LoadIntoEmptiedList)->Arg(1'000)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ParseStartList)->Arg(1'000)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMicrosecond);

} // namespace
