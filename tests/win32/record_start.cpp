// A program for the process tests to start: it appends one line to the file
// named by QUILLO_RECORD_FILE with how it was started, then ends.
//   command line <TAB> STARTUPINFO.wShowWindow (or -1) <TAB> program directory
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/unicode.h"
#include "platform/win32/win32_file_system.h"

int main() {
    const char* record = std::getenv("QUILLO_RECORD_FILE");
    if (!record) return 2;

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;

    const std::wstring commandLine = GetCommandLineW();
    const std::string line =
        quillo::toUtf8(std::u16string(commandLine.begin(), commandLine.end())) + "\t" +
        std::to_string(show) + "\t" + quillo::toUtf8(quillo::Win32FileSystem().programDirectory()) +
        "\n";

    FILE* file = std::fopen(record, "ab");
    if (!file) return 3;
    std::fwrite(line.data(), 1, line.size(), file);
    return std::fclose(file) == 0 ? 0 : 4;
}
