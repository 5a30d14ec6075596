#pragma once

#include <QtWaylandClient/private/qwaylandshellsurface_p.h>

#include <QPointer>

#include "qwayland-xdg-shell.h"

namespace quillo {

class LayerSurface;

// A menu, a tooltip, or a message box over a dialog: an xdg_popup of the
// layer surface or of the popup it opens from. Qt 6.4 makes every window
// through one shell integration, so the popups of the layer shell's surfaces
// are made here: Qt's own xdg-shell integration could give them no parent.
class PopupSurface : public QtWaylandClient::QWaylandShellSurface, public QtWayland::xdg_surface {
    Q_OBJECT

public:
    // `parent` is the window it opens from, itself a layer surface or a popup.
    PopupSurface(QtWayland::xdg_wm_base& wm, QtWaylandClient::QWaylandWindow* window,
                 QtWaylandClient::QWaylandWindow* parent);
    ~PopupSurface() override;

    bool isExposed() const override { return configured_; }
    bool handleExpose(const QRegion& region) override;
    void setWindowGeometry(const QRect& rect) override;
    // Qt frames a box, never a menu or a tooltip.
    bool wantsDecorations() const override { return true; }

private:
    class Popup : public QtWayland::xdg_popup {
    public:
        Popup(::xdg_popup* popup, PopupSurface& surface) : xdg_popup(popup), surface_(surface) {}
        ~Popup() override { destroy(); }

    private:
        void xdg_popup_popup_done() override;
        PopupSurface& surface_;
    };

    void xdg_surface_configure(uint32_t serial) override;
    void openFrom(QtWayland::xdg_wm_base& wm, QtWaylandClient::QWaylandWindow& parent);

    QPointer<QtWaylandClient::QWaylandWindow> parent_;
    std::unique_ptr<Popup> popup_;
    bool configured_ = false;
};

}  // namespace quillo
