#include "store/data_file_parts.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
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
        case DataEncoding::Utf8:
            return decodeUtf8(bytes);
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

// The refusal of an entry line: RunError 9 after the 145th entry, and
// RunError 7 for one of `units` UTF-16 units (its sign included) that is
// longer than a title and a content may be.
std::optional<RunError> refusalOf(std::size_t lineNumber, std::int16_t entryCount,
                                  std::size_t units) {
    if (entryCount >= kMaxEntries) {
        return RunError(ErrorNumber::SubscriptOutOfRange,
                        "data.txt 第 " + std::to_string(lineNumber) + " 行：最多只能有 " +
                            std::to_string(kMaxEntries) + " 个条目");
    }
    if (units - 1 > kMaxEntryLength) {
        return RunError(ErrorNumber::OutOfMemory, "data.txt 第 " + std::to_string(lineNumber) +
                                                      " 行：条目长 " + std::to_string(units - 1) +
                                                      " 个字符，最多 " +
                                                      std::to_string(kMaxEntryLength) + " 个");
    }
    return std::nullopt;
}

// The units of a decoded text.
struct TextUnits {
    std::u16string_view text;

    std::size_t size() const { return text.size(); }
    std::size_t find(std::size_t from, char16_t a, char16_t b) const {
        return findEither(text, from, a, b);
    }
    char16_t at(std::size_t i) const { return text[i]; }
    std::u16string take(std::size_t from, std::size_t to) const {
        return std::u16string(text.substr(from, to - from));
    }
};

// The units of UTF-16 bytes, as decodeUtf16 decodes them: an odd byte at the
// end is one more unit, U+FFFD. Lines are found on the bytes, and only the
// titles and contents are decoded, straight into their slots.
struct Utf16Units {
    std::string_view bytes;
    Endian order;

    std::size_t size() const { return (bytes.size() + 1) / 2; }
    std::size_t find(std::size_t from, char16_t a, char16_t b) const {
        return findEither(bytes, order, from, a, b);
    }
    char16_t at(std::size_t i) const {
        if (2 * i + 1 == bytes.size()) return u'\uFFFD';
        const auto first = static_cast<unsigned char>(bytes[2 * i]);
        const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        return static_cast<char16_t>(order == Endian::Little ? first | second << 8
                                                             : first << 8 | second);
    }
    std::u16string take(std::size_t from, std::size_t to) const {
        return decodeUtf16(bytes.substr(2 * from, 2 * (to - from)), order);
    }
};

// Splits the units into lines and stores each title=content line, as
// loadEntries says.
template <typename Units>
void loadLines(const Units& units, EntryTable& table, std::int16_t& entryCount) {
    constexpr std::size_t kNone = std::u16string_view::npos;
    std::size_t lineNumber = 0;
    std::size_t start = 0;
    while (start < units.size()) {
        ++lineNumber;
        const std::size_t lineStart = start;
        std::size_t end = units.find(lineStart, u'\r', u'=');
        std::size_t sign = kNone;
        if (end != kNone && units.at(end) == u'=') {
            sign = end;
            end = units.find(sign + 1, u'\r', u'\r');
        }
        if (end == kNone) end = units.size();
        start = end + 1;
        if (start < units.size() && units.at(start) == u'\n') ++start;

        if (sign == kNone) continue;
        if (auto refusal = refusalOf(lineNumber, entryCount, end - lineStart)) throw *refusal;
        ++entryCount;
        Entry& slot = table[static_cast<std::size_t>(entryCount)];
        slot.title = units.take(lineStart, sign);
        slot.content = units.take(sign + 1, end);
    }
}

}  // namespace

void loadEntries(std::u16string_view text, EntryTable& table, std::int16_t& entryCount) {
    loadLines(TextUnits{text}, table, entryCount);
}

