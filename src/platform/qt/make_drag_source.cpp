#include "platform/make_drag_source.h"

#include "platform/qt/qt_drag_source.h"

namespace quillo {

// Qt's own drag, wherever X11 needs no more of it.
std::unique_ptr<DragSource> makeDragSource() {
    return makeQtDragSource();
}

}  // namespace quillo
