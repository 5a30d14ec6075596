#pragma once

#include <string_view>

#include "platform/window_system.h"

namespace quillo {

// Drop effects as OLE numbers them, the form's allowed-effects word.
constexpr int kDropEffectNone = 0;
constexpr int kDropEffectCopy = 1;
constexpr int kDropEffectMove = 2;

// The drag of a text out of one of our windows into any program.
class DragSource {
public:
    virtual ~DragSource() = default;
    // Drags `text` out of `window` while the mouse button stays down, offering
    // the effects of `allowedEffects`; returns the effect the drop target took
    // (kDropEffectNone when the drag ended anywhere else).
    virtual int dragText(NativeWindow window, std::u16string_view text, int allowedEffects) = 0;
};

}  // namespace quillo
