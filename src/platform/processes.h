#pragma once

#include <string>

namespace quillo {

inline constexpr int kShowNormal = 1;

class Processes {
public:
    virtual ~Processes() = default;
    // Opens data.txt of `directory` in the system's text editor, never
    // through a shell, and does not wait for it. Throws RunError 53 when the
    // editor cannot be started.
    virtual void editDataFile(const std::u16string& directory) = 0;
    // Starts exactly the program file `program`, with no arguments: no part
    // of its path is tried as a program of its own, and no search path is
    // used. Throws RunError 53 when it cannot be started.
    virtual void startProgram(const std::u16string& program, int windowStyle) = 0;
};

}  // namespace quillo
