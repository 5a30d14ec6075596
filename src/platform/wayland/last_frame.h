#pragma once

namespace QtWaylandClient {
class QWaylandWindow;
}

namespace quillo {

// Waits for the compositor to answer the window's last frame before its
// surface goes. Qt 6.4's Wayland client takes that answer on a thread of its
// own and drops the callback there without a lock, while a window that goes
// destroys the callback it still holds: when the two meet, libwayland aborts
// the program (wl_proxy_unref's assertion). A menu closed by the click that
// repainted it meets it now and then, more often on a loaded machine. Once
// the answer is taken, the window holds no callback. Later Qt locks both.
void awaitLastFrame(QtWaylandClient::QWaylandWindow& window);

}  // namespace quillo