namespace {

// Whether UTF-8 that arrives in pieces is strict throughout, when a
// character may be cut between two pieces.
class Utf8Check {
public:
    void feed(std::string_view piece) {
        if (!valid_) return;
        std::size_t pos = 0;
        if (!cut_.empty()) {
            // The continuation bytes at the start finish the cut character.
            while (pos < piece.size() && pos < 3 && (piece[pos] & 0xC0) == 0x80) ++pos;
            cut_ += piece.substr(0, pos);
            const Utf8Stop stop = decodeUtf8Prefix(cut_, nullptr).stop;
            if (stop == Utf8Stop::Cut && pos == piece.size()) return;
            valid_ = stop == Utf8Stop::End;
            cut_.clear();
        }
        const Utf8Decoded rest = decodeUtf8Prefix(piece.substr(pos), nullptr);
        valid_ = valid_ && rest.stop != Utf8Stop::IllFormed;
        cut_ = piece.substr(pos + rest.read);
    }
    // True when all that was fed was strict UTF-8, and ended with a whole character.
    bool valid() const { return valid_ && cut_.empty(); }

private:
    bool valid_ = true;
    std::string cut_;  // a character cut at the end of the last piece
};

// Loads title=content lines from UTF-8 that arrives in pieces, in one pass
// that also finds whether the bytes are plain UTF-8 (strict, without a
// byte-order mark), as loadEntries loads their text. Only the line at hand
// is held, and of a line longer than an entry may be, only its length. A
// refusal (a 146th entry, one too long) stands only if the whole file is
// UTF-8, so it waits for the end.
class Utf8Lines {
public:
    Utf8Lines(EntryTable& table, std::int16_t& entryCount)
        : table_(table), entryCount_(entryCount), before_(entryCount) {}

    void feed(std::string_view piece) {
        if (!plain_) return;
        if (start_.size() < 3) {
            start_ += piece.substr(0, 3 - start_.size());
            // Only a file that no mark decides can be plain UTF-8.
            if (encodingByMark(start_)) plain_ = false;
        }
        std::size_t pos = 0;
        if (afterCr_ && !piece.empty()) {
            afterCr_ = false;
            if (piece[0] == '\n') pos = 1;
        }
        while (pos < piece.size() && plain_) {
            const std::size_t cr = piece.find('\r', pos);
            if (cr == std::string_view::npos) {
                carry(piece.substr(pos));
                break;
            }
            const std::string_view part = piece.substr(pos, cr - pos);
            if (held_.empty() && !dropped_) {
                endLine(part);  // a whole line in the piece, as most are, needs no copy
            } else {
                carry(part);
                endLine(held_);
            }
            pos = cr + 1;
            if (pos == piece.size()) {
                afterCr_ = true;
            } else if (piece[pos] == '\n') {
                ++pos;
            }
        }
    }

    // After the last piece: false, with the table and the count as they
    // were, when the file is not plain UTF-8. Throws the refusal when it is
    // and one was met.
    bool finish() {
        if (plain_ && (!held_.empty() || dropped_)) endLine(held_);
        if (!plain_) {
            abandon();
            return false;
        }
        if (refusal_) throw *refusal_;
        return true;
    }

    // Puts the table and the count back as they were.
    void abandon() {
        const int last = std::min<int>(entryCount_ + 1, kMaxEntries);
        for (int slot = before_ + 1; slot <= last; ++slot) {
            table_[static_cast<std::size_t>(slot)] = {};
        }
        entryCount_ = before_;
    }

private:
    // A part of a line that goes on in the next piece, or the last part of
    // one that began in an earlier piece.
    void carry(std::string_view part) {
        heldUnits_ += utf16Length(part);
        signed_ = signed_ || part.find('=') != std::string_view::npos;
        if (dropped_) {
            check_.feed(part);
        } else if (heldUnits_ > kMaxEntryLength + 1) {
            // Too long for an entry: only a note can be so long, or an error.
            dropped_ = true;
            check_.feed(held_);
            check_.feed(part);
            held_ = {};
        } else {
            held_ += part;
        }
    }

    void endLine(std::string_view line) {
        ++lineNumber_;
        if (dropped_) {
            plain_ = check_.valid();
            if (signed_) refuse(heldUnits_);
        } else if (const std::size_t sign = line.find('=');
                   sign == std::string_view::npos || refusal_) {
            plain_ = isValidUtf8(line);
        } else if (entryCount_ >= kMaxEntries) {
            refuse(0);
            plain_ = isValidUtf8(line);
        } else {
            Entry& slot = table_[static_cast<std::size_t>(entryCount_) + 1];
            // A held line has been measured already.
            const bool held = !held_.empty() && line.data() == held_.data();
            plain_ = decodeInto(line.substr(0, sign), slot.title) &&
                     decodeInto(line.substr(sign + 1), slot.content,
                                held ? heldUnits_ - slot.title.size() - 1 : kUnmeasured);
            if (plain_) {
                refuse(slot.title.size() + 1 + slot.content.size());
                if (refusal_) {
                    slot = {};
                } else {
                    ++entryCount_;
                }
            }
        }
        held_.clear();
        heldUnits_ = 0;
        signed_ = dropped_ = false;
        check_ = {};
    }

