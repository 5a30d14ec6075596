#include <QWidget>

#include "platform/make_window_system.h"
#include "platform/qt/qt_window_system.h"
#include "platform/win32/win32_window_system.h"

namespace quillo {
namespace {

// On Windows the frame is placed by SetWindowPos itself, in the window's own
// DPI; Qt only shows the widget first, so that it knows the window is visible.
// Message boxes and the end of the program stay Qt's.
class QtWin32WindowSystem : public QtWindowSystem {
public:
    void placeTopmost(NativeWindow window, PixelRect outer) override {
        if (QWidget* widget = QWidget::find(static_cast<WId>(window))) widget->show();
        setMainWindow(window);
        native_.placeTopmost(window, outer);
    }
    void setOuterHeight(NativeWindow window, int height) override {
        native_.setOuterHeight(window, height);
    }

private:
    Win32WindowSystem native_;
};

}  // namespace

// quillo.exe links only Qt's Windows platform plugin, so its windows are
// always native ones. (The window tests, on the offscreen plugin, use
// QtWindowSystem itself.)
std::unique_ptr<WindowSystem> makeWindowSystem() {
    return std::make_unique<QtWin32WindowSystem>();
}

}  // namespace quillo
