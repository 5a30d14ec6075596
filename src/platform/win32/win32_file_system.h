#pragma once

#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace quillo {

class Win32FileSystem : public FileSystem {
public:
    bool isNormalFile(const std::u16string& path) const override;
    std::u16string programDirectory() const override;
    ReadResult openRegularFile(const std::filesystem::path& path,
                               std::unique_ptr<OpenFile>& file) const override;
};

// The directory part of a full file name: no trailing backslash, except at a
// drive root ("C:\") where the backslash is what makes it the root.
std::u16string directoryOf(std::u16string_view fileName);

}  // namespace quillo
