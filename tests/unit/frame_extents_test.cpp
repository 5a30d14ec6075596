#include "platform/frame_extents.h"

#include <gtest/gtest.h>

#include <vector>

namespace quillo {
namespace {

TEST(FrameExtents, ClientRectLeavesTheFrameAtTheFormsRectangle) {
    struct Case {
        const char* name;
        ScreenRect outer;
        FrameExtents extents;
        ScreenRect client;
    };
    const Case cases[] = {
        {"no window manager", {668, 100, 132, 176}, {}, {668, 100, 132, 176}},
        {"Openbox at 100%", {668, 100, 132, 176}, {1, 1, 20, 1}, {669, 120, 130, 155}},
        {"Openbox at 150%", {1002, 150, 198, 264}, {1, 1, 20, 1}, {1003, 170, 196, 243}},
        {"a frame as large as the window",
         {668, 100, 132, 176},
         {66, 66, 20, 1},
         {668, 100, 132, 176}},
        {"a negative extent", {668, 100, 132, 176}, {-1, 1, 20, 1}, {668, 100, 132, 176}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(clientRectFor(c.outer, c.extents), c.client);
    }
}

TEST(FrameExtents, ReadFromTheFourCardinalsOnly) {
    const std::vector<std::uint32_t> openbox{1, 1, 20, 1};
    EXPECT_EQ(frameExtentsFromProperty(openbox.data(), 4), (FrameExtents{1, 1, 20, 1}));
    EXPECT_FALSE(frameExtentsFromProperty(openbox.data(), 3));
    EXPECT_FALSE(frameExtentsFromProperty(nullptr, 0));
    const std::vector<std::uint32_t> wrapped{1, 0xFFFFFFFF, 20, 1};
    EXPECT_FALSE(frameExtentsFromProperty(wrapped.data(), 4));
}

TEST(FrameExtents, DevicePixelsAtTheScreensScale) {
    EXPECT_EQ(toDevicePixels({668, 100, 132, 176}, 1.0), (ScreenRect{668, 100, 132, 176}));
    EXPECT_EQ(toDevicePixels({668, 100, 132, 176}, 1.5), (ScreenRect{1002, 150, 198, 264}));
    EXPECT_EQ(toDevicePixels({668, 100, 132, 176}, 1.25), (ScreenRect{835, 125, 165, 220}));
}

}  // namespace
}  // namespace quillo
