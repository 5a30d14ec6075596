#include "store/data_file.h"

#include <system_error>

#include "base/run_error.h"
#include "base/unicode.h"
#include "platform/file_system.h"
#include "platform/text_codec.h"

namespace quillo {
namespace {

std::string displayPath(const std::filesystem::path& path) {
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(path, ec);
    const std::u8string text = (ec ? path : full).u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

std::string readDataFile(const FileSystem& files, const std::filesystem::path& path) {
    std::string bytes;
    switch (files.readRegularFile(path, kMaxDataFileBytes, bytes)) {
        case ReadResult::Read:
            return bytes;
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

std::u16string decodeDataFile(std::string_view bytes, const TextCodec& codec) {
    // Notepad's "Unicode" and "Unicode big endian"; no file in code page 936
    // can begin with either pair, since FF is neither a lead nor a trail byte.
    if (bytes.starts_with("\xFF\xFE")) return decodeUtf16(bytes.substr(2), Endian::Little);
    if (bytes.starts_with("\xFE\xFF")) return decodeUtf16(bytes.substr(2), Endian::Big);
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (bytes.starts_with(kByteOrderMark)) return decodeUtf8(bytes.substr(kByteOrderMark.size()));
    std::u16string text;
    if (decodeStrictUtf8(bytes, text)) return text;
    return codec.decodeAnsi(bytes);
}

void loadEntries(std::u16string_view text, EntryTable& table, std::int16_t& entryCount) {
    std::size_t lineNumber = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(u'\r', start);
        std::size_t next = end;
        if (end == std::u16string_view::npos) {
            end = next = text.size();
        } else {
            next = end + 1;
            if (next < text.size() && text[next] == u'\n') ++next;
        }
        ++lineNumber;
        const std::u16string_view lineBuffer = text.substr(start, end - start);
        start = next;

        const std::size_t sign = lineBuffer.find(u'=');
        if (sign == std::u16string_view::npos) continue;
        if (entryCount >= kMaxEntries) {
            throw RunError(ErrorNumber::SubscriptOutOfRange,
                           "data.txt 第 " + std::to_string(lineNumber) + " 行：最多只能有 " +
                               std::to_string(kMaxEntries) + " 个条目");
        }
        if (lineBuffer.size() - 1 > kMaxEntryLength) {
            throw RunError(ErrorNumber::OutOfMemory,
                           "data.txt 第 " + std::to_string(lineNumber) + " 行：条目长 " +
                               std::to_string(lineBuffer.size() - 1) + " 个字符，最多 " +
                               std::to_string(kMaxEntryLength) + " 个");
        }
        ++entryCount;
        Entry& slot = table[static_cast<std::size_t>(entryCount)];
        slot.title = lineBuffer.substr(0, sign);
        slot.content = lineBuffer.substr(sign + 1);
    }
}

void loadDataFile(const FileSystem& files, const TextCodec& codec,
                  const std::filesystem::path& path, EntryTable& table, std::int16_t& entryCount) {
    // The bytes are gone once decoded, so that they, the text and the table
    // are never all held at once.
    const std::u16string text = decodeDataFile(readDataFile(files, path), codec);
    loadEntries(text, table, entryCount);
}

}  // namespace quillo
