#include "platform/system_services.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_text_codec.h"

namespace quillo {

SystemServices makeSystemServices() {
    SystemServices services;
    services.codec = std::make_unique<Win32TextCodec>();
    services.files = std::make_unique<Win32FileSystem>();
    services.processes = std::make_unique<Win32Processes>();
    services.registry = std::make_unique<Win32Registry>();
    return services;
}

}  // namespace quillo
