#pragma once

#include <string>
#include <vector>

#include "platform/processes.h"

namespace quillo {

// How a Windows command line is started here: the fixed editor path stands for
// the desktop's text editor (xdg-open) on the file that follows it, with its
// last backslash read as '/'; any other command line names a program to run
// with no arguments.
std::vector<std::string> posixArgvFor(const std::u16string& commandLine);

class XdgProcesses : public Processes {
public:
    void start(const std::u16string& commandLine, int windowStyle) override;
    void startProgram(const std::u16string& program, int windowStyle) override;
};

}  // namespace quillo
