// BuildResults + RankResults over 250, 1,000 and 4,000 finishes, each with its rider and start.
// Run by hand; the counters report the time per finish, and the summary the 4000/1000 ratio.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>

#include "fakes/FakeHost.h"
#include "timing/Timekeeper.h"

namespace {

using vandoret::ClockForm;
using vandoret::FormatClock;
using vandoret::MakeTimeOfDay;
using vandoret::Timekeeper;
using vandoret::testing::FakeHost;

void Fill(Timekeeper& tk, int finishes) {
    tk.startList.SortGrid1.SetRowCount(finishes + 1);
    tk.registrations.SortGrid2.SetRowCount(finishes + 1);
    tk.registrations.SortGrid3.SetRowCount(finishes + 1);
    for (int i = 1; i <= finishes; ++i) {
        const std::string nr = std::to_string(i);
        const double start = MakeTimeOfDay(7, 0) + i * 5.0 / 86400.0;
        const double ride = (540 + (i * 7919) % 120) / 86400.0; // 9 to 11 minutes, some over time
        tk.startList.SortGrid1.SetCell(0, i, FormatClock(start, ClockForm::HhNn));
        tk.startList.SortGrid1.SetCell(1, i, nr);
        tk.startList.SortGrid1.SetCell(2, i, "Reiter " + nr);
        tk.startList.SortGrid1.SetCell(3, i, "Pferd " + nr);
        tk.startList.SortGrid1.SetCell(4, i, "Club");
        tk.startList.SortGrid1.SetCell(5, i, "Ort");
        tk.registrations.SortGrid2.SetCell(0, i, nr);
        tk.registrations.SortGrid2.SetCell(1, i, FormatClock(start, ClockForm::HhNnSsZ));
        tk.registrations.SortGrid2.SetCell(2, i, nr);
        // Finishes arrive in another order than the starts.
        const int row = (i * 37) % finishes + 1;
        tk.registrations.SortGrid3.SetCell(0, row, nr);
        tk.registrations.SortGrid3.SetCell(1, row, FormatClock(start + ride, ClockForm::HhNnSsZ));
        tk.registrations.SortGrid3.SetCell(2, row, nr);
        tk.registrations.SortGrid3.SetCell(5, row, i % 5 == 0 ? "4" : "");
    }
}

double Measure(int finishes, int repeats) {
    FakeHost host;
    Timekeeper tk(host);
    Fill(tk, finishes);
    double best = 1e30;
    for (int k = 0; k < repeats; ++k) {
        // Processor time, not wall time: the machine may be busy with other work.
        const std::clock_t t0 = std::clock();
        tk.results.BuildResults();
        tk.results.RankResults();
        const std::clock_t t1 = std::clock();
        best = std::min(best, 1000.0 * static_cast<double>(t1 - t0) / CLOCKS_PER_SEC);
    }
    return best;
}

void BM_BuildAndRank(benchmark::State& state) {
    FakeHost host;
    Timekeeper tk(host);
    const int finishes = static_cast<int>(state.range(0));
    Fill(tk, finishes);
    for (auto _ : state) {
        tk.results.BuildResults();
        tk.results.RankResults();
        benchmark::DoNotOptimize(tk.results.SortGrid4.Cells(0, 1));
    }
    state.SetItemsProcessed(state.iterations() * finishes);
    state.counters["result_rows"] = tk.results.SortGrid4.RowCount() - 1;
}
BENCHMARK(BM_BuildAndRank)->Arg(250)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);

// Prints the best of several runs per size and the ratio the target is set on (at most 8).
void BM_Ratio4000To1000(benchmark::State& state) {
    double t250 = 0, t1000 = 0, t4000 = 0;
    for (auto _ : state) {
        t250 = Measure(250, 80);
        t1000 = Measure(1000, 40);
        t4000 = Measure(4000, 20);
    }
    state.counters["ms_250"] = t250;
    state.counters["ms_1000"] = t1000;
    state.counters["ms_4000"] = t4000;
    state.counters["ratio_4000_1000"] = t4000 / t1000;
    std::printf(
        "BuildResults+RankResults, best processor time of several runs: 250: %.3f ms, 1000: %.3f ms, 4000: %.3f ms, "
        "4000/1000 = %.2f (target <= 8)\n",
        t250, t1000, t4000, t4000 / t1000);
}
BENCHMARK(BM_Ratio4000To1000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
