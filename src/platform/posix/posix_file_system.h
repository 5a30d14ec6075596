#pragma once

#include "platform/file_system.h"

namespace quillo {

class PosixFileSystem : public FileSystem {
public:
    bool isNormalFile(const std::u16string& path) const override;
    std::u16string programDirectory() const override;
    ReadResult openRegularFile(const std::filesystem::path& path,
                               std::unique_ptr<OpenFile>& file) const override;
};

}  // namespace quillo
