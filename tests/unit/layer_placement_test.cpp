#include "platform/layer_placement.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

TEST(LayerPlacement, TheFrameCoversTheFormsRectangleOnItsOutput) {
    using enum LayerRole;
    using enum Layer;
    using enum KeyboardInteractivity;
    const PixelRect form{668, 100, 132, 176};
    const PixelRect dialog{572, 51, 318, 213};
    const PixelRect screen{0, 0, 1024, 768};
    const PixelRect second{1024, 0, 1280, 1024};
    const PixelRect onSecond{1692, 100, 132, 176};
    const struct {
        const char* name;
        LayerRole role;
        PixelRect frame;
        PixelRect output;
        std::uint32_t version;
        bool pointerOver;
        Layer layer;
        int marginTop;
        int marginLeft;
        KeyboardInteractivity keyboard;
    } cases[] = {
        {"main window, sway", Topmost, form, screen, 4, false, Top, 100, 668, None},
        {"main window, sway, pointer over it", Topmost, form, screen, 4, true, Top, 100, 668,
         OnDemand},
        {"main window, KWin 5.27", Topmost, form, screen, 3, false, Top, 100, 668, Exclusive},
        {"main window, second output", Topmost, onSecond, second, 4, true, Top, 100, 668, OnDemand},
        {"help dialog over it", Owned, dialog, screen, 4, false, Overlay, 51, 572, Exclusive},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Anchored to the output's top left corner, no exclusive zone.
        const LayerPlacement placed{
            c.layer,       kAnchorTop | kAnchorLeft, c.marginTop, c.marginLeft,
            c.frame.width, c.frame.height,           -1,          c.keyboard};
        EXPECT_EQ(placeOnLayer(c.role, c.frame, c.output, c.version, c.pointerOver), placed);
    }
}

}  // namespace
}  // namespace quillo
