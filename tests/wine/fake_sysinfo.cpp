// Stands in for the system information tool in the end-to-end tests: the
// registry names it, and its window shows that it was started.
#include <windows.h>

int main() {
    MessageBoxW(nullptr, L"started by quillo.exe", L"fake msinfo32", MB_OK);
    return 0;
}
