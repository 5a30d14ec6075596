#pragma once

#include "platform/window_system.h"

namespace quillo {

// Placement through Qt's window flags and frame-aware geometry; message boxes
// through QMessageBox.
class QtWindowSystem : public WindowSystem {
public:
    void placeTopmost(NativeWindow window, ScreenRect outer) override;
    void setOuterHeight(NativeWindow window, int height) override;
    void showMessage(const std::u16string& title, const std::u16string& text) override;
    void endProgram(int exitCode) override;
};

}  // namespace quillo
