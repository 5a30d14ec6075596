#include "platform/posix/xdg_processes.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>

#include "platform/run_error.h"
#include "store/unicode.h"

extern char** environ;

namespace quillo {
namespace {

constexpr std::u16string_view kEditor = u"C:\\WINDOWS\\NOTEPAD.EXE ";

}  // namespace

std::vector<std::string> posixArgvFor(const std::u16string& commandLine) {
    if (commandLine.size() > kEditor.size() && commandLine.starts_with(kEditor)) {
        std::string file = toUtf8(std::u16string_view(commandLine).substr(kEditor.size()));
        std::replace(file.begin(), file.end(), '\\', '/');
        return {"xdg-open", file};
    }
    return {toUtf8(commandLine)};
}

void XdgProcesses::start(const std::u16string& commandLine, int /*windowStyle*/) {
    const std::vector<std::string> args = posixArgvFor(commandLine);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    // The program ends right after starting the editor, so its child is left to
    // init rather than waited for.
    pid_t pid = 0;
    if (args.front().empty() ||
        posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        throw RunError(ErrorNumber::FileNotFound, toUtf8(commandLine));
    }
}

}  // namespace quillo
