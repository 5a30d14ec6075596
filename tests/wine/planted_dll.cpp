// A DLL of the tests that someone has put beside quillo.exe under the name of
// a system DLL: built once per name, its exports forward to the system's own
// (the module-definition file made for it), so a program that loads it goes
// on as usual. Loaded, it leaves NAME.dll.ran beside itself.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t path[MAX_PATH + 4];
    const DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH) return TRUE;
    lstrcpyW(path + length, L".ran");
    const HANDLE marker =
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
    return TRUE;
}
