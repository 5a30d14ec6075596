#include "store/data_file_parts.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
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

[[noreturn]] void throwReadError(ReadResult result, const std::filesystem::path& path) {
    switch (result) {
        case ReadResult::NotFound:
            throw RunError(ErrorNumber::FileNotFound, displayPath(path));
        case ReadResult::NotRegular:
            throw RunError(ErrorNumber::PathFileAccess, displayPath(path) + "\n不是普通文件");
        case ReadResult::TooLarge:
            throw RunError(ErrorNumber::OutOfMemory,
                           displayPath(path) + "\n大于 " +
                               std::to_string(kMaxDataFileBytes / (1024 * 1024)) + " MB 的上限");
        case ReadResult::Read:
        case ReadResult::NoAccess:
            break;
    }
    throw RunError(ErrorNumber::PathFileAccess, displayPath(path));
}

}  // namespace

std::string readDataFile(const FileSystem& files, const std::filesystem::path& path) {
    std::string bytes;
    const ReadResult result = files.readRegularFile(path, kMaxDataFileBytes, bytes);
    if (result != ReadResult::Read) throwReadError(result, path);
    return bytes;
}

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// The encoding that a byte-order mark at the start names, if any: a file's
// first three bytes are enough. Notepad's "Unicode" and "Unicode big endian";
// no file in code page 936 can begin with either pair, since FF is neither a
// lead nor a trail byte.
std::optional<DataEncoding> encodingByMark(std::string_view start) {
    if (start.starts_with("\xFF\xFE")) return DataEncoding::Utf16Little;
    if (start.starts_with("\xFE\xFF")) return DataEncoding::Utf16Big;
    if (start.starts_with(kUtf8Mark)) return DataEncoding::Utf8WithMark;
    return std::nullopt;
}

std::u16string decodeAs(DataEncoding encoding, std::string_view bytes, const TextCodec& codec) {
    switch (encoding) {
        case DataEncoding::Utf16Little:
            return decodeUtf16(bytes.substr(2), Endian::Little);
        case DataEncoding::Utf16Big:
            return decodeUtf16(bytes.substr(2), Endian::Big);
        case DataEncoding::Utf8WithMark:
            return decodeUtf8(bytes.substr(kUtf8Mark.size()));
        case DataEncoding::Utf8: {
            std::u16string text(utf16Length(bytes), u'\0');
            decodeUtf8Prefix(bytes, text.data());
            return text;
        }
        case DataEncoding::Ansi:
            break;
    }
    return codec.decodeAnsi(bytes);
}

}  // namespace

DataEncoding dataEncoding(std::string_view bytes) {
    if (const auto marked = encodingByMark(bytes)) return *marked;
    return isValidUtf8(bytes) ? DataEncoding::Utf8 : DataEncoding::Ansi;
}

std::u16string decodeDataFile(std::string_view bytes, const TextCodec& codec) {
    return decodeAs(dataEncoding(bytes), bytes, codec);
}

namespace {

// Throws RunError 9 at an entry line after the 145th, and RunError 7 at one
// of `units` UTF-16 units that is longer than a title and a content may be.
void admitEntry(std::size_t lineNumber, std::int16_t entryCount, std::size_t units) {
    if (entryCount >= kMaxEntries) {
        throw RunError(ErrorNumber::SubscriptOutOfRange,
                       "data.txt 第 " + std::to_string(lineNumber) + " 行：最多只能有 " +
                           std::to_string(kMaxEntries) + " 个条目");
    }
    if (units - 1 > kMaxEntryLength) {
        throw RunError(ErrorNumber::OutOfMemory, "data.txt 第 " + std::to_string(lineNumber) +
                                                     " 行：条目长 " + std::to_string(units - 1) +
                                                     " 个字符，最多 " +
                                                     std::to_string(kMaxEntryLength) + " 个");
    }
}

}  // namespace

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
        admitEntry(lineNumber, entryCount, lineBuffer.size());
        ++entryCount;
        Entry& slot = table[static_cast<std::size_t>(entryCount)];
        slot.title = lineBuffer.substr(0, sign);
        slot.content = lineBuffer.substr(sign + 1);
    }
}

namespace {

// Whether bytes that arrive in pieces are strict UTF-8 without a byte-order
// mark; a character may be cut between two pieces.
class Utf8Check {
public:
    void feed(std::string_view piece) {
        if (!valid_) return;
        if (start_.size() < 3) {
            start_ += piece.substr(0, 3 - start_.size());
            // Only a file that no mark decides can be plain UTF-8.
            if (encodingByMark(start_)) valid_ = false;
        }
        std::size_t pos = 0;
        if (!cut_.empty()) {
            // The continuation bytes at the start finish the cut character.
            while (pos < piece.size() && pos < 3 && (piece[pos] & 0xC0) == 0x80) ++pos;
            cut_ += piece.substr(0, pos);
            const Utf8Stop stop = decodeUtf8Prefix(cut_, nullptr).stop;
            if (stop == Utf8Stop::Cut && pos == piece.size()) return;
            valid_ = valid_ && stop == Utf8Stop::End;
            cut_.clear();
        }
        const Utf8Decoded rest = decodeUtf8Prefix(piece.substr(pos), nullptr);
        valid_ = valid_ && rest.stop != Utf8Stop::IllFormed;
        cut_ = piece.substr(pos + rest.read);
    }
    bool valid() const { return valid_ && cut_.empty(); }

private:
    bool valid_ = true;
    std::string start_;  // the first three bytes
    std::string cut_;    // a character cut at the end of the last piece
};

// Loads entry lines from UTF-8 that arrives in pieces, as loadEntries loads
// text: only the line at hand is held, and of a line longer than an entry
// may be, only its length.
class Utf8Lines {
public:
    // `checked`: the bytes are known to be UTF-8, as they are when they come
    // whole; read again in pieces they may have changed since the check.
    Utf8Lines(EntryTable& table, std::int16_t& entryCount, bool checked)
        : table_(table), entryCount_(entryCount), checked_(checked) {}

