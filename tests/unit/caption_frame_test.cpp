#include "platform/caption_frame.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

// The main window's frame is 132 x 176, as Openbox frames it: a 20 px caption
// with its top border, 1 px at the sides and bottom, the client 130 x 155.
TEST(CaptionFrame, WhatLiesUnderEachPointOfTheFrame) {
    using enum FramePart;
    const struct {
        int width, height, x, y;
        FramePart part;
    } cases[] = {
        {132, 176, 66, 0, Border},        {132, 176, 131, 88, Border},
        {132, 176, 140, 10, Border},      {132, 176, 66, 19, Caption},
        {132, 176, 104, 10, Caption},     {132, 176, 105, 1, CloseButton},
        {132, 176, 130, 19, CloseButton}, {132, 176, 1, 20, Content},
        {132, 176, 120, 20, Content},     {314, 201, 287, 10, CloseButton},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " wide, at " << c.x << ", " << c.y);
        EXPECT_EQ(framePartAt(c.width, c.height, c.x, c.y), c.part);
    }
}

}  // namespace
}  // namespace quillo
