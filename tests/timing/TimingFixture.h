// Shared set-up of the timing tests: a keeper on the fake host with a start list filled in
// directly (as a load would leave it) and a watched file name that does not exist, so the tick
// never reloads unless a test wants it to.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "fakes/ClockDriver.h"
#include "fakes/FakeHost.h"
#include "timing/Timekeeper.h"

namespace vandoret::testing {

struct Rider {
    std::string time;
    std::string number;
    std::string name;
};

// The default riders: three starts five minutes apart from 9:30.
inline std::vector<Rider> ThreeRiders() {
    return {{"9:30", "12", "Anna Berger"}, {"9:35", "14", "Bruno Keller"}, {"9:40", "17", "Carla Meier"}};
}

// Puts riders into the start list and the number list as a load does.
inline void FillStartList(Timekeeper& keeper, const std::vector<Rider>& riders) {
    const int n = static_cast<int>(riders.size());
    keeper.startList.SortGrid1.SetRowCount(std::max(2, n + 1));
    keeper.startList.cbNr.Items.clear();
    for (int i = 0; i < n; ++i) {
        const Rider& rider = riders[static_cast<std::size_t>(i)];
        keeper.startList.SortGrid1.SetCell(0, i + 1, rider.time);
        keeper.startList.SortGrid1.SetCell(1, i + 1, rider.number);
        keeper.startList.SortGrid1.SetCell(2, i + 1, rider.name);
        keeper.startList.cbNr.Items.push_back(rider.number);
    }
    keeper.startList.cbNr.ItemIndex = -1;
    keeper.registrations.LabOstalosStart = std::to_string(n);
}

inline std::string MissingFileName() {
    return (std::filesystem::temp_directory_path() / "vandoret-timing-no-such-start-list.txt").string();
}

// A new, empty folder of its own under the temporary folder. Test processes of several builds may
// run at once on one machine, so the name is random.
inline std::filesystem::path NewPrivateFolder(const std::string& prefix) {
    std::random_device random;
    for (;;) {
        const auto path = std::filesystem::temp_directory_path() /
                          (prefix + std::to_string(random()) + "-" + std::to_string(random()));
        if (std::filesystem::create_directories(path)) {
            return path;
        }
    }
}

class TimingTest : public ::testing::Test {
protected:
    explicit TimingTest(Locale locale = {}) : keeper(host, locale), clock(keeper, host) {
        keeper.settings.BaseName = MissingFileName();
        keeper.registrations.ReadySoundFile = "/snd/Audio-Bereit.wav";
        keeper.registrations.StartSoundFile = "/snd/Audio-Start.wav";
        keeper.registrations.FinishSoundFile = "/snd/Audio-Ziel.wav";
    }

    // Riders loaded at the given clock time, the first one selected and the countdown on.
    void Prepare(std::int64_t atMs, const std::vector<Rider>& riders = ThreeRiders()) {
        clock.Step(atMs);
        FillStartList(keeper, riders);
        keeper.SelectRider(0);
        if (!keeper.registrations.CounterOn) {
            keeper.ImageStatusClick();
        }
    }

    int CountSounds(const std::string& path) const {
        return static_cast<int>(std::count(host.sounds.begin(), host.sounds.end(), path));
    }

    FakeHost host;
    Timekeeper keeper;
    ClockDriver clock;
};

} // namespace vandoret::testing
