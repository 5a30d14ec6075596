#include "platform/posix/xdg_processes.h"

#include <spawn.h>

#include "base/run_error.h"
#include "base/unicode.h"

extern char** environ;

namespace quillo {
namespace {

constexpr std::u16string_view kEditor = u"C:\\WINDOWS\\NOTEPAD.EXE ";

// The program ends right after starting the editor, so its child is left to
// init rather than waited for.
void spawn(const std::vector<std::string>& args, bool searchPath, const std::u16string& what) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const auto run = searchPath ? posix_spawnp : posix_spawn;
    if (args.front().empty() || run(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        throw RunError(ErrorNumber::FileNotFound, toUtf8(what));
    }
}

}  // namespace

std::vector<std::string> posixArgvFor(const std::u16string& commandLine) {
    if (commandLine.size() > kEditor.size() && commandLine.starts_with(kEditor)) {
        // The path that follows is this system's, joined to the file name with a
        // Windows separator: only that last separator is read as '/'.
        std::string file = toUtf8(std::u16string_view(commandLine).substr(kEditor.size()));
        const std::size_t separator = file.rfind('\\');
        if (separator != std::string::npos) file[separator] = '/';
        return {"xdg-open", file};
    }
    return {toUtf8(commandLine)};
}

void XdgProcesses::start(const std::u16string& commandLine, int /*windowStyle*/) {
    spawn(posixArgvFor(commandLine), true, commandLine);
}

void XdgProcesses::startProgram(const std::u16string& program, int /*windowStyle*/) {
    spawn({toUtf8(program)}, false, program);
}

}  // namespace quillo
