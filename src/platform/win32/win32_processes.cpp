#include "platform/win32/win32_processes.h"

#include <windows.h>

#include <string>

#include "base/run_error.h"
#include "base/unicode.h"

namespace quillo {

std::u16string editorCommandLine(const std::u16string& directory) {
    return u"C:\\WINDOWS\\NOTEPAD.EXE " + directory + u"\\data.txt";
}

void Win32Processes::editDataFile(const std::u16string& directory) {
    start(editorCommandLine(directory), kShowNormal);
}

void Win32Processes::start(const std::u16string& commandLine, int windowStyle) {
    create({}, commandLine, windowStyle);
}

void Win32Processes::startProgram(const std::u16string& program, int windowStyle) {
    // Named as the program to start, the path is taken whole. As the first
    // word of a command line alone, "C:\Program Files\x.exe" would start
    // C:\Program.exe first, should someone have put one there.
    if (program.empty()) throw RunError(ErrorNumber::FileNotFound, "");
    create(program, u"\"" + program + u"\"", windowStyle);
}

void Win32Processes::create(const std::u16string& program, const std::u16string& commandLine,
                            int windowStyle) {
    // In UTF-16, so that a folder named in characters the ANSI code page
    // lacks (Korean under code page 936, say) reaches the program whole.
    const std::wstring application(program.begin(), program.end());
    // CreateProcessW may write into the command line it is given.
    std::wstring command(commandLine.begin(), commandLine.end());

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION process{};
    if (command.empty() ||
        !CreateProcessW(application.empty() ? nullptr : application.c_str(), command.data(),
                        nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        throw RunError(ErrorNumber::FileNotFound, toUtf8(program.empty() ? commandLine : program));
    }
    // The program does not wait for what it starts.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

}  // namespace quillo
