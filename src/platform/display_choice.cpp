#include "platform/display_choice.h"

namespace quillo {

DisplayServer chooseDisplayServer(const DisplaySession& session,
                                  const std::function<std::uint32_t()>& layerShellVersion) {
    if (session.platformNamed) return DisplayServer::AsStarted;
    const bool wayland = session.waylandSession || session.waylandDisplay;
    if (wayland && layerShellVersion() > 0) return DisplayServer::WaylandLayerShell;
    // Elsewhere (GNOME's mutter) Wayland lets no client place itself;
    // XWayland does.
    if (session.waylandSession && session.x11Display) return DisplayServer::X11;
    return DisplayServer::AsStarted;
}

}  // namespace quillo
