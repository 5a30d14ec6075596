#pragma once

#include "platform/window_system.h"

namespace quillo {

// Placement through Qt's window flags and frame-aware geometry; message boxes
// through QMessageBox.
class QtWindowSystem : public WindowSystem {
public:
    void placeTopmost(NativeWindow window, PixelRect outer) override;
    void setOuterHeight(NativeWindow window, int height) override;
    // Nothing here: Windows keeps an owned window above its owner, topmost or
    // not; X11WindowSystem asks for more.
    void prepareDialog(NativeWindow) override {}
    void showMessage(const std::u16string& title, const std::u16string& text) override;
    void endProgram(int exitCode) override;

protected:
    // The window that messages stand above when no dialog is open.
    void setMainWindow(NativeWindow window) { mainWindow_ = window; }

private:
    NativeWindow mainWindow_ = 0;
};

}  // namespace quillo
