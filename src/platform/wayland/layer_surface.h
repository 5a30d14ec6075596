#pragma once

#include <QtWaylandClient/private/qwaylandshellsurface_p.h>

#include <QSize>
#include <optional>

#include "platform/layer_placement.h"
#include "qwayland-wlr-layer-shell-unstable-v1.h"

namespace quillo {

// A window of ours as a surface of the layer shell. It goes where Qt places
// the window, its decoration included, so the window system's placement and
// Qt's own placement of dialogs over their owner work as on any platform.
class LayerSurface : public QtWaylandClient::QWaylandShellSurface,
                     public QtWayland::zwlr_layer_surface_v1 {
    Q_OBJECT

public:
    LayerSurface(QtWayland::zwlr_layer_shell_v1& shell, QtWaylandClient::QWaylandWindow* window,
                 LayerRole role);
    ~LayerSurface() override;

    LayerRole role() const { return role_; }
    // A menu of the window keeps the keyboard for it while open; it may
    // close with the pointer elsewhere.
    void popupOpened() { ++openPopups_; }
    void popupClosed() {
        --openPopups_;
        place();
    }

    // Qt's buffers wait while a new size is asked for and not yet answered:
    // KWin 5.27 answers nothing when a buffer of that size comes first.
    bool isExposed() const override { return configured_ && !awaitingSize_; }
    bool handleExpose(const QRegion& region) override;
    void applyConfigure() override;
    // No compositor frames a layer surface: the program draws the caption and
    // the close button itself (caption_decoration.h).
    bool wantsDecorations() const override { return true; }
    void setWindowGeometry(const QRect&) override { place(); }
    // Qt asks for the window's states last when it makes the window, after
    // its frame and before the surface's first commit: the first size asked
    // for is then the frame's, and the compositor's first configure is final.
    void requestWindowStates(Qt::WindowStates) override { place(); }
    void setWindowPosition(const QPoint&) override { place(); }

private:
    void zwlr_layer_surface_v1_configure(uint32_t serial, uint32_t width, uint32_t height) override;
    void zwlr_layer_surface_v1_closed() override;
    // Follows the pointer into and out of the window.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void place();

    LayerRole role_;
    std::uint32_t shellVersion_;
    std::optional<LayerPlacement> placed_;
    bool configured_ = false;
    bool awaitingSize_ = false;
    bool pointerOver_ = false;
    int openPopups_ = 0;
    QSize configuredSize_;
};

}  // namespace quillo
