#include "platform/frame_extents.h"

#include <cmath>
#include <limits>

namespace quillo {
namespace {

int roundToInt(double value) {
    return static_cast<int>(std::lround(value));
}

}  // namespace

std::optional<FrameExtents> frameExtentsFromProperty(const std::uint32_t* values,
                                                     std::size_t count) {
    if (!values || count != 4) return std::nullopt;
    // Cardinals: a value past the int range would turn negative.
    constexpr auto kMax = static_cast<std::uint32_t>(std::numeric_limits<int>::max());
    for (std::size_t i = 0; i < count; ++i) {
        if (values[i] > kMax) return std::nullopt;
    }
    return FrameExtents{static_cast<int>(values[0]), static_cast<int>(values[1]),
                        static_cast<int>(values[2]), static_cast<int>(values[3])};
}

DeviceRect clientRectFor(DeviceRect outer, FrameExtents extents) {
    const long long width = 0LL + outer.width - extents.left - extents.right;
    const long long height = 0LL + outer.height - extents.top - extents.bottom;
    if (extents.left < 0 || extents.right < 0 || extents.top < 0 || extents.bottom < 0 ||
        width < 1 || height < 1) {
        return outer;
    }
    return {outer.x + extents.left, outer.y + extents.top, static_cast<int>(width),
            static_cast<int>(height)};
}

DeviceRect toDevicePixels(PixelRect logical, double factor) {
    const int left = roundToInt(logical.x * factor);
    const int top = roundToInt(logical.y * factor);
    return {left, top, roundToInt((logical.x + logical.width) * factor) - left,
            roundToInt((logical.y + logical.height) * factor) - top};
}

}  // namespace quillo
