// A Windows program for the end-to-end tests under Wine: a window that takes
// text dropped from another program through OLE and writes each drop to a
// file of its own, as the Linux receiver does.
//
// Usage: drop_target OUTPUT_DIR X Y WIDTH HEIGHT
// Drop n (counting from 1) lands in OUTPUT_DIR\drop-n.txt (the text, UTF-8)
// and OUTPUT_DIR\drop-n.actions (the effects the source offered, e.g. "copy");
// the n-th drag to enter the window leaves OUTPUT_DIR\enter-n, so that a
// test knows when to let go.
#include <windows.h>

#include <ole2.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "base/unicode.h"

namespace {

std::string effectNames(DWORD effects) {
    std::string names;
    const auto add = [&](DWORD bit, const char* name) {
        if (effects & bit) names += (names.empty() ? "" : " ") + std::string(name);
    };
    add(DROPEFFECT_COPY, "copy");
    add(DROPEFFECT_MOVE, "move");
    add(DROPEFFECT_LINK, "link");
    return names;
}

// Written whole under a temporary name, so the test never reads half a drop.
bool writeFile(const std::wstring& path, const std::string& bytes) {
    const std::wstring temporary = path + L".tmp";
    FILE* file = _wfopen(temporary.c_str(), L"wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written &&
           MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

std::string droppedText(IDataObject* data) {
    FORMATETC format{CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (FAILED(data->GetData(&format, &medium))) return {};
    std::string text;
    if (const auto* wide = static_cast<const char16_t*>(GlobalLock(medium.hGlobal))) {
        const SIZE_T units = GlobalSize(medium.hGlobal) / sizeof(char16_t);
        std::u16string_view view(wide, units);
        text = quillo::toUtf8(view.substr(0, view.find(u'\0')));
        GlobalUnlock(medium.hGlobal);
    }
    ReleaseStgMedium(&medium);
    return text;
}

class DropTarget : public IDropTarget {
public:
    explicit DropTarget(std::wstring outputDir) : outputDir_(std::move(outputDir)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown || riid == IID_IDropTarget) {
            *object = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
        offered_ = *effect;
        writeFile(outputDir_ + L"\\enter-" + std::to_wstring(++enters_), {});
        return accept(effect);
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
        return accept(effect);
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        const std::wstring stem = outputDir_ + L"\\drop-" + std::to_wstring(++drops_);
        if (!writeFile(stem + L".actions", effectNames(*effect)) ||
            !writeFile(stem + L".txt", droppedText(data))) {
            std::fprintf(stderr, "drop_target: cannot write a drop\n");
            PostQuitMessage(2);
        }
        return accept(effect);
    }

private:
    // Copy is taken whenever it is offered, so a faulty source that offers
    // move too never believes its text was moved.
    HRESULT accept(DWORD* effect) {
        *effect = (offered_ & DROPEFFECT_COPY) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        return S_OK;
    }

    std::wstring outputDir_;
    ULONG references_ = 1;
    DWORD offered_ = DROPEFFECT_NONE;
    int drops_ = 0;
    int enters_ = 0;
};

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc != 6) {
        std::fprintf(stderr, "usage: drop_target OUTPUT_DIR X Y WIDTH HEIGHT\n");
        return 2;
    }
    OleInitialize(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM w, LPARAM l) -> LRESULT {
        if (message == WM_DESTROY) PostQuitMessage(0);
        return DefWindowProcW(window, message, w, l);
    };
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = CreateSolidBrush(RGB(0xFF, 0xE0, 0xA0));
    windowClass.lpszClassName = L"QuilloDropTarget";
    RegisterClassW(&windowClass);
    const HWND window =
        CreateWindowExW(0, windowClass.lpszClassName, L"drop receiver", WS_POPUP | WS_VISIBLE,
                        _wtoi(argv[2]), _wtoi(argv[3]), _wtoi(argv[4]), _wtoi(argv[5]), nullptr,
                        nullptr, windowClass.hInstance, nullptr);
    DropTarget target(argv[1]);
    RegisterDragDrop(window, &target);

    MSG message;
    int code = 0;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    if (message.message == WM_QUIT) code = static_cast<int>(message.wParam);
    RevokeDragDrop(window);
    OleUninitialize();
    return code;
}
