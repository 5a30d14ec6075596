#pragma once

#include "platform/drag_source.h"

class QMimeData;

namespace quillo {

// Qt's own drag (OLE's DoDragDrop on Windows, XDND under X11).
class QtDragSource : public DragSource {
public:
    int dragText(NativeWindow window, std::u16string_view text, int allowedEffects) override;

protected:
    // Runs the drag of `data`, which Qt then owns, until the drop.
    static int exec(NativeWindow window, QMimeData* data, int allowedEffects);
};

}  // namespace quillo
