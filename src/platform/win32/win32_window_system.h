#pragma once

#include "platform/window_system.h"

namespace quillo {

// Placement through SetWindowPos on the window's handle, message boxes through
// MessageBoxW. Knows nothing of the toolkit that made the window.
class Win32WindowSystem : public WindowSystem {
public:
    void placeTopmost(NativeWindow window, PixelRect outer) override;
    void setOuterHeight(NativeWindow window, int height) override;
    // Nothing: Windows keeps an owned window above its owner, topmost or not.
    void prepareDialog(NativeWindow) override {}
    void showMessage(const std::u16string& title, const std::u16string& text) override;
    void endProgram(int exitCode) override;
};

// A rectangle in logical pixels (96 dots per inch) in the pixels of a window
// at `dpi`.
DeviceRect scaledToDpi(PixelRect rect, unsigned dpi);

}  // namespace quillo
