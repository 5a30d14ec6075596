#include "forms/fatal_error_guard.h"

#include "base/unicode.h"

namespace quillo {

void reportFatal(WindowSystem& windows, const RunError& error) {
    windows.showMessage(kAppTitle, decodeUtf8(error.report()));
    windows.endProgram(static_cast<int>(error.number()));
}

}  // namespace quillo
