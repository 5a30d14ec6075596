#pragma once

#include <cstdint>

namespace quillo {

// The key by which Qt's Wayland client finds the program's own shell
// integration for wlroots' layer shell (QT_WAYLAND_SHELL_INTEGRATION);
// wayland/layer_shell.json names it too.
constexpr char kLayerShellKey[] = "quillo-layer-shell";

// The key of the frame the program draws around its windows there
// (QT_WAYLAND_DECORATION); wayland/caption_decoration.json names it too.
constexpr char kCaptionDecorationKey[] = "quillo-caption";

// The version of zwlr_layer_shell_v1 that the Wayland compositor offers: 0
// when it offers none (or no xdg-shell for the popups), when no compositor
// answers, or when the program was built without the integration.
std::uint32_t offeredLayerShellVersion();

// The integration is a library beside the program, loaded only when a Wayland
// session asks for it: linked in, Qt's Wayland client and the libraries under
// it would be loaded and relocated at every start under X11 too, about 4% of a
// bare Qt window's start-up. Its one entry point answers as
// offeredLayerShellVersion does, and keeps `choiceRead` to call once Qt has
// read the variables that chose it; loading it registers its Qt plugins.
constexpr char kLayerShellLibrary[] = "libquillo_wayland.so";
constexpr char kLayerShellEntry[] = "quillo_offered_layer_shell_version";
using LayerShellEntry = std::uint32_t (*)(void (*choiceRead)());

}  // namespace quillo
