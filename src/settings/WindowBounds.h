// The main window's place on the screens: the stored bounds (settings Left/Top/Width/Height)
// fitted to the screens there are now, so a window stored on a screen that is gone, or larger
// than the screen, never opens out of reach.
//
// What FitWindowBounds promises:
//  - The area is the available area (without task bars) of the screen nearest to the stored
//    bounds: the one they overlap most, else the one closest to them.
//  - The size is the stored one, at least 800×360, at most the area. Only an area smaller than
//    800×360 gives less, never less than the clock panel with START/STOPP needs
//    (kSmallestWindowWidth × kSmallestWindowHeight).
//  - The window is moved the least so that it lies inside the area; a window larger than the
//    area sits at the area's top left, so its top left (the clock panel) is always visible.
//  - No screens: the stored bounds with the 800×360 minimum, unmoved.
#pragma once

#include <vector>

namespace vandoret {

struct WindowBounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const WindowBounds&) const = default;
};

inline constexpr int kMinWindowWidth = 800;
inline constexpr int kMinWindowHeight = 360;
inline constexpr int kSmallestWindowWidth = 640; // clock panel and START/STOPP
inline constexpr int kSmallestWindowHeight = 240;

WindowBounds FitWindowBounds(const WindowBounds& stored, const std::vector<WindowBounds>& areas);

// The size to store: never below 800×360, whatever the window is on a small screen.
inline int StoredWindowWidth(int width) {
    return width < kMinWindowWidth ? kMinWindowWidth : width;
}
inline int StoredWindowHeight(int height) {
    return height < kMinWindowHeight ? kMinWindowHeight : height;
}

} // namespace vandoret
