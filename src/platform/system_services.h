#pragma once

#include <memory>

#include "platform/file_system.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/text_codec.h"

namespace quillo {

// The Qt-free services of the system the program was built for. Which backend
// this is gets decided once, by the build.
struct SystemServices {
    std::unique_ptr<TextCodec> codec;
    std::unique_ptr<FileSystem> files;
    std::unique_ptr<Processes> processes;
    std::unique_ptr<Registry> registry;
};

SystemServices makeSystemServices();

}  // namespace quillo
