#pragma once

#include "base/pixel_rect.h"

namespace quillo {

// The frame Quillo draws around its windows where no compositor frames them
// (a layer surface has no server-side frame), in logical pixels: a plain
// Windows caption with the title and a close button only, and a 1 px border.
// It is as large as Openbox's frame, so the main window's client keeps the
// room it has under an X11 window manager: ten rows of boxes in view.
struct CaptionFrame {
    static constexpr int kBorder = 1;
    static constexpr int kCaptionHeight = 20;  // the border above it included
};

// What lies under a point of a window's frame.
enum class FramePart { Content, Caption, CloseButton, Border };

// Where the caption's close button is in a frame `frameWidth` wide.
PixelRect closeButtonIn(int frameWidth);

// The part under (x, y) of a frame of that size, from its top left corner.
FramePart framePartAt(int frameWidth, int frameHeight, int x, int y);

}  // namespace quillo
