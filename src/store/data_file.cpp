// How data.txt is loaded, and why so. The file is read twice, a megabyte at a
// time, and neither its bytes nor its whole text are ever held: with the
// largest file the table alone holds 290 MiB. The first read only decides the
// encoding, by the one rule (EncodingRule), and ends as soon as the rule is
// settled: at a byte-order mark, or at the first byte that is not strict
// UTF-8; only a file of UTF-8 without a mark is read to its end. The second
// read hands each piece to the one decoder of that encoding, which turns it
// into UTF-16 (PieceDecoder), and the text to the one line splitter, which
// holds the line rule and the limits and fills the table (LineSplitter).
#include <string>
#include <system_error>

#include "base/run_error.h"
#include "store/data_encoding.h"
#include "store/data_file.h"
#include "store/data_file_parts.h"
#include "store/line_splitter.h"

namespace quillo {
namespace {

std::string displayPath(const std::filesystem::path& path) {
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(path, ec);
    const std::u8string text = (ec ? path : full).u8string();
    return std::string(text.begin(), text.end());
}

void checkRead(ReadResult result, const std::filesystem::path& path) {
    switch (result) {
        case ReadResult::Read:
            return;
        case ReadResult::NotFound:
            throw RunError(ErrorNumber::FileNotFound, displayPath(path));
        case ReadResult::NotRegular:
            throw RunError(ErrorNumber::PathFileAccess, displayPath(path) + "\n不是普通文件");
        case ReadResult::TooLarge:
            throw RunError(ErrorNumber::OutOfMemory,
                           displayPath(path) + "\n大于 " +
                               std::to_string(kMaxDataFileBytes / (1024 * 1024)) + " MB 的上限");
        case ReadResult::NoAccess:
            break;
    }
    throw RunError(ErrorNumber::PathFileAccess, displayPath(path));
}

}  // namespace

void loadDataPieces(const ReadInPieces& read, const TextCodec& codec,
                    const std::filesystem::path& path, EntryTable& table,
                    std::int16_t& entryCount) {
    EncodingRule rule;
    checkRead(read([&](std::string_view piece) { return rule.feed(piece); }), path);
    PieceDecoder decoder(rule.finish(), codec);
    LineSplitter lines(table, entryCount);
    checkRead(read([&](std::string_view piece) {
                  // 32 KB at a time, so that the text of a piece needs 64 KB
                  // of memory, not the 2 MB of a whole piece.
                  constexpr std::size_t kStep = 32 * 1024;
                  for (std::size_t at = 0; at < piece.size(); at += kStep) {
                      lines.feed(decoder.feed(piece.substr(at, kStep)));
                  }
                  return true;
              }),
              path);
    lines.feed(decoder.finish());
    lines.finish();
}

void loadDataFile(const FileSystem& files, const TextCodec& codec,
                  const std::filesystem::path& path, EntryTable& table, std::int16_t& entryCount) {
    loadDataPieces(
        [&](const PieceConsumer& consume) {
            return files.readRegularFileInPieces(path, kMaxDataFileBytes, consume);
        },
        codec, path, table, entryCount);
}

}  // namespace quillo