    void feed(std::string_view piece) {
        std::size_t pos = 0;
        if (afterCr_ && !piece.empty()) {
            afterCr_ = false;
            if (piece[0] == '\n') pos = 1;
        }
        while (pos < piece.size()) {
            const std::size_t cr = piece.find('\r', pos);
            const std::string_view part =
                piece.substr(pos, (cr == std::string_view::npos ? piece.size() : cr) - pos);
            if (cr != std::string_view::npos && lineBytes_ == 0) {
                // A whole line in the piece, as most are, needs no copy.
                signed_ = part.find('=') != std::string_view::npos;
                if (signed_) lineUnits_ = utf16Length(part);
                endLine(part);
            } else {
                append(part);
                if (cr == std::string_view::npos) break;
                endLine(line_);
            }
            pos = cr + 1;
            if (pos == piece.size()) {
                afterCr_ = true;
            } else if (piece[pos] == '\n') {
                ++pos;
            }
        }
    }

    // False when a stored line was not UTF-8 after all: the file changed.
    bool finish() {
        if (lineBytes_ > 0) endLine(line_);
        return !changed_;
    }

private:
    void append(std::string_view part) {
        lineBytes_ += part.size();
        lineUnits_ += utf16Length(part);
        signed_ = signed_ || part.find('=') != std::string_view::npos;
        if (lineUnits_ > kMaxEntryLength + 1) {
            line_ = {};  // too long for an entry: only a note can be so long
        } else {
            line_ += part;
        }
    }

    void endLine(std::string_view line) {
        ++lineNumber_;
        if (signed_ && !changed_) {
            admitEntry(lineNumber_, entryCount_, lineUnits_);
            if (checked_ || isValidUtf8(line)) {
                ++entryCount_;
                Entry& slot = table_[static_cast<std::size_t>(entryCount_)];
                const std::size_t sign = line.find('=');
                const std::size_t titleUnits = utf16Length(line.substr(0, sign));
                slot.title.resize(titleUnits);
                slot.content.resize(lineUnits_ - titleUnits - 1);
                decodeUtf8Prefix(line.substr(0, sign), slot.title.data());
                decodeUtf8Prefix(line.substr(sign + 1), slot.content.data());
            } else {
                changed_ = true;
            }
        }
        line_.clear();
        lineBytes_ = lineUnits_ = 0;
        signed_ = false;
    }

    EntryTable& table_;
    std::int16_t& entryCount_;
    std::string line_;
    std::size_t lineNumber_ = 0;
    std::size_t lineBytes_ = 0;
    std::size_t lineUnits_ = 0;
    bool signed_ = false;  // the line holds an '='
    bool checked_;
    bool afterCr_ = false;
    bool changed_ = false;
};

}  // namespace

void loadDataBytes(std::string_view bytes, const TextCodec& codec, EntryTable& table,
                   std::int16_t& entryCount) {
    const DataEncoding encoding = dataEncoding(bytes);
    if (encoding != DataEncoding::Utf8) {
        loadEntries(decodeAs(encoding, bytes, codec), table, entryCount);
        return;
    }
    // The usual file: each title and content is decoded straight into its
    // slot, so the file's whole text is never held beside the table.
    Utf8Lines lines(table, entryCount, /*checked=*/true);
    lines.feed(bytes);
    lines.finish();
}

bool loadUtf8InPieces(const ReadInPieces& read, EntryTable& table, std::int16_t& entryCount) {
    Utf8Check check;
    if (read([&](std::string_view piece) { check.feed(piece); }) != ReadResult::Read ||
        !check.valid()) {
        return false;
    }
    const std::int16_t before = entryCount;
    Utf8Lines lines(table, entryCount, /*checked=*/false);
    if (read([&](std::string_view piece) { lines.feed(piece); }) == ReadResult::Read &&
        lines.finish()) {
        return true;
    }
    for (int slot = before + 1; slot <= entryCount; ++slot) {
        table[static_cast<std::size_t>(slot)] = {};
    }
    entryCount = before;
    return false;
}

void loadDataFile(const FileSystem& files, const TextCodec& codec,
                  const std::filesystem::path& path, EntryTable& table, std::int16_t& entryCount) {
    // The usual file, UTF-8 without a mark, is read twice, a piece at a time:
    // once to check that it is UTF-8 and once to load it, so that neither its
    // bytes nor its text are ever held whole beside the table. Any other file
    // is read whole.
    ReadResult result = ReadResult::Read;
    const bool loaded = loadUtf8InPieces(
        [&](const std::function<void(std::string_view)>& consume) {
            return result = files.readRegularFileInPieces(path, kMaxDataFileBytes, consume);
        },
        table, entryCount);
    if (loaded) return;
    // Not opened again: a pipe, say, may let only one reader in.
    if (result != ReadResult::Read) throwReadError(result, path);
    loadDataBytes(readDataFile(files, path), codec, table, entryCount);
}

}  // namespace quillo
