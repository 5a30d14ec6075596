#include "platform/wayland/layer_shell_integration.h"

#include <QtWaylandClient/private/qwaylanddisplay_p.h>
#include <QtWaylandClient/private/qwaylandwindow_p.h>

#include <wayland-client.h>

#include <QWindow>
#include <algorithm>

#include "platform/wayland/layer_surface.h"
#include "platform/wayland/popup_surface.h"

namespace quillo {
namespace {

// Binds `proxy` to the compositor's global of its interface, at the highest
// version both know.
template <typename Proxy>
void bindGlobal(Proxy& proxy, const QtWaylandClient::QWaylandDisplay& display) {
    const QLatin1String name(Proxy::interface()->name);
    for (const auto& global : display.globals()) {
        if (global.interface != name) continue;
        const auto known = static_cast<std::uint32_t>(Proxy::interface()->version);
        proxy.init(global.registry, global.id, static_cast<int>(std::min(global.version, known)));
        return;
    }
}

}  // namespace

LayerShellIntegration::~LayerShellIntegration() {
    // Let go before Qt closes its connection to the compositor.
    if (wmBase_.isInitialized()) wmBase_.destroy();
    if (!layerShell_.isInitialized()) return;
    if (layerShell_.version() >= ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION) {
        layerShell_.destroy();
    } else {
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(layerShell_.object()));
    }
}

bool LayerShellIntegration::initialize(QtWaylandClient::QWaylandDisplay* display) {
    bindGlobal(layerShell_, *display);
    bindGlobal(wmBase_, *display);
    return layerShell_.isInitialized() && wmBase_.isInitialized();
}

QtWaylandClient::QWaylandShellSurface* LayerShellIntegration::createShellSurface(
    QtWaylandClient::QWaylandWindow* window) {
    const Qt::WindowType type = window->window()->type();
    QtWaylandClient::QWaylandWindow* parent = window->transientParent();
    const auto* parentLayer =
        parent ? qobject_cast<LayerSurface*>(parent->shellSurface()) : nullptr;
    const bool menu = type == Qt::Popup || type == Qt::ToolTip;
    // The layers set the main window and the windows it owns apart; a message
    // box over a dialog would share the dialog's layer, where compositors
    // stack as they please (sway 1.7 puts the newest beneath): it is a popup
    // of the dialog instead, which every compositor shows above it.
    const bool aboveTopmost = parentLayer && parentLayer->role() == LayerRole::Topmost;
    if (parent && (menu || !aboveTopmost)) return new PopupSurface(wmBase_, window, parent);
    // A window with an owner (a dialog, a message box) stands above it.
    const bool owned = type == Qt::Dialog || parent;
    return new LayerSurface(layerShell_, window, owned ? LayerRole::Owned : LayerRole::Topmost);
}

}  // namespace quillo
