// Tells the end-to-end tests under Wine what Windows knows of a top-level
// window, which the X server cannot: without a window manager the X11 window
// is the client area only.
//
// Usage: window_probe TITLE
// Prints "x y width height client_width client_height topmost dpi" for the
// visible window titled TITLE (the frame in screen pixels), or exits with 1.
//
// Usage: window_probe UPPER LOWER
// Exits with 0 when the visible window titled UPPER lies above the one titled
// LOWER in the z-order, with 3 when it lies below, with 1 when either is missing.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>

namespace {

struct Search {
    const wchar_t* title;
    HWND found;
};

// The visible top-level window of that title: Qt's hidden popup menus may
// bear the same one.
HWND findVisible(const wchar_t* title) {
    Search search{title, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            wchar_t text[256] = {};
            GetWindowTextW(window, text, 256);
            if (!IsWindowVisible(window) || lstrcmpW(text, s->title) != 0) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: window_probe TITLE [LOWER_TITLE]\n");
        return 2;
    }
    // Sizes as the program itself sees them, not scaled for this probe.
    SetProcessDPIAware();
    const HWND window = findVisible(argv[1]);
    if (!window) return 1;
    if (argc == 3) {
        const HWND lower = findVisible(argv[2]);
        if (!lower) return 1;
        for (HWND below = GetNextWindow(window, GW_HWNDNEXT); below;
             below = GetNextWindow(below, GW_HWNDNEXT)) {
            if (below == lower) return 0;
        }
        return 3;
    }
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
