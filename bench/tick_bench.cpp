// Cost of one 100 ms tick with a 2,000-rider start list whose file exists and is unchanged,
// beside a bare file-stamp query of the same file. The tick must stay far below 100 us.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "base/FileStamp.h"
#include "fakes/FakeHost.h"
#include "timing/Timekeeper.h"

namespace {

constexpr int kRiders = 2000;

std::string RiderTime(int i) {
    const int minutes = 9 * 60 + 30 + i * 2;
    return std::to_string(minutes / 60 % 24) + ":" + (minutes % 60 < 10 ? "0" : "") + std::to_string(minutes % 60);
}

struct TickSetup {
    std::string file;
    vandoret::testing::FakeHost host; // no stamp set: the real file is asked
    vandoret::Timekeeper keeper{host};

    TickSetup() {
        file = (std::filesystem::temp_directory_path() / "vandoret-tick-bench-Starterliste.txt").string();
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << "Startzeit\tSt.Nr.\tName\tPferd\tClub\tOrt\r\n";
        keeper.startList.SortGrid1.SetRowCount(kRiders + 1);
        for (int i = 0; i < kRiders; ++i) {
            const std::string number = std::to_string(i + 1);
            const std::string name = "Reiter " + number;
            out << RiderTime(i) << '\t' << number << '\t' << name << "\tPferd\tClub\tOrt\r\n";
            keeper.startList.SortGrid1.SetCell(0, i + 1, RiderTime(i));
            keeper.startList.SortGrid1.SetCell(1, i + 1, number);
            keeper.startList.SortGrid1.SetCell(2, i + 1, name);
            keeper.startList.cbNr.Items.push_back(number);
        }
        out.close();
        keeper.settings.BaseName = file;
        host.SetClock(9, 0, 0);
        keeper.Timer1Timer(); // first sight of the file: the load happens here, not in the loop
        keeper.SelectRider(kRiders / 2);
        if (!keeper.registrations.CounterOn) {
            keeper.ImageStatusClick();
        }
        keeper.Timer1Timer();
    }
};

TickSetup& Setup() {
    static TickSetup setup;
    return setup;
}

void BM_Timer1Timer(benchmark::State& state) {
    TickSetup& s = Setup();
    const vandoret::TimeOfDay start = vandoret::MakeTimeOfDay(9, 0, 0);
    int step = 0;
    for (auto _ : state) {
        // Walk the clock through one minute in 100 ms steps, far from any planned start.
        s.host.now = start + (step++ % 600) * (0.1 * vandoret::kOneSecond);
        s.keeper.Timer1Timer();
        benchmark::DoNotOptimize(s.keeper.registrations.TextCounterTime.data());
    }
    if (s.keeper.startList.StartListStamp != vandoret::DosFileStamp(s.file) || s.host.timer5sek) {
        state.SkipWithError("the tick reloaded or armed: not the steady state being measured");
    }
}
BENCHMARK(BM_Timer1Timer);

void BM_DosFileStamp(benchmark::State& state) {
    TickSetup& s = Setup();
    for (auto _ : state) {
        benchmark::DoNotOptimize(vandoret::DosFileStamp(s.file));
    }
}
BENCHMARK(BM_DosFileStamp);

} // namespace
