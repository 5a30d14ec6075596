#pragma once

namespace quillo {

// A rectangle in logical pixels (at 96 dots per inch): a window's frame on the
// screen as the form places it, or a control in its window's client area.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect&) const = default;
};

// A rectangle in the screen's own pixels, as the window system places windows:
// at a scale of 150% a logical pixel is one and a half of them. A type of its
// own, so that neither kind passes for the other.
struct DeviceRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const DeviceRect&) const = default;
};

}  // namespace quillo
