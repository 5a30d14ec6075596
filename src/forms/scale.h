#pragma once

#include "base/pixel_rect.h"

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

// Edges are rounded to whole logical pixels, so that neighbours share an edge.
PixelRect toPixels(UnitRect units);
int twipsToPixels(int twips);

}  // namespace quillo
