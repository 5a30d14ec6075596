#pragma once

// The loader's seam, for its tests, its fuzzer and its benchmarks: the program
// calls loadDataFile (data_file.h) alone.

#include <cstdint>
#include <filesystem>
#include <functional>

#include "platform/file_system.h"
#include "store/entry_table.h"

namespace quillo {

class TextCodec;

// Reads the data file from its start, handing it piece by piece to `consume`
// until it says it has had enough, and says how the read went.
using ReadInPieces = std::function<ReadResult(const PieceConsumer& consume)>;

// loadDataFile on the file that `read` reads, twice at most; `path` names
// it in the messages.
void loadDataPieces(const ReadInPieces& read, const TextCodec& codec,
                    const std::filesystem::path& path, EntryTable& table, std::int16_t& entryCount);

}  // namespace quillo
