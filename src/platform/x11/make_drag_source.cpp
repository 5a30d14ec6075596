#include "platform/make_drag_source.h"

#include "platform/qt/qt_drag_source.h"
#include "platform/x11/x11_drag_source.h"
#include "platform/x11/xcb_connection.h"

namespace quillo {

std::unique_ptr<DragSource> makeDragSource() {
    if (xcb::connectionOf()) return std::make_unique<X11DragSource>();
    return makeQtDragSource();
}

}  // namespace quillo
