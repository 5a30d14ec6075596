#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/file_system.h"

namespace quillo {

// The read loop that both backends share. `readSome(buffer, size)` reads up
// to size bytes and returns how many, 0 at the end, or -1 on failure. `hint`
// is the size the file claims; it is only a hint (files under /proc say 0,
// and a file may grow while it is read), so the cap counts what is read.
template <typename ReadSome>
ReadResult readToEnd(std::uintmax_t hint, std::uintmax_t maxBytes, std::string& bytes,
                     ReadSome readSome) {
    bytes.clear();
    if (hint > maxBytes) return ReadResult::TooLarge;
    // One byte more than the hint lets the end be seen without growing.
    bytes.resize(static_cast<std::size_t>(hint) + 1);
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) bytes.resize(used + std::max<std::size_t>(used / 2, 64 * 1024));
        const long long got = readSome(bytes.data() + used, bytes.size() - used);
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

// The same for a read in pieces of a megabyte, each handed to `consume`.
template <typename ReadSome, typename Consume>
ReadResult readInPieces(std::uintmax_t hint, std::uintmax_t maxBytes, ReadSome readSome,
                        Consume consume) {
    if (hint > maxBytes) return ReadResult::TooLarge;
    std::string piece(std::size_t{1} << 20, '\0');
    std::uintmax_t total = 0;
    for (;;) {
        const long long got = readSome(piece.data(), piece.size());
        if (got < 0) return ReadResult::NoAccess;
        if (got == 0) return ReadResult::Read;
        total += static_cast<std::uintmax_t>(got);
        if (total > maxBytes) return ReadResult::TooLarge;
        consume(std::string_view(piece.data(), static_cast<std::size_t>(got)));
    }
}

}  // namespace quillo
