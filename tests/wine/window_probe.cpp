// Tells the end-to-end tests under Wine what Windows knows of a top-level
// window, which the X server cannot: without a window manager the X11 window
// is the client area only.
//
// Usage: window_probe TITLE
// Prints "x y width height client_width client_height topmost dpi" for the
// visible window titled TITLE (the frame in screen pixels), or exits with 1.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_probe TITLE\n");
        return 2;
    }
    // Sizes as the program itself sees them, not scaled for this probe.
    SetProcessDPIAware();
    const HWND window = FindWindowW(nullptr, argv[1]);
    if (!window || !IsWindowVisible(window)) return 1;
    RECT frame{};
    RECT client{};
    GetWindowRect(window, &frame);
    GetClientRect(window, &client);
    const bool topmost = GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST;
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    std::printf("%ld %ld %ld %ld %ld %ld %d %d\n", frame.left, frame.top, frame.right - frame.left,
                frame.bottom - frame.top, client.right, client.bottom, topmost ? 1 : 0, dpi);
    return 0;
}
