#include "platform/x11/x11_window_system.h"

#include <xcb/xcb.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QRect>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "platform/x11/xcb_connection.h"

namespace quillo {
namespace {

using xcb::atom;
using xcb::connectionOf;
using xcb::ReplyPtr;

// How long the window manager may take to tell its frame before the window is
// shown without knowing it. One that answers does so within milliseconds; one
// that tells it later has the window placed again then, so a long wait would
// only delay the window.
constexpr std::chrono::milliseconds kExtentsTimeout{100};

// The values of a property of 32-bit items, empty when it is missing or of
// another type.
std::vector<std::uint32_t> property32(xcb_connection_t* c, xcb_window_t window, xcb_atom_t name,
                                      xcb_atom_t type) {
    const ReplyPtr<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, 1024), nullptr));
    if (!reply || reply->format != 32 || reply->type != type) return {};
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return {values, values + xcb_get_property_value_length(reply.get()) / 4};
}

xcb_window_t rootOf(xcb_connection_t* c, xcb_window_t window) {
    const ReplyPtr<xcb_get_geometry_reply_t> reply(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    return reply ? reply->root : xcb_window_t{XCB_WINDOW_NONE};
}

// Whether a window manager runs that answers _NET_REQUEST_FRAME_EXTENTS: one
// that runs names a window on the root that names itself again.
bool managerAnswersExtents(xcb_connection_t* c, xcb_window_t root) {
    const xcb_atom_t check = atom(c, "_NET_SUPPORTING_WM_CHECK");
    const auto named = property32(c, root, check, XCB_ATOM_WINDOW);
    if (named.size() != 1 || property32(c, named[0], check, XCB_ATOM_WINDOW) != named) {
        return false;
    }
    const auto supported = property32(c, root, atom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM);
    const xcb_atom_t request = atom(c, "_NET_REQUEST_FRAME_EXTENTS");
    return std::find(supported.begin(), supported.end(), request) != supported.end();
}

// Asks the window manager, before the window is mapped, how large the frame
// will be. Qt's own thread reads the connection's events, so the answer, a
// property on the window, is polled for.
std::optional<FrameExtents> requestFrameExtents(xcb_connection_t* c, xcb_window_t window) {
    const xcb_window_t root = rootOf(c, window);
    if (root == XCB_WINDOW_NONE || !managerAnswersExtents(c, root)) return std::nullopt;
    xcb_client_message_event_t request{};
    request.response_type = XCB_CLIENT_MESSAGE;
    request.format = 32;
    request.window = window;
    request.type = atom(c, "_NET_REQUEST_FRAME_EXTENTS");
    xcb_send_event(c, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&request));
    xcb_flush(c);
    const xcb_atom_t extents = atom(c, "_NET_FRAME_EXTENTS");
    const auto deadline = std::chrono::steady_clock::now() + kExtentsTimeout;
    do {
        const auto values = property32(c, window, extents, XCB_ATOM_CARDINAL);
        if (!values.empty()) return frameExtentsFromProperty(values.data(), values.size());
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } while (std::chrono::steady_clock::now() < deadline);
    return std::nullopt;
}

// WM_NORMAL_HINTS, as ICCCM lays it out.
enum SizeHint : std::uint32_t {
    kUserPosition = 1,
    kUserSize = 2,
    kMinSize = 16,
    kMaxSize = 32,
    kResizeIncrement = 64,
    kGravity = 512,
};
constexpr std::size_t kSizeHintItems = 18;
constexpr std::size_t kGravityItem = 17;

// Places the client in device pixels, which Qt's logical ones cannot always
// give at a fractional scale, and fixes its size there: Qt's hints would
// round it (and at 150% ask for even sizes only).
void placeNatively(xcb_connection_t* c, xcb_window_t window, DeviceRect client) {
    std::vector<std::uint32_t> hints =
        property32(c, window, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS);
    hints.resize(kSizeHintItems, 0);
    hints[0] =
        (hints[0] & ~kResizeIncrement) | kUserPosition | kUserSize | kMinSize | kMaxSize | kGravity;
    const auto width = static_cast<std::uint32_t>(client.width);
    const auto height = static_cast<std::uint32_t>(client.height);
    const std::uint32_t place[] = {static_cast<std::uint32_t>(client.x),
                                   static_cast<std::uint32_t>(client.y), width, height};
    std::copy(std::begin(place), std::end(place), hints.begin() + 1);
    hints[5] = hints[7] = width;
    hints[6] = hints[8] = height;
    // Static: the position is the client's, wherever the frame then goes.
    hints[kGravityItem] = XCB_GRAVITY_STATIC;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NORMAL_HINTS,
                        XCB_ATOM_WM_SIZE_HINTS, 32, kSizeHintItems, hints.data());
    xcb_configure_window(c, window,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT,
                         place);
    xcb_flush(c);
}

