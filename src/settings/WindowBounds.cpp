// Fitting the stored window bounds to the screens (see WindowBounds.h).
#include "settings/WindowBounds.h"

#include <algorithm>
#include <cstdint>

namespace vandoret {
namespace {

std::int64_t Overlap(const WindowBounds& a, const WindowBounds& b) {
    const std::int64_t w = std::min<std::int64_t>(std::int64_t{a.left} + a.width, std::int64_t{b.left} + b.width) -
                           std::max(a.left, b.left);
    const std::int64_t h =
        std::min<std::int64_t>(std::int64_t{a.top} + a.height, std::int64_t{b.top} + b.height) - std::max(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

// The gap between two rectangles along one axis (0 when they overlap on it).
std::int64_t Gap(std::int64_t start1, std::int64_t length1, std::int64_t start2, std::int64_t length2) {
    return std::max<std::int64_t>({0, start2 - (start1 + length1), start1 - (start2 + length2)});
}

std::int64_t Distance(const WindowBounds& a, const WindowBounds& b) {
    const std::int64_t dx = Gap(a.left, a.width, b.left, b.width);
    const std::int64_t dy = Gap(a.top, a.height, b.top, b.height);
    return dx * dx + dy * dy;
}

// The size along one axis: the stored one, at least the minimum, at most the area; an area below
// the minimum gives the area, but never less than the smallest usable size.
int FitLength(int stored, int area, int minimum, int smallest) {
    const int wanted = std::max(stored, minimum);
    if (area >= minimum) {
        return std::min(wanted, area);
    }
    return std::max(area, smallest);
}

// The start along one axis: moved the least to lie inside the area, else at its start.
int FitStart(int stored, int length, int areaStart, int areaLength) {
    const std::int64_t last = std::int64_t{areaStart} + areaLength - length;
    if (last < areaStart) {
        return areaStart;
    }
    return static_cast<int>(std::clamp<std::int64_t>(stored, areaStart, last));
}

} // namespace

WindowBounds FitWindowBounds(const WindowBounds& stored, const std::vector<WindowBounds>& areas) {
    WindowBounds wanted = stored;
    wanted.width = std::max(stored.width, kMinWindowWidth);
    wanted.height = std::max(stored.height, kMinWindowHeight);
    if (areas.empty()) {
        return wanted;
    }
    const WindowBounds* nearest = &areas.front();
    for (const WindowBounds& area : areas) {
        const std::int64_t overlap = Overlap(wanted, area), best = Overlap(wanted, *nearest);
        if (overlap > best || (overlap == 0 && best == 0 && Distance(wanted, area) < Distance(wanted, *nearest))) {
            nearest = &area;
        }
    }
    const WindowBounds& area = *nearest;
    WindowBounds fitted;
    fitted.width = FitLength(stored.width, area.width, kMinWindowWidth, kSmallestWindowWidth);
    fitted.height = FitLength(stored.height, area.height, kMinWindowHeight, kSmallestWindowHeight);
    fitted.left = FitStart(stored.left, fitted.width, area.left, area.width);
    fitted.top = FitStart(stored.top, fitted.height, area.top, area.height);
    return fitted;
}

} // namespace vandoret
