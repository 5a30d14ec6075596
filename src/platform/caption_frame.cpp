#include "platform/caption_frame.h"

namespace quillo {
namespace {

// Narrower than Windows' 46 px: the main window is 132 px wide, and its
// caption still names it in full.
constexpr int kCloseButtonWidth = 26;

bool contains(const PixelRect& rect, int x, int y) {
    return x >= rect.x && x < rect.x + rect.width && y >= rect.y && y < rect.y + rect.height;
}

}  // namespace

PixelRect closeButtonIn(int frameWidth) {
    using F = CaptionFrame;
    return {frameWidth - F::kBorder - kCloseButtonWidth, F::kBorder, kCloseButtonWidth,
            F::kCaptionHeight - F::kBorder};
}

FramePart framePartAt(int frameWidth, int frameHeight, int x, int y) {
    using F = CaptionFrame;
    const PixelRect inside{F::kBorder, F::kBorder, frameWidth - 2 * F::kBorder,
                           frameHeight - 2 * F::kBorder};
    if (!contains(inside, x, y)) return FramePart::Border;
    if (y >= F::kCaptionHeight) return FramePart::Content;
    return contains(closeButtonIn(frameWidth), x, y) ? FramePart::CloseButton : FramePart::Caption;
}

}  // namespace quillo
