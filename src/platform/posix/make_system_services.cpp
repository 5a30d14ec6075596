#include "platform/posix/iconv_codec.h"
#include "platform/posix/no_registry.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/xdg_processes.h"
#include "platform/system_services.h"

namespace quillo {

SystemServices makeSystemServices() {
    SystemServices services;
    services.codec = std::make_unique<IconvCodec>();
    services.files = std::make_unique<PosixFileSystem>();
    services.processes = std::make_unique<XdgProcesses>();
    services.registry = std::make_unique<NoRegistry>();
    return services;
}

}  // namespace quillo
