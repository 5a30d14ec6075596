#include "platform/make_window_system.h"
#include <QGuiApplication>

#include "platform/qt/qt_drag_source.h"
#include "platform/qt/qt_window_system.h"
#include "platform/qt/x11_drag_source.h"
#include "platform/qt/x11_window_system.h"
#include "platform/wayland/wayland_drag_source.h"

namespace quillo {
namespace {

bool onX11() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

}  // namespace

std::unique_ptr<WindowSystem> makeWindowSystem() {
    // On another platform (the offscreen one of the window tests, say) no
    // window manager frames the window.
    if (onX11()) return std::make_unique<X11WindowSystem>();
    return std::make_unique<QtWindowSystem>();
}

std::unique_ptr<DragSource> makeDragSource() {
    if (onX11()) return std::make_unique<X11DragSource>();
    if (QGuiApplication::platformName() == QLatin1String("wayland")) {
        return std::make_unique<WaylandDragSource>();
    }
    return std::make_unique<QtDragSource>();
}

}  // namespace quillo
