#pragma once

#include "platform/qt/qt_drag_source.h"

namespace quillo {

// Qt's own drag on Wayland, of the text as "text/plain;charset=utf-8" and
// "text/plain": Qt 6.4 offers only the formats the drag's data names.
class WaylandDragSource : public QtDragSource {
public:
    int dragText(NativeWindow window, std::u16string_view text, int allowedEffects) override;
};

}  // namespace quillo
