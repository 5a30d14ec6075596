#pragma once

#include <cstdint>

#include "base/pixel_rect.h"

namespace quillo {

// What a window of ours is to the compositor's layer shell (wlroots'
// zwlr_layer_shell_v1), where Wayland lets no ordinary window place itself.
enum class LayerRole {
    Topmost,  // the main window: above every ordinary window, as HWND_TOPMOST
    Owned,    // a dialog or message box: above the window that owns it
};

// The layer shell's own numbers, as they go on the wire.
enum class Layer : std::uint32_t { Top = 2, Overlay = 3 };
enum class KeyboardInteractivity : std::uint32_t { None = 0, Exclusive = 1, OnDemand = 2 };
enum LayerAnchor : std::uint32_t { kAnchorTop = 1, kAnchorLeft = 4 };

// The state a layer surface asks for: its layer, its corner of the output and
// the margins from it, its size, and how it takes the keyboard.
struct LayerPlacement {
    Layer layer = Layer::Top;
    std::uint32_t anchor = 0;
    int marginTop = 0;
    int marginLeft = 0;
    int width = 0;
    int height = 0;
    int exclusiveZone = 0;
    KeyboardInteractivity keyboard = KeyboardInteractivity::None;
    bool operator==(const LayerPlacement&) const = default;
};

// The layer of a window of `role`, fixed when its surface is made.
Layer layerFor(LayerRole role);

// Where a window of `role` goes so that its frame, decoration included, covers
// `frame` (logical pixels of the desktop) on the output at `output`, under a
// layer shell of `shellVersion`, and whether it asks for the keyboard while
// the pointer is over it, or over a menu of it, or not.
LayerPlacement placeOnLayer(LayerRole role, PixelRect frame, PixelRect output,
                            std::uint32_t shellVersion, bool pointerOver);

}  // namespace quillo
