#pragma once

#include <memory>

#include "platform/drag_source.h"

namespace quillo {

// The drag source of the window system the program was built for.
std::unique_ptr<DragSource> makeDragSource();

}  // namespace quillo
