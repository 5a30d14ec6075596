#pragma once

#include <cstdint>
#include <string>

namespace quillo {

// A top-level window as the window system knows it (HWND, X11 window id).
using NativeWindow = std::uintptr_t;

// Outer (frame) geometry in logical screen pixels at 96 dots per inch.
struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const ScreenRect&) const = default;
};

class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // Shows the window above all non-topmost windows with its frame at `outer`.
    virtual void placeTopmost(NativeWindow window, ScreenRect outer) = 0;
    // Changes the frame's height, keeping its place and width.
    virtual void setOuterHeight(NativeWindow window, int height) = 0;
    // A modal message box with an OK button only.
    virtual void showMessage(const std::u16string& title, const std::u16string& text) = 0;
    // Ends the process at once: no window is told, nothing is saved.
    virtual void endProgram(int exitCode) = 0;
};

}  // namespace quillo
