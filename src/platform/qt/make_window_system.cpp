#include "platform/make_window_system.h"
#include "platform/qt/qt_window_system.h"

namespace quillo {

std::unique_ptr<WindowSystem> makeWindowSystem() {
    return std::make_unique<QtWindowSystem>();
}

}  // namespace quillo