    // Decodes strict UTF-8 into `text`, which ends exactly as long as its
    // text; false if the bytes are not. Through a buffer: a string sized
    // first would be filled with zeros for nothing, and one that grows as it
    // goes would end larger than its text. A text longer than the buffer is
    // measured first.
    bool decodeInto(std::string_view bytes, std::u16string& text, std::size_t units = kUnmeasured) {
        if (!buffer_) buffer_.reset(new char16_t[kBuffer]);
        text.clear();
        if (bytes.size() > kBuffer) text.reserve(units != kUnmeasured ? units : utf16Length(bytes));
        while (!bytes.empty()) {
            const Utf8Decoded run = decodeUtf8Prefix(bytes.substr(0, kBuffer), buffer_.get());
            text.append(buffer_.get(), run.written);
            // A sequence cut by the end of the buffer is read whole next time.
            if (run.stop == Utf8Stop::IllFormed ||
                (run.stop == Utf8Stop::Cut && bytes.size() <= kBuffer)) {
                return false;
            }
            bytes.remove_prefix(run.read);
        }
        return true;
    }

    void refuse(std::size_t units) {
        if (!refusal_) refusal_ = refusalOf(lineNumber_, entryCount_, units);
    }

    EntryTable& table_;
    std::int16_t& entryCount_;
    const std::int16_t before_;
    bool plain_ = true;
    std::optional<RunError> refusal_;
    std::string start_;  // the first three bytes, for a mark
    std::size_t lineNumber_ = 0;
    bool afterCr_ = false;
    // The line at hand, when it began in an earlier piece:
    std::string held_;           // its bytes, while it may be an entry
    std::size_t heldUnits_ = 0;  // its length in UTF-16
    bool signed_ = false;        // it holds an '='
    bool dropped_ = false;       // too long for an entry: checked, not held
    Utf8Check check_;            // of a dropped line
    static constexpr std::size_t kBuffer = 64 * 1024;
    static constexpr std::size_t kUnmeasured = std::string_view::npos;
    std::unique_ptr<char16_t[]> buffer_;  // for decodeInto
};

}  // namespace

void loadDataBytes(std::string_view bytes, const TextCodec& codec, EntryTable& table,
                   std::int16_t& entryCount) {
    // The usual file, plain UTF-8, is checked as it is loaded, each title and
    // content decoded straight into its slot.
    Utf8Lines lines(table, entryCount);
    lines.feed(bytes);
    if (lines.finish()) return;
    const DataEncoding encoding = dataEncoding(bytes);
    if (encoding == DataEncoding::Utf16Little || encoding == DataEncoding::Utf16Big) {
        const Endian order = encoding == DataEncoding::Utf16Little ? Endian::Little : Endian::Big;
        loadLines(Utf16Units{bytes.substr(2), order}, table, entryCount);
    } else {
        loadEntries(decodeAs(encoding, bytes, codec), table, entryCount);
    }
}

bool loadUtf8InPieces(const ReadInPieces& read, EntryTable& table, std::int16_t& entryCount) {
    Utf8Lines lines(table, entryCount);
    const auto feed = [&](std::string_view piece) {
        lines.feed(piece);
        return true;
    };
    if (read(feed) != ReadResult::Read) {
        lines.abandon();
        return false;
    }
    return lines.finish();
}

void loadDataFile(const FileSystem& files, const TextCodec& codec,
                  const std::filesystem::path& path, EntryTable& table, std::int16_t& entryCount) {
    // The usual file, UTF-8 without a mark, is read once, a piece at a time,
    // and loaded as it comes, so that neither its bytes nor its text are ever
    // held whole beside the table. Any other file is read again, whole.
    ReadResult result = ReadResult::Read;
    const bool loaded = loadUtf8InPieces(
        [&](const PieceConsumer& consume) {
            return result = files.readRegularFileInPieces(path, kMaxDataFileBytes, consume);
        },
        table, entryCount);
    if (loaded) return;
    // Not opened again: a pipe, say, may let only one reader in.
    if (result != ReadResult::Read) throwReadError(result, path);
    loadDataBytes(readDataFile(files, path), codec, table, entryCount);
}

}  // namespace quillo
