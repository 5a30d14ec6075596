#include "platform/layer_placement.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

TEST(LayerPlacement, TheFrameCoversTheFormsRectangleOnItsOutput) {
    using enum KeyboardInteractivity;
    constexpr std::uint32_t corner = kAnchorTop | kAnchorLeft;
    const PixelRect form{668, 100, 132, 176};
    const PixelRect output{0, 0, 1024, 768};
    const struct {
        const char* name;
        LayerRole role;
        PixelRect frame;
        PixelRect output;
        std::uint32_t version;
        LayerPlacement placed;
    } cases[] = {
        {"main window, sway",
         LayerRole::Topmost,
         form,
         output,
         4,
         {Layer::Top, corner, 100, 668, 132, 176, -1, OnDemand}},
        {"main window, KWin 5.27",
         LayerRole::Topmost,
         form,
         output,
         3,
         {Layer::Top, corner, 100, 668, 132, 176, -1, Exclusive}},
        {"main window, second output",
         LayerRole::Topmost,
         {1692, 100, 132, 176},
         {1024, 0, 1280, 1024},
         4,
         {Layer::Top, corner, 100, 668, 132, 176, -1, OnDemand}},
        {"help dialog over it",
         LayerRole::Owned,
         {572, 51, 318, 213},
         output,
         4,
         {Layer::Overlay, corner, 51, 572, 318, 213, -1, Exclusive}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(placeOnLayer(c.role, c.frame, c.output, c.version), c.placed);
    }
}

}  // namespace
}  // namespace quillo
