#include "mainwindow/form1_layout.h"

#include <cmath>

namespace quillo {

std::int16_t scrollMax(int entryCount) {
    return static_cast<std::int16_t>(std::lround((entryCount / 10.0 - 1) * kScrollStep));
}

}  // namespace quillo
