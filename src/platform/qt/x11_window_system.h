#pragma once

#include <optional>

#include "platform/frame_extents.h"
#include "platform/qt/qt_window_system.h"

namespace quillo {

// Under an X11 window manager the frame, caption and borders included, takes
// the rectangle that the form asks for, as SetWindowPos gives it on Windows;
// the client gets what is left. With no window manager, or one that tells
// nothing of its frame, Qt places the window as on any other platform.
class X11WindowSystem : public QtWindowSystem {
public:
    void placeTopmost(NativeWindow window, PixelRect outer) override;
    void setOuterHeight(NativeWindow window, int height) override;

private:
    void placeClient(NativeWindow window);

    std::optional<FrameExtents> extents_;  // device pixels
    PixelRect outer_;                      // logical pixels
    double scale_ = 1.0;
};

}  // namespace quillo
