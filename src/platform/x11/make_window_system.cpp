#include "platform/make_window_system.h"

#include "platform/qt/qt_window_system.h"
#include "platform/x11/x11_window_system.h"
#include "platform/x11/xcb_connection.h"

namespace quillo {

std::unique_ptr<WindowSystem> makeWindowSystem() {
    // On another platform (the offscreen one of the window tests, say) no
    // window manager frames the window.
    if (xcb::connectionOf()) return std::make_unique<X11WindowSystem>();
    return std::make_unique<QtWindowSystem>();
}

}  // namespace quillo
