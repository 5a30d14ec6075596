#include "platform/win32/win32_window_system.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

namespace quillo {
namespace {

// A plain Win32 window with a caption and a fixed border, like the main window.
class PlainWindow {
public:
    explicit PlainWindow(const wchar_t* title) {
        static const ATOM windowClass = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"QuilloPlainWindow";
            return RegisterClassW(&wc);
        }();
        hwnd_ = CreateWindowExW(0, reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(windowClass)),
                                title, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 10, 10, 300, 200,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    // Never destroyed: with no window manager Wine waits two seconds for each
    // shown window to be withdrawn. The windows end with the test's process.
    PlainWindow(const PlainWindow&) = delete;
    PlainWindow& operator=(const PlainWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    NativeWindow native() const { return reinterpret_cast<NativeWindow>(hwnd_); }
    RECT frame() const {
        RECT rect{};
        GetWindowRect(hwnd_, &rect);
        return rect;
    }
    bool topmost() const { return GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) & WS_EX_TOPMOST; }

private:
    HWND hwnd_ = nullptr;
};

void pumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

bool isAbove(HWND upper, HWND lower) {
    for (HWND below = GetWindow(upper, GW_HWNDNEXT); below; below = GetWindow(below, GW_HWNDNEXT)) {
        if (below == lower) return true;
    }
    return false;
}

// Needs a display: the test script runs Wine under Xvfb.
TEST(Win32WindowSystem, PlacesTheWindowTopmostThenSetsItsHeight) {
    PlainWindow window(L"Quillo4.0版");
    ASSERT_TRUE(window.hwnd());
    ASSERT_FALSE(IsWindowVisible(window.hwnd()));
    Win32WindowSystem windows;

    windows.placeTopmost(window.native(), {668, 100, 132, 136});
    pumpMessages();
    EXPECT_TRUE(IsWindowVisible(window.hwnd()));
    EXPECT_TRUE(window.topmost());
    RECT frame = window.frame();
    EXPECT_EQ(frame.left, 668);
    EXPECT_EQ(frame.top, 100);
    EXPECT_EQ(frame.right - frame.left, 132);
    EXPECT_EQ(frame.bottom - frame.top, 136);

    windows.setOuterHeight(window.native(), 176);
    pumpMessages();
    frame = window.frame();
    EXPECT_EQ(frame.left, 668);
    EXPECT_EQ(frame.top, 100);
    EXPECT_EQ(frame.right - frame.left, 132);
    EXPECT_EQ(frame.bottom - frame.top, 176);
    EXPECT_TRUE(window.topmost());

    // A window shown and activated afterwards stays below it.
    PlainWindow other(L"other");
    ShowWindow(other.hwnd(), SW_SHOWNORMAL);
    SetForegroundWindow(other.hwnd());
    pumpMessages();
    EXPECT_FALSE(other.topmost());
    EXPECT_TRUE(isAbove(window.hwnd(), other.hwnd()));
}

TEST(Win32WindowSystem, MessageBoxShowsTitleTextAndOnlyOk) {
    struct Seen {
        int buttons = -1;
        std::wstring text;
    } seen;
    // The box is modal: a second thread reads it and presses OK.
    std::thread reader([&seen] {
        HWND box = nullptr;
        // Visible only once its controls are made.
        for (int i = 0; i < 1000 && !(box && IsWindowVisible(box)); ++i) {
            Sleep(10);
            box = FindWindowW(L"#32770", L"quillo4");
        }
        if (!box) return;
        int buttons = 0;
        EnumChildWindows(
            box,
            [](HWND child, LPARAM count) {
                wchar_t name[16] = {};
                GetClassNameW(child, name, 16);
                if (lstrcmpiW(name, L"Button") == 0 && IsWindowVisible(child)) {
                    ++*reinterpret_cast<int*>(count);
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&buttons));
        seen.buttons = buttons;
        wchar_t text[256] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 256);  // the static text of every message box
        seen.text = text;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    Win32WindowSystem().showMessage(u"quillo4", u"运行时错误 '53':\n\n文件未找到");
    reader.join();
    EXPECT_EQ(seen.buttons, 1);
    EXPECT_EQ(seen.text, L"运行时错误 '53':\n\n文件未找到");
}

TEST(Win32WindowSystem, ScalesLogicalPixelsToTheWindowsDpi) {
    struct Case {
        unsigned dpi;
        DeviceRect expected;
    };
    const Case cases[] = {
        {96, {668, 100, 132, 136}},
        {120, {835, 125, 165, 170}},
        {144, {1002, 150, 198, 204}},
        {192, {1336, 200, 264, 272}},
    };
    for (const Case& c : cases) {
        const DeviceRect rect = scaledToDpi({668, 100, 132, 136}, c.dpi);
        EXPECT_EQ(rect.x, c.expected.x) << c.dpi;
        EXPECT_EQ(rect.y, c.expected.y) << c.dpi;
        EXPECT_EQ(rect.width, c.expected.width) << c.dpi;
        EXPECT_EQ(rect.height, c.expected.height) << c.dpi;
    }
}

}  // namespace
}  // namespace quillo
