#include "platform/make_window_system.h"

#include "platform/qt/qt_window_system.h"

namespace quillo {

// Where neither Windows nor X11 places the window, Qt does.
std::unique_ptr<WindowSystem> makeWindowSystem() {
    return std::make_unique<QtWindowSystem>();
}

}  // namespace quillo
