#pragma once

#include <exception>
#include <functional>
#include <new>
#include <utility>

#include "base/run_error.h"
#include "platform/window_system.h"

namespace quillo {

inline constexpr char16_t kAppTitle[] = u"quillo4";

// Shows the error in a message box titled with the application's name, then
// ends the program with the error's number as its exit code.
void reportFatal(WindowSystem& windows, const RunError& error);

// Runs one event handler. No exception may leave a handler into the event loop:
// whatever escapes is reported as fatal, even what is no std::exception.
template <typename Handler>
void guarded(WindowSystem& windows, Handler&& handler) noexcept {
    try {
        handler();
    } catch (const RunError& error) {
        reportFatal(windows, error);
    } catch (const std::bad_alloc&) {
        reportFatal(windows, RunError(ErrorNumber::OutOfMemory, ""));
    } catch (const std::exception& error) {
        reportFatal(windows, RunError(ErrorNumber::InvalidCall, error.what()));
    } catch (...) {
        reportFatal(windows, RunError(ErrorNumber::InvalidCall, ""));
    }
}

// The handler as the event loop may call it, guarded: the one way a form
// connects a handler to a signal or a control's callback. Args are the
// callback's parameters.
template <typename... Args, typename Handler>
std::function<void(Args...)> guard(WindowSystem& windows, Handler handler) {
    return [&windows, handler = std::move(handler)](Args... args) {
        guarded(windows, [&] { handler(std::forward<Args>(args)...); });
    };
}

}  // namespace quillo
