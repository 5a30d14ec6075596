#pragma once

namespace quillo {

// A rectangle in logical pixels (at 96 dots per inch): a window's frame on the
// screen, or a control in its window's client area.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect&) const = default;
};

}  // namespace quillo
