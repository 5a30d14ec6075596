#include <wayland-client.h>

#include <cstring>
#include <memory>

#include "platform/wayland/layer_shell_probe.h"
#include "wayland-wlr-layer-shell-unstable-v1-client-protocol.h"
#include "wayland-xdg-shell-client-protocol.h"

// The integration and its frame, registered with Qt as the library loads.
#include <QtPlugin>
Q_IMPORT_PLUGIN(LayerShellPlugin)
Q_IMPORT_PLUGIN(CaptionDecorationPlugin)

namespace quillo {

std::uint32_t layerShellOnDisplay() {
    const std::unique_ptr<wl_display, decltype(&wl_display_disconnect)> display(
        wl_display_connect(nullptr), wl_display_disconnect);
    if (!display) return 0;
    // The layer shell's version, and whether xdg-shell is there for the popups.
    struct Offered {
        std::uint32_t layerShell = 0;
        bool popups = false;
    } offered;
    static const wl_registry_listener listener{
        [](void* data, wl_registry*, std::uint32_t, const char* interface, std::uint32_t version) {
            auto* globals = static_cast<Offered*>(data);
            if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0) {
                globals->layerShell = version;
            } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
                globals->popups = true;
            }
        },
        [](void*, wl_registry*, std::uint32_t) {},
    };
    wl_registry* registry = wl_display_get_registry(display.get());
    wl_registry_add_listener(registry, &listener, &offered);
    wl_display_roundtrip(display.get());
    wl_registry_destroy(registry);
    return offered.popups ? offered.layerShell : 0;
}

}  // namespace quillo
