#pragma once

#include <cstdint>

namespace quillo {

// The version of zwlr_layer_shell_v1 that the compositor of WAYLAND_DISPLAY
// offers, 0 for none (or no xdg-shell for the popups, or no compositor).
std::uint32_t layerShellOnDisplay();

}  // namespace quillo
