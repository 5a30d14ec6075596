#include "forms/scale.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

TEST(FormScale, LayoutInPixelsAt96Dpi) {
    struct Case {
        const char* name;
        UnitRect units;
        PixelRect pixels;
    };
    const Case cases[] = {
        {"box 1", {0, 0, 1700, 200}, {0, 0, 107, 12}},
        {"box 2", {0, 220, 1700, 200}, {0, 13, 107, 12}},
        {"box 10, last of the page", {0, 1980, 1700, 200}, {0, 119, 107, 12}},
        {"scroll bar", {1740, 0, 255, 2200}, {109, 0, 16, 132}},
        {"box 1 scrolled down by 1100", {0, 1100, 1700, 200}, {0, 66, 107, 12}},
        {"box above the top", {0, -220, 1700, 200}, {0, -13, 107, 12}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(toPixels(c.units), c.pixels);
    }
    // The scroll bar's right edge is the design width of the client area: 1875 twips.
    EXPECT_EQ(toPixels({0, 0, 1995, 0}).width, 125);
    EXPECT_EQ(twipsToPixels(2640), 176);
}

}  // namespace
}  // namespace quillo
