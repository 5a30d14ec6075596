#include "platform/win32/win32_window_system.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace quillo {
namespace {

constexpr unsigned kDefaultDpi = 96;

HWND toHwnd(NativeWindow window) {
    return reinterpret_cast<HWND>(window);
}

int scaled(int pixels, unsigned dpi) {
    return MulDiv(pixels, static_cast<int>(dpi), static_cast<int>(kDefaultDpi));
}

// GetDpiForWindow exists from Windows 10 1607 on; looking it up at run time
// keeps the program starting on older systems, which run everything at 96.
unsigned dpiOf(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = [] {
        const HMODULE user32 = GetModuleHandleW(L"user32.dll");
        const FARPROC address = user32 ? GetProcAddress(user32, "GetDpiForWindow") : nullptr;
        return reinterpret_cast<GetDpiForWindowFunction>(reinterpret_cast<void (*)()>(address));
    }();
    const unsigned dpi = getDpiForWindow ? getDpiForWindow(window) : 0;
    return dpi ? dpi : kDefaultDpi;
}

}  // namespace

DeviceRect scaledToDpi(PixelRect rect, unsigned dpi) {
    return {scaled(rect.x, dpi), scaled(rect.y, dpi), scaled(rect.width, dpi),
            scaled(rect.height, dpi)};
}

void Win32WindowSystem::placeTopmost(NativeWindow window, PixelRect outer) {
    const HWND hwnd = toHwnd(window);
    const DeviceRect rect = scaledToDpi(outer, dpiOf(hwnd));
    SetWindowPos(hwnd, HWND_TOPMOST, rect.x, rect.y, rect.width, rect.height, SWP_SHOWWINDOW);
}

void Win32WindowSystem::setOuterHeight(NativeWindow window, int height) {
    const HWND hwnd = toHwnd(window);
    RECT frame{};
    if (!GetWindowRect(hwnd, &frame)) return;
    SetWindowPos(hwnd, nullptr, 0, 0, frame.right - frame.left, scaled(height, dpiOf(hwnd)),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32WindowSystem::showMessage(const std::u16string& title, const std::u16string& text) {
    const std::wstring wideTitle(title.begin(), title.end());
    const std::wstring wideText(text.begin(), text.end());
    // Owned by the active window, the box stays above it even when that window
    // is topmost.
    MessageBoxW(GetActiveWindow(), wideText.c_str(), wideTitle.c_str(), MB_OK);
}

void Win32WindowSystem::endProgram(int exitCode) {
    std::fflush(nullptr);
    ExitProcess(static_cast<UINT>(exitCode));
}

}  // namespace quillo
