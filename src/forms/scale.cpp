#include "forms/scale.h"

#include <cmath>

namespace quillo {
namespace {

int pixelsX(double units) {
    return static_cast<int>(std::lround(units * kUnitTwipsX / kTwipsPerPixel));
}
int pixelsY(double units) {
    return static_cast<int>(std::lround(units * kUnitTwipsY / kTwipsPerPixel));
}

}  // namespace

PixelRect toPixels(UnitRect units) {
    const int x = pixelsX(units.left);
    const int y = pixelsY(units.top);
    return {x, y, pixelsX(units.left + units.width) - x, pixelsY(units.top + units.height) - y};
}

int twipsToPixels(int twips) {
    return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

}  // namespace quillo
