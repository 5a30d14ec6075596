#pragma once

#include "platform/file_system.h"

namespace quillo {

class PosixFileSystem : public FileSystem {
public:
    bool isNormalFile(const std::u16string& path) const override;
    std::u16string programDirectory() const override;
    ReadResult readRegularFile(const std::filesystem::path& path, std::uintmax_t maxBytes,
                               std::string& bytes) const override;
    ReadResult readRegularFileInPieces(
        const std::filesystem::path& path, std::uintmax_t maxBytes,
        const std::function<void(std::string_view piece)>& consume) const override;
};

}  // namespace quillo
