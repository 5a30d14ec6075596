#pragma once

#include "platform/window_system.h"

namespace quillo {

// Placement through Qt's window flags and frame-aware geometry; message boxes
// through QMessageBox.
class QtWindowSystem : public WindowSystem {
public:
    void placeTopmost(NativeWindow window, PixelRect outer) override;
    void setOuterHeight(NativeWindow window, int height) override;
    void showMessage(const std::u16string& title, const std::u16string& text) override;
    void endProgram(int exitCode) override;

protected:
    // The window that messages stand above when no dialog is open.
    void setMainWindow(NativeWindow window) { mainWindow_ = window; }

private:
    NativeWindow mainWindow_ = 0;
};

}  // namespace quillo
