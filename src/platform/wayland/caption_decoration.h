#pragma once

#include <QtWaylandClient/private/qwaylandabstractdecoration_p.h>

namespace quillo {

// The frame of a window of ours where the compositor draws none
// (platform/caption_frame.h): the caption names the window and its close
// button closes it, as the frame's button does under any window manager. A
// layer surface is neither moved, resized, minimised nor maximised by its
// user, so the frame offers none of that.
class CaptionDecoration : public QtWaylandClient::QWaylandAbstractDecoration {
public:
    QMargins margins(MarginsType type = Full) const override;
    bool handleMouse(QtWaylandClient::QWaylandInputDevice* inputDevice, const QPointF& local,
                     const QPointF& global, Qt::MouseButtons buttons,
                     Qt::KeyboardModifiers modifiers) override;
    bool handleTouch(QtWaylandClient::QWaylandInputDevice* inputDevice, const QPointF& local,
                     const QPointF& global, QEventPoint::State state,
                     Qt::KeyboardModifiers modifiers) override;

protected:
    void paint(QPaintDevice* device) override;

private:
    void showPressed(bool pressed);
    void closeWindow();

    // The left button went down on the close button and is not up yet: as
    // on Windows, the window closes if it comes up there.
    bool closing_ = false;
    bool shownPressed_ = false;
};

}  // namespace quillo
