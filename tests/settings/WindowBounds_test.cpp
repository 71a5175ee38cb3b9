// The stored window bounds fitted to the screens of today.
#include <gtest/gtest.h>

#include "settings/WindowBounds.h"

namespace vandoret {
namespace {

TEST(WindowBounds, FitToTheNearestScreen) {
    const WindowBounds fullHd{0, 0, 1920, 1040}, right{1920, 0, 1280, 984}; // available areas
    const struct {
        WindowBounds stored;
        std::vector<WindowBounds> areas;
        WindowBounds shown;
    } cases[] = {
        {{333, 169, 800, 360}, {fullHd}, {333, 169, 800, 360}},          // on screen
        {{10, 20, 640, 200}, {fullHd}, {10, 20, 800, 360}},              // below the minimum
        {{2500, 300, 800, 360}, {fullHd}, {1120, 300, 800, 360}},        // on a screen that is gone
        {{-5000, -3000, 900, 400}, {fullHd}, {0, 0, 900, 400}},          // far above and left
        {{100, 100, 3000, 2000}, {fullHd}, {0, 0, 1920, 1040}},          // larger than the screen
        {{3000, 900, 800, 360}, {fullHd, right}, {2400, 624, 800, 360}}, // off the second screen
        {{1800, 50, 800, 360}, {fullHd, right}, {1920, 50, 800, 360}},   // mostly on the second
        {{5000, 50, 800, 360}, {fullHd, right}, {2400, 50, 800, 360}},   // nearest, none overlapped
        {{50, 200, 800, 360}, {{0, 0, 1024, 300}}, {50, 0, 800, 300}},   // a low screen
        {{50, 50, 800, 360}, {{0, 0, 600, 200}}, {0, 0, 640, 240}},      // too small for the panel
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FitWindowBounds(c.stored, c.areas), c.shown) << c.stored.left << "," << c.stored.top;
    }
    EXPECT_EQ(StoredWindowWidth(640) * 1000 + StoredWindowHeight(300), 800'360);
}

} // namespace
} // namespace vandoret
