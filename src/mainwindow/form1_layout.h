#pragma once

#include <cstdint>

#include "forms/scale.h"

namespace quillo {

// Layout of the window. The frame's place and first size are in screen
// pixels, its final height in twips, and the controls in the window's units.
inline constexpr int kWindowX = 668;
inline constexpr int kWindowY = 100;
inline constexpr int kWindowWidth = 132;
inline constexpr int kInitialWindowHeight = 136;
inline constexpr int kWindowHeightTwips = 2640;
inline constexpr UnitRect kBoxSize{0, 0, 1700, 200};
inline constexpr int kRowPitch = 220;
inline constexpr UnitRect kScrollBarRect{1740, 0, 255, 2200};
inline constexpr int kScrollStep = 2200;  // ten rows

// Top of box `index` (1-based) with the scroll bar at `scrollValue`.
constexpr int boxTop(int index, int scrollValue) {
    return (index - 1) * kRowPitch - scrollValue;
}

// The scroll bar's Max for `entryCount` entries: ten rows fewer than the column,
// negative below ten entries (no clamping).
std::int16_t scrollMax(int entryCount);

}  // namespace quillo
