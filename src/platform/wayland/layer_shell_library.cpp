#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/layer_shell.h"
#include "platform/qt/display_server.h"

namespace quillo {

std::uint32_t offeredLayerShellVersion() {
    std::error_code error;
    const auto folder = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    // Never closed: loading it has registered its plugins with Qt.
    void* library =
        error ? nullptr : dlopen((folder / kLayerShellLibrary).c_str(), RTLD_NOW | RTLD_LOCAL);
    const auto entry =
        library ? reinterpret_cast<LayerShellEntry>(dlsym(library, kLayerShellEntry)) : nullptr;
    if (!entry) {
        std::fprintf(stderr, "quillo: the layer shell cannot be loaded, so XWayland: %s\n",
                     error ? error.message().c_str() : dlerror());
        return 0;
    }
    return entry(forgetDisplayChoice);
}

}  // namespace quillo
