#include "platform/frame_extents.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

TEST(FrameExtents, ClientRectLeavesTheFrameAtTheFormsRectangle) {
    const DeviceRect form{1002, 150, 198, 264};  // at 150%
    const struct {
        const char* name;
        FrameExtents extents;
        DeviceRect client;
    } cases[] = {
        {"no window manager", {}, form},
        {"Openbox", {1, 1, 20, 1}, {1003, 170, 196, 243}},
        {"a frame as large as the window", {99, 99, 20, 1}, form},
        {"a negative extent", {-1, 1, 20, 1}, form},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(clientRectFor(form, c.extents), c.client);
    }
    EXPECT_EQ(toDevicePixels({668, 100, 132, 176}, 1.5), form);
}

TEST(FrameExtents, ReadFromTheFourCardinalsOnly) {
    const std::uint32_t openbox[] = {1, 1, 20, 1};
    const std::uint32_t wrapped[] = {1, 0xFFFFFFFF, 20, 1};
    EXPECT_EQ(frameExtentsFromProperty(openbox, 4), (FrameExtents{1, 1, 20, 1}));
    EXPECT_FALSE(frameExtentsFromProperty(openbox, 3));
    EXPECT_FALSE(frameExtentsFromProperty(wrapped, 4));
}

}  // namespace
}  // namespace quillo
