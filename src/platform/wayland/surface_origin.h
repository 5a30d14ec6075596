#pragma once

#include <QRect>

namespace QtWaylandClient {
class QWaylandWindow;
}

namespace quillo {

// The rectangle of a window's surface on the desktop, in logical pixels: the
// window with the decoration that Qt draws around it (shadows left out).
QRect frameOnDesktop(const QtWaylandClient::QWaylandWindow& window);

}  // namespace quillo
