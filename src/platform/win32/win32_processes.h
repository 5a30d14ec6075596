#pragma once

#include "platform/processes.h"

namespace quillo {

// Notepad by its fixed path on `directory`'s data.txt, unquoted: Notepad
// takes the rest of its command line as one file name, spaces and all.
std::u16string editorCommandLine(const std::u16string& directory);

// CreateProcessW with the command line as given. No shell reads it, so &, |, ^
// and % in a path are plain characters; the window style reaches the new
// program's first window through STARTUPINFO.
class Win32Processes : public Processes {
public:
    void editDataFile(const std::u16string& directory) override;
    void startProgram(const std::u16string& program, int windowStyle) override;
    // Starts the command line as it is; the editor's start goes through here.
    void start(const std::u16string& commandLine, int windowStyle);

private:
    void create(const std::u16string& program, const std::u16string& commandLine, int windowStyle);
};

}  // namespace quillo
