#include "platform/wayland/surface_origin.h"

#include <QtWaylandClient/private/qwaylandwindow_p.h>

namespace quillo {

QRect frameOnDesktop(const QtWaylandClient::QWaylandWindow& window) {
    // Qt's geometry is the client area's; the surface begins where the
    // decoration does, and its content geometry leaves out the shadows.
    const QMargins margins = window.frameMargins();
    const QRect content = window.windowContentGeometry();
    const QPoint surface = window.geometry().topLeft() - QPoint(margins.left(), margins.top());
    return QRect(surface + content.topLeft(), content.size());
}

}  // namespace quillo
