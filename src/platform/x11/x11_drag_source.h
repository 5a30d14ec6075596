#pragma once

#include <memory>

#include "platform/qt/qt_drag_source.h"

namespace quillo {

class XdndSelectionAnswers;

// Qt's drag under X11, with every request for the dragged text answered.
//
// Qt's drag source answers only the requests it can match to its drop, by
// time or by the window it dropped on, and refuses the others: GNOME's
// Wayland session (mutter, for the native programs dropped into) asks from
// windows and with times of its own, and GTK 4 asks with CurrentTime from a
// window it never dropped with; both then get nothing, although the drop
// reports success. While a drag of ours holds XdndSelection, and as long
// after the drop as Qt keeps a drop for its target, any window that asks gets
// TARGETS and the text in each format the drag offers.
class X11DragSource : public QtDragSource {
public:
    X11DragSource();
    ~X11DragSource() override;

    int dragText(NativeWindow window, std::u16string_view text, int allowedEffects) override;

private:
    std::unique_ptr<XdndSelectionAnswers> answers_;
};

}  // namespace quillo
