#include "platform/wayland/layer_surface.h"

#include <QtWaylandClient/private/qwaylandscreen_p.h>
#include <QtWaylandClient/private/qwaylandwindow_p.h>

#include <QEvent>
#include <QRect>
#include <QRegion>
#include <QWindow>

#include "platform/wayland/last_frame.h"
#include "platform/wayland/surface_origin.h"

namespace quillo {

using QtWaylandClient::QWaylandWindow;

LayerSurface::LayerSurface(QtWayland::zwlr_layer_shell_v1& shell, QWaylandWindow* window,
                           LayerRole role)
    : QWaylandShellSurface(window), role_(role), shellVersion_(shell.version()) {
    QtWaylandClient::QWaylandScreen* screen = window->waylandScreen();
    // The caption names the window to the compositor, as its title does
    // elsewhere: a layer surface has no title, but a namespace.
    init(shell.get_layer_surface(window->wlSurface(), screen ? screen->output() : nullptr,
                                 static_cast<std::uint32_t>(layerFor(role)),
                                 window->window()->title()));
    window->window()->installEventFilter(this);
    place();
}

LayerSurface::~LayerSurface() {
    awaitLastFrame(*window());
    destroy();
}

bool LayerSurface::handleExpose(const QRegion& region) {
    // Nothing is drawn before the compositor has configured the surface.
    return !configured_ && !region.isEmpty();
}

void LayerSurface::zwlr_layer_surface_v1_configure(uint32_t serial, uint32_t width,
                                                   uint32_t height) {
    ack_configure(serial);
    configuredSize_ = QSize(static_cast<int>(width), static_cast<int>(height));
    awaitingSize_ = false;
    if (configured_) {
        // Later sizes wait until Qt is not drawing into the window.
        window()->applyConfigureWhenPossible();
    } else {
        configured_ = true;
        applyConfigure();
    }
    // Shows what Qt drew meanwhile, at the size now answered.
    window()->handleExpose(QRect(QPoint(), window()->geometry().size()));
}

void LayerSurface::applyConfigure() {
    // The compositor gives the size asked for; 0 would leave it to us.
    if (configuredSize_.isEmpty()) return;
    resizeFromApplyConfigure(configuredSize_);
}

void LayerSurface::zwlr_layer_surface_v1_closed() {
    window()->window()->close();
}

bool LayerSurface::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::Enter || event->type() == QEvent::Leave) {
        pointerOver_ = event->type() == QEvent::Enter;
        place();
    }
    return false;
}

void LayerSurface::place() {
    QWaylandWindow* qtWindow = window();
    const QRect frame = frameOnDesktop(*qtWindow);
    QtWaylandClient::QWaylandScreen* screen = qtWindow->waylandScreen();
    const QRect output = screen ? screen->geometry() : QRect();
    const LayerPlacement placement =
        placeOnLayer(role_, {frame.x(), frame.y(), frame.width(), frame.height()},
                     {output.x(), output.y(), output.width(), output.height()}, shellVersion_,
                     pointerOver_ || openPopups_ > 0);
    if (placed_ == placement) return;
    placed_ = placement;
    set_anchor(placement.anchor);
    set_margin(placement.marginTop, 0, 0, placement.marginLeft);
    set_size(static_cast<std::uint32_t>(placement.width),
             static_cast<std::uint32_t>(placement.height));
    set_exclusive_zone(placement.exclusiveZone);
    set_keyboard_interactivity(static_cast<std::uint32_t>(placement.keyboard));
    // A move alone draws nothing new: the state is committed without waiting
    // for the next frame. Before the first configure Qt commits it itself.
    if (!configured_) return;
    awaitingSize_ = QSize(placement.width, placement.height) != configuredSize_;
    qtWindow->commit();
}

}  // namespace quillo
