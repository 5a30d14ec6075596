#pragma once

#include <cstdint>
#include <filesystem>

#include "platform/file_system.h"
#include "store/entry_table.h"

namespace quillo {

class TextCodec;

// A data file larger than this is refused rather than read into memory.
inline constexpr std::uintmax_t kMaxDataFileBytes = 256u * 1024 * 1024;

// Reads `path` and loads its title=content lines into the table, from slot
// 1 upward. Throws RunError 53 when the file does not exist, 75 when it cannot
// be read or is no regular file (a directory, a pipe, a device), 7 when it is
// larger than the cap, each naming the full path; 9 at the entry line after
// the 145th and 7 at an entry line longer than a title and a content may be,
// each naming the line.
void loadDataFile(const FileSystem& files, const TextCodec& codec,
                  const std::filesystem::path& path, EntryTable& table, std::int16_t& entryCount);

}  // namespace quillo
