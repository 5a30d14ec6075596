#include "platform/wayland/last_frame.h"

#include <QtWaylandClient/private/qwaylandwindow_p.h>

namespace quillo {

void awaitLastFrame(QtWaylandClient::QWaylandWindow& window) {
    // A surface on the output is answered within a frame; the bound is for a
    // compositor that stops answering, an output switched off, say. No frame
    // waiting, no wait.
    constexpr int kBoundMs = 500;
    window.waitForFrameSync(kBoundMs);
}

}  // namespace quillo
