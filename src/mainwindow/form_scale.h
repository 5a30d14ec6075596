#pragma once

#include <cstdint>

namespace quillo {

// The main window places its controls in units of its own: one horizontal unit
// is 1875/1995 twips and one vertical unit 80/89 twips, each held as a single
// precision value, with the origin at the top left of the client area.
inline constexpr float kUnitTwipsX = 1875.0f / 1995.0f;
inline constexpr float kUnitTwipsY = 80.0f / 89.0f;
inline constexpr int kTwipsPerPixel = 15;  // at 96 dots per inch

struct UnitRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect&) const = default;
};

// Edges are rounded to whole logical pixels, so that neighbours share an edge.
PixelRect toPixels(UnitRect units);
int twipsToPixels(int twips);

// Layout of the window, in units unless named otherwise.
inline constexpr int kWindowX = 668;  // screen pixels
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
