#include "platform/win32/win32_processes.h"

#include <windows.h>

#include <vector>

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
    const std::string application = codec_.encodeAnsi(program);
    const std::string command = codec_.encodeAnsi(commandLine);
    // CreateProcessA may write into the command line it is given.
    std::vector<char> buffer(command.begin(), command.end());
    buffer.push_back('\0');

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION process{};
    if (command.empty() ||
        !CreateProcessA(application.empty() ? nullptr : application.c_str(), buffer.data(), nullptr,
                        nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        throw RunError(ErrorNumber::FileNotFound, toUtf8(program.empty() ? commandLine : program));
    }
    // The program does not wait for what it starts.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

}  // namespace quillo
