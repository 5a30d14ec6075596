#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
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

// Takes each piece of a file as it is read; returns false once it has had
// enough, which ends the read there.
using PieceConsumer = std::function<bool(std::string_view piece)>;

// A regular file that a backend has opened for reading.
class OpenFile {
public:
    virtual ~OpenFile() = default;
    // The size the file claims. Only a hint: files under /proc say 0, and a
    // file may grow while it is read.
    virtual std::uintmax_t sizeHint() const = 0;
    // Reads up to `size` bytes; returns how many, 0 at the end, -1 on failure.
    virtual long long readSome(char* buffer, std::size_t size) = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // True for an existing normal file; false for a directory or nothing.
    virtual bool isNormalFile(const std::u16string& path) const = 0;
    // The directory holding the program's executable, with no trailing separator
    // except at a root ("C:\", "/").
    virtual std::u16string programDirectory() const = 0;
    // Opens a regular file, links followed, into `file`. Nothing waits on a
    // pipe or a device, and what is opened is what is checked, so no swap
    // between a check and the open slips through.
    virtual ReadResult openRegularFile(const std::filesystem::path& path,
                                       std::unique_ptr<OpenFile>& file) const = 0;

    // Reads a regular file whole into `bytes`. Past `maxBytes` bytes actually
    // read it stops with TooLarge, whatever size the file claims.
    ReadResult readRegularFile(const std::filesystem::path& path, std::uintmax_t maxBytes,
                               std::string& bytes) const;
    // The same, but hands the file to `consume` a megabyte at a time, so that
    // it is never held whole. On a result other than Read, what was consumed
    // is of no use.
    ReadResult readRegularFileInPieces(const std::filesystem::path& path, std::uintmax_t maxBytes,
                                       const PieceConsumer& consume) const;
};

// The read loops behind readRegularFile and readRegularFileInPieces, on a file
// already open.
ReadResult readToEnd(OpenFile& file, std::uintmax_t maxBytes, std::string& bytes);
ReadResult readInPieces(OpenFile& file, std::uintmax_t maxBytes, const PieceConsumer& consume);

}  // namespace quillo