// Qt's own idea of a rectangle as near as logical pixels come, so that it asks
// for nothing else.
QRect toLogical(DeviceRect device, double scale) {
    const auto logical = [scale](int pixels) {
        return static_cast<int>(std::lround(pixels / scale));
    };
    return {logical(device.x), logical(device.y), logical(device.width), logical(device.height)};
}

}  // namespace

X11WindowSystem::~X11WindowSystem() {
    if (watched_ && qApp) qApp->removeNativeEventFilter(this);
}

void X11WindowSystem::placeTopmost(NativeWindow window, PixelRect outer) {
    QWidget* widget = QWidget::find(static_cast<WId>(window));
    xcb_connection_t* c = connectionOf();
    if (!widget || !c) {
        QtWindowSystem::placeTopmost(window, outer);
        return;
    }
    // The frame of a window that can be resized has a grip more: the size is
    // fixed before the window manager is asked.
    widget->setFixedSize(outer.width, outer.height);
    outer_ = outer;
    scale_ = widget->windowHandle() ? widget->windowHandle()->devicePixelRatio() : 1.0;
    extents_ = requestFrameExtents(c, static_cast<xcb_window_t>(window));
    if (extents_ && widget->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        setMainWindow(window);
        placeClient(window);
    } else {
        extents_.reset();
        QtWindowSystem::placeTopmost(window, outer);
    }
    watchFrame(window);
}

void X11WindowSystem::setOuterHeight(NativeWindow window, int height) {
    outer_.height = height;
    if (!extents_) {
        QtWindowSystem::setOuterHeight(window, height);
        return;
    }
    placeClient(window);
}

void X11WindowSystem::prepareDialog(NativeWindow dialog) {
    // A window manager that keeps windows in layers need not put a dialog in
    // the layer of its owner: the dialog of an owner kept on top asks to be
    // kept on top too, as Windows keeps it.
    QWidget* widget = QWidget::find(static_cast<WId>(dialog));
    const QWidget* owner =
        widget && widget->parentWidget() ? widget->parentWidget()->window() : nullptr;
    if (owner && owner->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        widget->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }
}

void X11WindowSystem::placeClient(NativeWindow window) {
    QWidget* widget = QWidget::find(static_cast<WId>(window));
    xcb_connection_t* c = connectionOf();
    if (!widget || !c) return;
    const DeviceRect client = clientRectFor(toDevicePixels(outer_, scale_), *extents_);
    // Qt gets the window as near as it can hold it, the X server exactly.
    const QRect logical = toLogical(client, scale_);
    widget->setFixedSize(logical.size());
    widget->setGeometry(logical);
    widget->show();
    placeNatively(c, static_cast<xcb_window_t>(window), client);
}

// Some window managers (Fluxbox, FVWM) tell their frame only once they have
// framed the window, and any may frame it anew: the window is placed again
// whenever the frame it stands in changes. Qt already selects property changes
// on its windows, and reads the events on a thread of its own, so they are
// heard here, on the way to Qt.
void X11WindowSystem::watchFrame(NativeWindow window) {
    if (!watched_) qApp->installNativeEventFilter(this);
    watched_ = window;
    extentsAtom_ = atom(connectionOf(), "_NET_FRAME_EXTENTS");
    // Told while the window was being shown, the frame was not heard of.
    frameChanged();
}

bool X11WindowSystem::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != QByteArrayLiteral("xcb_generic_event_t")) return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != XCB_PROPERTY_NOTIFY) return false;
    const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
    if (notify->window == watched_ && notify->atom == extentsAtom_) {
        // Placed once Qt is done with the event, not in the middle of it.
        QMetaObject::invokeMethod(
            qApp, [this] { frameChanged(); }, Qt::QueuedConnection);
    }
    return false;
}

void X11WindowSystem::frameChanged() {
    xcb_connection_t* c = connectionOf();
    if (!c || !watched_) return;
    const auto values =
        property32(c, static_cast<xcb_window_t>(watched_), extentsAtom_, XCB_ATOM_CARDINAL);
    const auto extents = frameExtentsFromProperty(values.data(), values.size());
    // A frame like the one placed for needs nothing; the window manager may
    // say so again each time it frames the window, and the window moves once.
    if (!extents || extents == extents_) return;
    extents_ = extents;
    placeClient(watched_);
}

}  // namespace quillo
