#include "platform/win32/win32_processes.h"

#include <windows.h>

#include <vector>

#include "base/run_error.h"
#include "base/unicode.h"

namespace quillo {

void Win32Processes::start(const std::u16string& commandLine, int windowStyle) {
    const std::string command = codec_.encodeAnsi(commandLine);
    // CreateProcessA may write into the command line it is given.
    std::vector<char> buffer(command.begin(), command.end());
    buffer.push_back('\0');

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION process{};
    if (command.empty() || !CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0,
                                           nullptr, nullptr, &startup, &process)) {
        throw RunError(ErrorNumber::FileNotFound, toUtf8(commandLine));
    }
    // The program does not wait for what it starts.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

}  // namespace quillo
