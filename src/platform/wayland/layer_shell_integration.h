#pragma once

#include <QtWaylandClient/private/qwaylandshellintegration_p.h>

#include "qwayland-wlr-layer-shell-unstable-v1.h"
#include "qwayland-xdg-shell.h"

namespace quillo {

// Every window of the program on wlroots' layer shell: the main window in the
// top layer, above every ordinary window, dialogs and message boxes in the
// overlay layer, above it, and menus as its popups. Qt's Wayland client makes
// all windows through one integration, picked by QT_WAYLAND_SHELL_INTEGRATION
// (platform/qt/display_server.cpp).
class LayerShellIntegration : public QtWaylandClient::QWaylandShellIntegration {
public:
    ~LayerShellIntegration() override;
    bool initialize(QtWaylandClient::QWaylandDisplay* display) override;
    QtWaylandClient::QWaylandShellSurface* createShellSurface(
        QtWaylandClient::QWaylandWindow* window) override;

private:
    // The popups' base, whose pings are answered here.
    class XdgWmBase : public QtWayland::xdg_wm_base {
        void xdg_wm_base_ping(uint32_t serial) override { pong(serial); }
    };

    QtWayland::zwlr_layer_shell_v1 layerShell_;
    XdgWmBase wmBase_;
};

}  // namespace quillo
