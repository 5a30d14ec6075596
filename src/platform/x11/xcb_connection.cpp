#include "platform/x11/xcb_connection.h"

#include <QGuiApplication>
#include <cstdint>
#include <cstring>

namespace quillo::xcb {

xcb_connection_t* connectionOf() {
    // Qt's offscreen platform may hold a connection too (for GLX), with none
    // of our windows on it.
    if (!qApp || QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    const auto length = static_cast<std::uint16_t>(std::strlen(name));
    const ReplyPtr<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, length, name), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

}  // namespace quillo::xcb
