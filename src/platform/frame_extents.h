#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/window_system.h"

namespace quillo {

// What a window manager's frame adds on each side of a window, in device
// pixels: the caption above, the borders around.
struct FrameExtents {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
    bool operator==(const FrameExtents&) const = default;
};

// The extents from the four cardinals of _NET_FRAME_EXTENTS (left, right, top,
// bottom); nothing when the property is not that.
std::optional<FrameExtents> frameExtentsFromProperty(const std::uint32_t* values,
                                                     std::size_t count);

// Where the client goes so that a frame of `extents` covers exactly `outer`.
// A frame that would leave no client area is not believed: the client then
// takes all of `outer`, as it does with no frame at all.
DeviceRect clientRectFor(DeviceRect outer, FrameExtents extents);

// A rectangle of logical pixels in device pixels, for a scale factor such as
// 1.5; edges are rounded, so that neighbours still touch.
DeviceRect toDevicePixels(PixelRect logical, double factor);

}  // namespace quillo
