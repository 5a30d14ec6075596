#pragma once

#include <cstdint>
#include <string>

#include "base/pixel_rect.h"

namespace quillo {

// A top-level window as the window system knows it (HWND, X11 window id).
using NativeWindow = std::uintptr_t;

class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // Shows the window above all non-topmost windows with its frame at `outer`.
    virtual void placeTopmost(NativeWindow window, PixelRect outer) = 0;
    // Changes the frame's height, keeping its place and width.
    virtual void setOuterHeight(NativeWindow window, int height) = 0;
    // Readies a dialog that is about to be shown over the window that owns
    // it, so that it stands above its owner, however the window system stacks
    // windows kept on top.
    virtual void prepareDialog(NativeWindow dialog) = 0;
    // A modal message box with an OK button only, above the open dialog or
    // else the window placed topmost.
    virtual void showMessage(const std::u16string& title, const std::u16string& text) = 0;
    // Ends the process at once: no window is told, nothing is saved.
    virtual void endProgram(int exitCode) = 0;
};

}  // namespace quillo
