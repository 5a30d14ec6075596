#include "platform/wayland/popup_surface.h"

#include <QtWaylandClient/private/qwaylanddisplay_p.h>
#include <QtWaylandClient/private/qwaylandinputdevice_p.h>
#include <QtWaylandClient/private/qwaylandwindow_p.h>

#include <QRegion>
#include <QWindow>

#include "platform/wayland/last_frame.h"
#include "platform/wayland/layer_surface.h"
#include "platform/wayland/surface_origin.h"

namespace quillo {

using QtWaylandClient::QWaylandWindow;

PopupSurface::PopupSurface(QtWayland::xdg_wm_base& wm, QWaylandWindow* window,
                           QWaylandWindow* parent)
    : QWaylandShellSurface(window),
      xdg_surface(wm.get_xdg_surface(window->wlSurface())),
      parent_(parent) {
    openFrom(wm, *parent);
}

PopupSurface::~PopupSurface() {
    // While the popup is on the output, the compositor answers its frames.
    awaitLastFrame(*window());
    popup_.reset();
    destroy();
    if (!parent_) return;
    parent_->removeChildPopup(window());
    if (auto* layer = qobject_cast<LayerSurface*>(parent_->shellSurface())) layer->popupClosed();
}

void PopupSurface::openFrom(QtWayland::xdg_wm_base& wm, QWaylandWindow& parent) {
    const Qt::WindowType type = window()->window()->type();
    // A message box is framed as its dialog is, but Qt draws the frame only
    // once this surface is made: it is reckoned with already, from the dialog.
    const bool framed = type != Qt::Popup && type != Qt::ToolTip;
    const QMargins frame = framed ? parent.frameMargins() : QMargins();
    const QPoint origin = window()->geometry().topLeft() - QPoint(frame.left(), frame.top());
    const QSize size = window()->windowContentGeometry().size() +
                       QSize(frame.left() + frame.right(), frame.top() + frame.bottom());

    // Placed as Qt places it: its offset from the parent's surface, with the
    // compositor free to slide or flip it back onto the output.
    QtWayland::xdg_positioner positioner(wm.create_positioner());
    const QPoint offset = origin - frameOnDesktop(parent).topLeft();
    positioner.set_anchor_rect(offset.x(), offset.y(), 1, 1);
    positioner.set_anchor(QtWayland::xdg_positioner::anchor_top_left);
    positioner.set_gravity(QtWayland::xdg_positioner::gravity_bottom_right);
    positioner.set_size(size.width(), size.height());
    positioner.set_constraint_adjustment(QtWayland::xdg_positioner::constraint_adjustment_slide_x |
                                         QtWayland::xdg_positioner::constraint_adjustment_slide_y |
                                         QtWayland::xdg_positioner::constraint_adjustment_flip_x |
                                         QtWayland::xdg_positioner::constraint_adjustment_flip_y);

    auto* parentPopup = qobject_cast<PopupSurface*>(parent.shellSurface());
    popup_ = std::make_unique<Popup>(
        get_popup(parentPopup ? parentPopup->object() : nullptr, positioner.object()), *this);
    positioner.destroy();
    // A popup of a layer surface is given its parent by the layer shell.
    if (auto* layer = qobject_cast<LayerSurface*>(parent.shellSurface())) {
        layer->get_popup(popup_->object());
        layer->popupOpened();
    }
    parent.addChildPopup(window());

    // A menu or a box takes the pointer and the keyboard until it closes; a
    // click elsewhere closes it, as Esc would.
    QtWaylandClient::QWaylandDisplay* display = window()->display();
    if (type != Qt::ToolTip && display->lastInputDevice()) {
        popup_->grab(display->lastInputDevice()->wl_seat(), display->lastInputSerial());
    }
}

bool PopupSurface::handleExpose(const QRegion& region) {
    return !configured_ && !region.isEmpty();
}

void PopupSurface::setWindowGeometry(const QRect& rect) {
    set_window_geometry(rect.x(), rect.y(), rect.width(), rect.height());
}

void PopupSurface::xdg_surface_configure(uint32_t serial) {
    ack_configure(serial);
    if (configured_) return;
    configured_ = true;
    window()->handleExpose(QRect(QPoint(), window()->geometry().size()));
}

void PopupSurface::Popup::xdg_popup_popup_done() {
    surface_.window()->window()->close();
}

}  // namespace quillo
