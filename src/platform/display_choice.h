#pragma once

#include <cstdint>
#include <functional>

namespace quillo {

// The display server that Qt is asked for at start-up.
enum class DisplayServer {
    AsStarted,          // whatever Qt chooses, or the user named (QT_QPA_PLATFORM)
    X11,                // XWayland, where a window may place itself and stay on top
    WaylandLayerShell,  // Wayland itself, each window a surface of the layer shell
};

// What the environment tells of the session the program starts in.
struct DisplaySession {
    bool platformNamed = false;   // QT_QPA_PLATFORM is set
    bool waylandSession = false;  // XDG_SESSION_TYPE is "wayland"
    bool waylandDisplay = false;  // WAYLAND_DISPLAY is set
    bool x11Display = false;      // DISPLAY is set
};

// Chosen once, before the application object starts. A Wayland compositor is
// asked, through `layerShellVersion`, which version of zwlr_layer_shell_v1 it
// offers (0 for none, or when the program was built without the layer shell)
// only when the session is a Wayland one and nobody named a platform.
DisplayServer chooseDisplayServer(const DisplaySession& session,
                                  const std::function<std::uint32_t()>& layerShellVersion);

}  // namespace quillo
