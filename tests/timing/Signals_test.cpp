// Sounds, the two counters, the countdown and sound switches and the contact locks.
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "TimingFixture.h"
#include "grid/ListColumns.h"
#include "lists/TextFile.h"
#include "results/Rules.h"
#include "timing/SoundFiles.h"

namespace vandoret::testing {
namespace {

using SignalsTest = TimingTest;

TEST_F(SignalsTest, Counters) {
    const struct {
        int riders;
        int starts;
        int finishes;
        const char* toStart;
        const char* onCourse;
        bool finishTimeReset;
        bool counterStaysOn;
    } cases[] = {
        {3, 0, 0, "3", "0", false, true},  {3, 1, 0, "2", "1", false, true},  {3, 1, 1, "2", "0", false, true},
        {3, 0, 1, "3", "", true, true},    {3, 1, 2, "2", "", true, true},    {3, 2, 1, "1", "1", false, true},
        {3, 3, 0, "0", "3", false, false}, {3, 4, 1, "0", "3", false, false}, {0, 0, 0, "0", "0", false, false},
    };
    for (const auto& c : cases) {
        FakeHost host;
        Timekeeper keeper(host);
        std::vector<Rider> riders;
        for (int i = 0; i < c.riders; ++i) {
            riders.push_back({"9:30", std::to_string(i + 1), "x"});
        }
        FillStartList(keeper, riders);
        keeper.startList.cbNr.ItemIndex = c.riders > 0 ? 0 : -1; // the first rider first
        keeper.registrations.CounterOn = true;
        host.SetClock(10, 0, 0);
        for (int i = 0; i < c.starts; ++i) {
            keeper.mStartClick();
        }
        for (int i = 0; i < c.finishes; ++i) {
            keeper.mStopClick();
        }
        keeper.registrations.UpdateRemainingCounters();
        SCOPED_TRACE(std::to_string(c.riders) + " riders, " + std::to_string(c.starts) + " starts, " +
                     std::to_string(c.finishes) + " finishes");
        EXPECT_EQ(keeper.registrations.LabOstalosStart, c.toStart);
        EXPECT_EQ(keeper.registrations.LabOstalosStop, c.onCourse);
        if (c.finishes > 0) {
            EXPECT_EQ(keeper.registrations.TextStopTime == "..:..:..,.", c.finishTimeReset);
        }
        EXPECT_EQ(keeper.registrations.CounterOn, c.counterStaysOn);
    }
}

TEST_F(SignalsTest, CountersLeaveOutRidersWithAStatus) {
    // Riders 1 to 3; 1 and 2 started, 1 finished. Then the statuses.
    const struct {
        std::vector<std::pair<const char*, RideStatus>> statuses;
        const char* toStart;
        const char* onCourse;
        bool counterStaysOn;
    } cases[] = {
        {{}, "1", "1", true},
        {{{"2", RideStatus::Retired}}, "1", "0", true},     // retired on the course: no finish row
        {{{"1", RideStatus::Eliminated}}, "1", "1", true},  // finished, then eliminated: counted once
        {{{"3", RideStatus::NotStarted}}, "0", "1", false}, // nobody left to start: the countdown stops
        {{{"2", RideStatus::Disqualified}, {"2", RideStatus::None}}, "1", "1", true}, // taken back
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        FakeHost host;
        Timekeeper keeper(host);
        FillStartList(keeper, {{"9:30", "1", "x"}, {"9:31", "2", "y"}, {"9:32", "3", "z"}});
        keeper.startList.cbNr.ItemIndex = 0;
        keeper.registrations.CounterOn = true;
        host.SetClock(10, 0, 0);
        keeper.mStartClick();
        keeper.mStartClick();
        keeper.mStopClick();
        keeper.registrations.SortGrid3.SetCell(kStopNr, 1, "1");
        for (const auto& [nr, status] : c.statuses) {
            keeper.SetRideStatus(nr, status);
        }
        SCOPED_TRACE("case " + std::to_string(i));
        EXPECT_EQ(keeper.registrations.LabOstalosStart, c.toStart);
        EXPECT_EQ(keeper.registrations.LabOstalosStop, c.onCourse);
        EXPECT_EQ(keeper.registrations.CounterOn, c.counterStaysOn);
    }
}

TEST_F(SignalsTest, CountdownSwitchesItselfOffAfterTheLastStart) {
    Prepare(ClockMs(9, 29, 0));
    keeper.mStartClick();
    keeper.mStartClick();
    EXPECT_TRUE(keeper.registrations.CounterOn);
    const auto revision = keeper.registrations.IndicatorRevision;
    keeper.mStartClick();
    EXPECT_FALSE(keeper.registrations.CounterOn);
    EXPECT_EQ(keeper.registrations.ImageStatusPicture(), 0);
    EXPECT_GT(keeper.registrations.IndicatorRevision, revision);
    // Once off, the tick leaves the counter alone.
    const std::string counter = keeper.registrations.TextCounterTime;
    clock.Run(ClockMs(9, 39, 50), ClockMs(9, 40, 10));
    EXPECT_EQ(keeper.registrations.TextCounterTime, counter);
    EXPECT_EQ(clock.timer5sekFires, 0);
}

TEST_F(SignalsTest, SoundOffRequestsNoSoundAtAll) {
    Prepare(ClockMs(9, 29, 0));
    keeper.ImageSoundClick();
    EXPECT_FALSE(keeper.settings.Sound);
    EXPECT_EQ(keeper.registrations.ImageOnSoundPicture(), 0);
    clock.Run(ClockMs(9, 29, 50), ClockMs(9, 30, 6)); // ready signal and automatic start
    keeper.mStartClick();
    keeper.mStopClick();
    EXPECT_EQ(keeper.registrations.SortGrid2.RowCount(), 3);
    EXPECT_TRUE(host.sounds.empty());

    keeper.ImageSoundClick();
    EXPECT_EQ(keeper.registrations.ImageOnSoundPicture(), 1);
    keeper.mStopClick();
    EXPECT_EQ(host.sounds, std::vector<std::string>{keeper.registrations.FinishSoundFile});
}

TEST_F(SignalsTest, LocksToggleIndependently) {
    EXPECT_EQ(keeper.registrations.ImageLSPicture(LockIndicator::Start), 0);
    EXPECT_EQ(keeper.registrations.ImageLSPicture(LockIndicator::Stop), 0);
    keeper.LockLSstart1Click(); // F11
    EXPECT_TRUE(keeper.registrations.StartContactFree);
    EXPECT_EQ(keeper.registrations.ImageLSPicture(LockIndicator::Start), 1);
    EXPECT_EQ(keeper.registrations.ImageLSPicture(LockIndicator::Stop), 0);
    keeper.LockLSstart1Click();
    EXPECT_FALSE(keeper.registrations.StartContactFree);
    EXPECT_EQ(keeper.registrations.ImageLSPicture(LockIndicator::Start), 0);
    keeper.LockLSstop1Click(); // F12
    EXPECT_TRUE(keeper.registrations.FinishContactFree);
    EXPECT_FALSE(keeper.registrations.StartContactFree);
    keeper.registrations.ImageLSClick(LockIndicator::Stop);
    EXPECT_FALSE(keeper.registrations.FinishContactFree);
    EXPECT_EQ(keeper.registrations.IndicatorRevision, 4u);
}

TEST_F(SignalsTest, SoundFilesBesideTheProgram) {
    const auto dir = NewPrivateFolder("vandoret-timing-sounds-");
    std::ofstream(dir / "Audio-Bereit.wav") << "RIFF";
    std::ofstream(dir / "Audio-Ziel.wav") << "RIFF";
    host.programDir = dir.string() + "/";

    keeper.LoadSoundFiles();
    EXPECT_EQ(keeper.registrations.ReadySoundFile, host.programDir + "Audio-Bereit.wav");
    EXPECT_EQ(keeper.registrations.StartSoundFile, "");
    EXPECT_EQ(keeper.registrations.FinishSoundFile, host.programDir + "Audio-Ziel.wav");

    // A missing file still makes the request, with the empty name.
    keeper.mStartClick();
    EXPECT_EQ(host.sounds, std::vector<std::string>{""});

    // Looked up once: a file appearing later is not noticed.
    std::ofstream(dir / "Audio-Start.wav") << "RIFF";
    keeper.mStartClick();
    EXPECT_EQ(host.sounds.back(), "");
    std::filesystem::remove_all(dir);

    host.programDir = "/no/such/folder/";
    keeper.LoadSoundFiles();
    EXPECT_EQ(keeper.registrations.ReadySoundFile, "");
    EXPECT_EQ(keeper.registrations.FinishSoundFile, "");
}

// The layouts the program runs from: the build folder (sounds beside it), an installation
// (bin/ and share/vandoret/sounds/) and a folder that holds something else under the name.
TEST_F(SignalsTest, SoundFileBesideTheProgramOrInstalled) {
    enum Place { None, Beside, Installed, Both, FolderBeside };
    const struct {
        Place place;
        Place found;
    } cases[] = {
        {None, None}, {Beside, Beside}, {Installed, Installed}, {Both, Beside}, {FolderBeside, Installed},
    };
    for (const auto& c : cases) {
        const auto root = NewPrivateFolder("vandoret-timing-layout-");
        const auto bin = root / "bin";
        const auto share = root / "share" / "vandoret" / "sounds";
        std::filesystem::create_directories(bin);
        std::filesystem::create_directories(share);
        if (c.place == Beside || c.place == Both) {
            std::ofstream(bin / "Audio-Start.wav") << "RIFF";
        }
        if (c.place == Installed || c.place == Both || c.place == FolderBeside) {
            std::ofstream(share / "Audio-Start.wav") << "RIFF";
        }
        if (c.place == FolderBeside) {
            std::filesystem::create_directory(bin / "Audio-Start.wav");
        }
        const std::string programDir = PathToUtf8(bin) + "/";
        const std::string expected = c.found == Beside      ? programDir + "Audio-Start.wav"
                                     : c.found == Installed ? PathToUtf8((share / "Audio-Start.wav").lexically_normal())
                                                            : std::string();
        EXPECT_EQ(LocateSoundFile(programDir, "Audio-Start.wav"), expected) << "case " << c.place;

        // The Timekeeper forms all three paths the same way.
        host.programDir = programDir;
        keeper.LoadSoundFiles();
        EXPECT_EQ(keeper.registrations.StartSoundFile, expected) << "case " << c.place;
        EXPECT_EQ(keeper.registrations.ReadySoundFile, "");
        std::filesystem::remove_all(root);
    }
}

} // namespace
} // namespace vandoret::testing
