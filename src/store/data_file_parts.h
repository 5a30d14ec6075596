#pragma once

// The loader's parts, for its tests, its fuzzer and its benchmarks: the
// program calls loadDataFile (data_file.h) alone.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "store/data_file.h"
#include "store/entry_table.h"

namespace quillo {

class TextCodec;

// The whole file as bytes. Throws RunError 53 when it does not exist, 75 when
// it cannot be read or is no regular file (a directory, a pipe, a device), 7
// when it is larger than the cap; each names the full path.
std::string readDataFile(const FileSystem& files, const std::filesystem::path& path);

enum class DataEncoding { Utf16Little, Utf16Big, Utf8WithMark, Utf8, Ansi };

// How a data file is encoded, the one rule: UTF-16 when the bytes start with
// its byte-order mark (FF FE little-endian, FE FF big-endian); UTF-8 when they
// start with its mark (then ill-formed bytes become U+FFFD) or are strict
// UTF-8 throughout; otherwise the ANSI code page.
DataEncoding dataEncoding(std::string_view bytes);

// The text of a data file, in the encoding dataEncoding finds; marks are dropped.
std::u16string decodeDataFile(std::string_view bytes, const TextCodec& codec);

// Splits the text into lines (CR LF or a lone CR ends one; a lone LF stays in the
// text) and stores each title=content line in the next slot from 1 upward.
// Throws RunError 9, naming the line, at the entry line after the 145th, and
// RunError 7 at an entry line longer than a title and a content may be.
void loadEntries(std::u16string_view text, EntryTable& table, std::int16_t& entryCount);

// Decodes the bytes of a data file (as decodeDataFile does) and loads them
// into the table (as loadEntries does).
void loadDataBytes(std::string_view bytes, const TextCodec& codec, EntryTable& table,
                   std::int16_t& entryCount);

// Hands a file piece by piece to its argument and says how the read went.
using ReadInPieces = std::function<ReadResult(const PieceConsumer& consume)>;

// Loads a file of strict UTF-8 without a byte-order mark, as loadDataBytes
// would, from one read, checking the bytes as it loads them. Returns false,
// with the table and the count as they were, for any other file or a read
// that fails. A refusal (RunError 9 or 7) is thrown once the whole file has
// proved to be UTF-8.
bool loadUtf8InPieces(const ReadInPieces& read, EntryTable& table, std::int16_t& entryCount);

}  // namespace quillo
