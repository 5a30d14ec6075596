#pragma once

#include "platform/drag_source.h"
#include "platform/file_system.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/text_codec.h"
#include "platform/window_system.h"

namespace quillo {

// Everything the forms ask of the system, handed to them by main() or a test.
struct Platform {
    TextCodec& codec;
    FileSystem& files;
    Processes& processes;
    Registry& registry;
    WindowSystem& windows;
    DragSource& drags;
};

}  // namespace quillo
