#include "platform/file_system.h"

#include <algorithm>
#include <memory>

namespace quillo {

ReadResult readToEnd(OpenFile& file, std::uintmax_t maxBytes, std::string& bytes) {
    bytes.clear();
    const std::uintmax_t hint = file.sizeHint();
    if (hint > maxBytes) return ReadResult::TooLarge;
    // One byte more than the hint lets the end be seen without growing.
    bytes.resize(static_cast<std::size_t>(hint) + 1);
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) bytes.resize(used + std::max<std::size_t>(used / 2, 64 * 1024));
        const long long got = file.readSome(bytes.data() + used, bytes.size() - used);
        if (got < 0) {
            bytes = {};
            return ReadResult::NoAccess;
        }
        used += static_cast<std::size_t>(got);
        if (used > maxBytes) {
            bytes = {};
            return ReadResult::TooLarge;
        }
        if (got == 0) {
            bytes.resize(used);
            return ReadResult::Read;
        }
    }
}

ReadResult readInPieces(OpenFile& file, std::uintmax_t maxBytes, const PieceConsumer& consume) {
    if (file.sizeHint() > maxBytes) return ReadResult::TooLarge;
    // Not filled first: every byte handed on has just been read.
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    const auto piece = std::make_unique_for_overwrite<char[]>(kPiece);
    std::uintmax_t total = 0;
    for (;;) {
        const long long got = file.readSome(piece.get(), kPiece);
        if (got < 0) return ReadResult::NoAccess;
        if (got == 0) return ReadResult::Read;
        total += static_cast<std::uintmax_t>(got);
        if (total > maxBytes) return ReadResult::TooLarge;
        if (!consume(std::string_view(piece.get(), static_cast<std::size_t>(got)))) {
            return ReadResult::Read;
        }
    }
}

ReadResult FileSystem::readRegularFile(const std::filesystem::path& path, std::uintmax_t maxBytes,
                                       std::string& bytes) const {
    bytes.clear();
    std::unique_ptr<OpenFile> file;
    const ReadResult opened = openRegularFile(path, file);
    return opened == ReadResult::Read ? readToEnd(*file, maxBytes, bytes) : opened;
}

ReadResult FileSystem::readRegularFileInPieces(const std::filesystem::path& path,
                                               std::uintmax_t maxBytes,
                                               const PieceConsumer& consume) const {
    std::unique_ptr<OpenFile> file;
    const ReadResult opened = openRegularFile(path, file);
    return opened == ReadResult::Read ? readInPieces(*file, maxBytes, consume) : opened;
}

}  // namespace quillo
