#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace quillo {

enum class ReadResult {
    Read,
    NotFound,
    NotRegular,  // a directory, a pipe, a device
    NoAccess,    // no permission, a link loop, a read that failed
    TooLarge,
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // True for an existing normal file; false for a directory or nothing.
    virtual bool isNormalFile(const std::u16string& path) const = 0;
    // The directory holding the program's executable, with no trailing separator
    // except at a root ("C:\", "/").
    virtual std::u16string programDirectory() const = 0;
    // Reads a regular file (links followed) whole into `bytes`. Nothing waits
    // on a pipe or a device: what is opened is checked, so no swap between a
    // check and the open slips through. Past `maxBytes` bytes actually read
    // it stops with TooLarge, whatever size the file claims.
    virtual ReadResult readRegularFile(const std::filesystem::path& path, std::uintmax_t maxBytes,
                                       std::string& bytes) const = 0;
    // Reads the file as readRegularFile does, but hands it to `consume` piece
    // by piece as it is read, so that it is never held whole. On a result
    // other than Read, what was consumed is of no use.
    virtual ReadResult readRegularFileInPieces(
        const std::filesystem::path& path, std::uintmax_t maxBytes,
        const std::function<void(std::string_view piece)>& consume) const = 0;
};

}  // namespace quillo
