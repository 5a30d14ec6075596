#pragma once

#include <memory>

#include "platform/drag_source.h"
#include "platform/window_system.h"

namespace quillo {

// The window system of the platform the program was built for.
std::unique_ptr<WindowSystem> makeWindowSystem();
// The drag source of that window system.
std::unique_ptr<DragSource> makeDragSource();

}  // namespace quillo
