#pragma once

#include <QAbstractNativeEventFilter>
#include <cstdint>
#include <optional>

#include "platform/frame_extents.h"
#include "platform/qt/qt_window_system.h"

namespace quillo {

// Under an X11 window manager the frame, caption and borders included, takes
// the rectangle that the form asks for, as SetWindowPos gives it on Windows;
// the client gets what is left. A window manager that tells its frame only
// once it has framed the window has it placed again then. With no window
// manager Qt places the window as on any other platform.
class X11WindowSystem : public QtWindowSystem, private QAbstractNativeEventFilter {
public:
    ~X11WindowSystem() override;

    void placeTopmost(NativeWindow window, PixelRect outer) override;
    void setOuterHeight(NativeWindow window, int height) override;
    void prepareDialog(NativeWindow dialog) override;

private:
    void placeClient(NativeWindow window);
    void watchFrame(NativeWindow window);
    void frameChanged();
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

    std::optional<FrameExtents> extents_;  // of the frame last placed for
    PixelRect outer_;
    double scale_ = 1.0;  // device pixels to a logical one
    NativeWindow watched_ = 0;
    std::uint32_t extentsAtom_ = 0;
};

}  // namespace quillo
