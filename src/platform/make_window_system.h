#pragma once

#include <memory>

#include "platform/window_system.h"

namespace quillo {

// The window system of the platform the program was built for. Call it once
// the application object exists: on Windows it depends on the Qt platform.
std::unique_ptr<WindowSystem> makeWindowSystem();

}  // namespace quillo
