// The stored window bounds fitted to the screens of today.
#include <gtest/gtest.h>

#include "settings/WindowBounds.h"

namespace vandoret {
namespace {

TEST(WindowBounds, FitToTheNearestScreen) {
    const WindowBounds fullHd{0, 0, 1920, 1040};     // available area, task bar below
    const WindowBounds right{1920, 0, 1280, 984};    // a second screen to the right
    const WindowBounds netbook{0, 0, 1024, 300};     // lower than 360
    const WindowBounds tiny{0, 0, 600, 200};         // smaller than the clock panel needs
    const struct {
        const char* name;
        WindowBounds stored;
        std::vector<WindowBounds> areas;
        WindowBounds shown;
    } cases[] = {
        {"on screen", {333, 169, 800, 360}, {fullHd}, {333, 169, 800, 360}},
        {"below the minimum", {10, 20, 640, 200}, {fullHd}, {10, 20, 800, 360}},
        {"on a screen that is gone", {2500, 300, 800, 360}, {fullHd}, {1120, 300, 800, 360}},
        {"far above and left", {-5000, -3000, 900, 400}, {fullHd}, {0, 0, 900, 400}},
        {"larger than the screen", {100, 100, 3000, 2000}, {fullHd}, {0, 0, 1920, 1040}},
        {"on the second screen", {2000, 100, 1000, 500}, {fullHd, right}, {2000, 100, 1000, 500}},
        {"hanging off the second screen", {3000, 900, 800, 360}, {fullHd, right}, {2400, 624, 800, 360}},
        {"mostly on the second screen", {1800, 50, 800, 360}, {fullHd, right}, {1920, 50, 800, 360}},
        {"nearest of two, none overlapped", {5000, 50, 800, 360}, {fullHd, right}, {2400, 50, 800, 360}},
        {"low screen", {50, 200, 800, 360}, {netbook}, {50, 0, 800, 300}},
        {"tiny screen", {50, 50, 800, 360}, {tiny}, {0, 0, 640, 240}},
        {"no screens", {5000, 5000, 100, 100}, {}, {5000, 5000, 800, 360}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FitWindowBounds(c.stored, c.areas), c.shown) << c.name;
    }
    EXPECT_EQ(StoredWindowWidth(640), 800);
    EXPECT_EQ(StoredWindowHeight(300), 360);
    EXPECT_EQ(StoredWindowWidth(1024), 1024);
}

} // namespace
} // namespace vandoret
