#pragma once

#include <memory>

#include "platform/window_system.h"

namespace quillo {

// The window system of the platform the program was built for.
std::unique_ptr<WindowSystem> makeWindowSystem();

}  // namespace quillo
