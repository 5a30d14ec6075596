// Windows looks for most DLLs in the program's folder before its own, and a
// user may well start quillo.exe in a folder of downloads that holds anything
// named like one. Only the KnownDLLs are always taken from the system folder,
// so the build delay-loads every other DLL the program imports, and each is
// loaded from the system folder alone, here, when first called.
#include <windows.h>

#include <delayimp.h>

namespace {

FARPROC WINAPI loadFromSystemFolder(unsigned notification, PDelayLoadInfo info) {
    if (notification != dliNotePreLoadLibrary) return nullptr;
    return reinterpret_cast<FARPROC>(
        LoadLibraryExA(info->szDll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
}

// Before any other static constructor, which may call into a delay-loaded DLL
// or load one itself; the system folder is then the only one searched by any
// later load in the process, the dependencies of those DLLs included.
__attribute__((constructor(101))) void searchSystemFolderOnly() {
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace

// The delay-load helper asks this hook before it loads a DLL itself.
PfnDliHook __pfnDliNotifyHook2 = loadFromSystemFolder;
