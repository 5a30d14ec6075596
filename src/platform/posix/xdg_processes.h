#pragma once

#include <string>
#include <vector>

#include "platform/processes.h"

namespace quillo {

// The desktop's opener (xdg-open) on `directory`'s data.txt, as one argument.
std::vector<std::string> editorArgv(const std::u16string& directory);

// Programs start with posix_spawn, never through a shell.
class XdgProcesses : public Processes {
public:
    void editDataFile(const std::u16string& directory) override;
    void startProgram(const std::u16string& program, int windowStyle) override;
};

}  // namespace quillo
