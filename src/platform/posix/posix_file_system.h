#pragma once

#include "platform/file_system.h"

namespace quillo {

class PosixFileSystem : public FileSystem {
public:
    bool isNormalFile(const std::u16string& path) const override;
    std::u16string programDirectory() const override;
    ReadResult readRegularFile(const std::filesystem::path& path, std::uintmax_t maxBytes,
                               std::string& bytes) const override;
};

}  // namespace quillo
