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

namespace {

// Splits the text (UTF-16 units, or UTF-8 bytes, whose CR and '=' never stand
// inside a longer character) into lines and stores each title=content line
// through `store(title, content, units)`, where `units = unitsOf(line)` is
// the line's length in UTF-16 units.
template <typename Char, typename UnitsOf, typename Store>
void splitEntries(std::basic_string_view<Char> text, std::int16_t& entryCount, UnitsOf unitsOf,
                  Store store) {
    using View = std::basic_string_view<Char>;
    std::size_t lineNumber = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(Char('\r'), start);
        std::size_t next = end;
        if (end == View::npos) {
            end = next = text.size();
        } else {
            next = end + 1;
            if (next < text.size() && text[next] == Char('\n')) ++next;
        }
        ++lineNumber;
        const View lineBuffer = text.substr(start, end - start);
        start = next;

        const std::size_t sign = lineBuffer.find(Char('='));
        if (sign == View::npos) continue;
        if (entryCount >= kMaxEntries) {
            throw RunError(ErrorNumber::SubscriptOutOfRange,
                           "data.txt 第 " + std::to_string(lineNumber) + " 行：最多只能有 " +
                               std::to_string(kMaxEntries) + " 个条目");
        }
        const std::size_t units = unitsOf(lineBuffer);
        const std::size_t length = units - 1;
        if (length > kMaxEntryLength) {
            throw RunError(ErrorNumber::OutOfMemory, "data.txt 第 " + std::to_string(lineNumber) +
                                                         " 行：条目长 " + std::to_string(length) +
                                                         " 个字符，最多 " +
                                                         std::to_string(kMaxEntryLength) + " 个");
        }
        ++entryCount;
        store(lineBuffer.substr(0, sign), lineBuffer.substr(sign + 1), units);
    }
}

}  // namespace

void loadEntries(std::u16string_view text, EntryTable& table, std::int16_t& entryCount) {
    splitEntries(
        text, entryCount, [](std::u16string_view line) { return line.size(); },
        [&](std::u16string_view title, std::u16string_view content, std::size_t) {
            Entry& slot = table[static_cast<std::size_t>(entryCount)];
            slot.title = title;
            slot.content = content;
        });
}

void loadDataBytes(std::string_view bytes, const TextCodec& codec, EntryTable& table,
                   std::int16_t& entryCount) {
    const bool marked = bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF") ||
                        bytes.starts_with("\xEF\xBB\xBF");
    if (marked || !isValidUtf8(bytes)) {
        loadEntries(decodeDataFile(bytes, codec), table, entryCount);
        return;
    }
    // The usual file: each title and content is decoded straight into its
    // slot, so the file's whole text is never held besides the table.
    splitEntries(bytes, entryCount, utf16Length,
                 [&](std::string_view title, std::string_view content, std::size_t units) {
                     Entry& slot = table[static_cast<std::size_t>(entryCount)];
                     const std::size_t titleUnits = utf16Length(title);
                     decodeValidUtf8(title, titleUnits, slot.title);
                     decodeValidUtf8(content, units - titleUnits - 1, slot.content);
                 });
}

void loadDataFile(const FileSystem& files, const TextCodec& codec,
                  const std::filesystem::path& path, EntryTable& table, std::int16_t& entryCount) {
    loadDataBytes(readDataFile(files, path), codec, table, entryCount);
}

}  // namespace quillo
