#pragma once

#include "platform/processes.h"
#include "platform/win32/win32_text_codec.h"

namespace quillo {

// CreateProcessA with the command line as given. No shell reads it, so &, |, ^
// and % in a path are plain characters; the window style reaches the new
// program's first window through STARTUPINFO.
class Win32Processes : public Processes {
public:
    void start(const std::u16string& commandLine, int windowStyle) override;
    void startProgram(const std::u16string& program, int windowStyle) override;

private:
    void create(const std::u16string& program, const std::u16string& commandLine, int windowStyle);

    Win32TextCodec codec_;
};

}  // namespace quillo
