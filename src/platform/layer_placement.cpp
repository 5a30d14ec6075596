#include "platform/layer_placement.h"

namespace quillo {
namespace {

// Keyboard focus on demand came with version 4 of the layer shell.
constexpr std::uint32_t kOnDemandSince = 4;

KeyboardInteractivity keyboardFor(LayerRole role, std::uint32_t shellVersion, bool pointerOver) {
    // A modal box takes the keyboard while it is open, as on Windows.
    if (role == LayerRole::Owned) return KeyboardInteractivity::Exclusive;
    // The main window takes it when the user clicks into it, and gives it back
    // when the user clicks elsewhere. Before version 4 only KWin offers the
    // layer shell here (5.27 offers version 3), and KWin gives an "exclusive"
    // surface of the top layer the keyboard by those same clicks.
    if (shellVersion < kOnDemandSince) return KeyboardInteractivity::Exclusive;
    // On demand, but only while the pointer is over it: sway 1.7 gives such a
    // surface the keyboard when it appears, and keeps it there through clicks
    // into other windows until the surface stops asking for it; the text
    // dropped into an editor could not be typed on.
    return pointerOver ? KeyboardInteractivity::OnDemand : KeyboardInteractivity::None;
}

}  // namespace

Layer layerFor(LayerRole role) {
    return role == LayerRole::Topmost ? Layer::Top : Layer::Overlay;
}

LayerPlacement placeOnLayer(LayerRole role, PixelRect frame, PixelRect output,
                            std::uint32_t shellVersion, bool pointerOver) {
    LayerPlacement placement;
    placement.layer = layerFor(role);
    // Anchored to the output's top left corner, the margins are the frame's
    // place on the output, as SetWindowPos takes screen coordinates.
    placement.anchor = kAnchorTop | kAnchorLeft;
    placement.marginTop = frame.y - output.y;
    placement.marginLeft = frame.x - output.x;
    placement.width = frame.width;
    placement.height = frame.height;
    // Nothing is reserved for us, and panels do not push us off our place:
    // Windows places a topmost window at its coordinates, taskbar or not.
    placement.exclusiveZone = -1;
    placement.keyboard = keyboardFor(role, shellVersion, pointerOver);
    return placement;
}

}  // namespace quillo
