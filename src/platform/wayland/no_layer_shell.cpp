#include "platform/layer_shell.h"

namespace quillo {

// Built without the integration: whatever the compositor offers, Quillo keeps
// to XWayland there.
std::uint32_t offeredLayerShellVersion() {
    return 0;
}

}  // namespace quillo
