#include "platform/posix/xdg_processes.h"

#include <spawn.h>

#include "base/run_error.h"
#include "base/unicode.h"

extern char** environ;

namespace quillo {
namespace {

// Nothing waits for the child: the program ends right after starting the
// editor, and the system-information tool lives on its own. A child that
// ends first is left to init.
void spawn(const std::vector<std::string>& args, bool searchPath, const std::string& what) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const auto run = searchPath ? posix_spawnp : posix_spawn;
    if (args.front().empty() || run(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        throw RunError(ErrorNumber::FileNotFound, what);
    }
}

}  // namespace

std::vector<std::string> editorArgv(const std::u16string& directory) {
    return {"xdg-open", toUtf8(directory) + "/data.txt"};
}

void XdgProcesses::editDataFile(const std::u16string& directory) {
    const std::vector<std::string> argv = editorArgv(directory);
    spawn(argv, true, argv[0] + " " + argv[1]);
}

void XdgProcesses::startProgram(const std::u16string& program, int /*windowStyle*/) {
    spawn({toUtf8(program)}, false, toUtf8(program));
}

}  // namespace quillo
