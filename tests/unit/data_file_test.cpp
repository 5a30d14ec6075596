#include "store/data_file_parts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "base/run_error.h"
#include "base/unicode.h"
#include "platform/system_services.h"
#include "platform/text_codec.h"
#include "store/data_file.h"
#include "support/temp_folder.h"

namespace quillo {
namespace {

struct Loaded {
    std::int16_t entryCount = 0;
    EntryTable table;
};

using Pairs = std::vector<std::pair<std::u16string, std::u16string>>;

// What a load gives: the entries, or an error and what it concerns.
struct Outcome {
    Pairs entries;
    ErrorNumber error{};
    std::string concerns{};
    bool operator==(const Outcome&) const = default;
};

void PrintTo(const Outcome& outcome, std::ostream* out) {
    *out << static_cast<int>(outcome.error) << outcome.concerns
         << ::testing::PrintToString(outcome.entries);
}

// The bytes handed over `size` at a time (whole when `size` is 0), and how
// many each read takes.
ReadInPieces inPieces(const std::string& bytes, std::size_t size, std::vector<std::size_t>& taken) {
    return [&bytes, size, &taken](const PieceConsumer& consume) {
        const std::size_t step = size ? size : bytes.size();
        taken.push_back(0);
        for (bool more = true; more && taken.back() < bytes.size();) {
            more = consume(bytes.substr(taken.back(), step));
            taken.back() = std::min(taken.back() + step, bytes.size());
        }
        return ReadResult::Read;
    };
}

Outcome outcomeOf(const ReadInPieces& read, const TextCodec& codec, const std::string& path) {
    auto loaded = std::make_unique<Loaded>();
    try {
        loadDataPieces(read, codec, path, loaded->table, loaded->entryCount);
    } catch (const RunError& error) {
        return {{}, error.number(), error.concerns()};
    }
    Outcome outcome;
    for (int i = 1; i <= loaded->entryCount; ++i) {
        const Entry& entry = loaded->table[i];
        outcome.entries.emplace_back(entry.title, entry.content);
        // The largest file fills the table with 290 MiB: a slot holds no more than its text.
        EXPECT_TRUE(entry.content.size() < 64 || entry.content.capacity() == entry.content.size());
    }
    EXPECT_EQ(loaded->table[0].title.size() + loaded->table[0].content.size(), 0u);
    return outcome;
}

std::string utf16Bytes(std::u16string_view text, Endian order) {
    std::string bytes = order == Endian::Little ? "\xFF\xFE" : "\xFE\xFF";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += order == Endian::Little ? std::string{low, high} : std::string{high, low};
    }
    return bytes;
}

// A text written in every encoding that holds it (GBK where it does not read
// as UTF-8), or bytes as they stand.
std::vector<std::pair<const char*, std::string>> files(
    const std::variant<std::u16string, std::string, ReadResult>& file, const TextCodec& codec) {
    if (const auto* bytes = std::get_if<std::string>(&file)) return {{"bytes", *bytes}};
    const std::u16string& text = std::get<std::u16string>(file);
    std::vector<std::pair<const char*, std::string>> files = {
        {"UTF-8", toUtf8(text)},
        {"UTF-8 with its mark", "\xEF\xBB\xBF" + toUtf8(text)},
        {"UTF-16 little-endian", utf16Bytes(text, Endian::Little)},
        {"UTF-16 big-endian", utf16Bytes(text, Endian::Big)},
    };
    const std::string gbk = codec.encodeAnsi(text);
    if (codec.decodeAnsi(gbk) == text && decodeUtf8Prefix(gbk, nullptr).stop != Utf8Stop::End) {
        files.emplace_back("GBK", gbk);
    }
    return files;
}

std::u16string entryLines(int entries, const std::u16string& between) {
    std::u16string text;
    for (int i = 1; i <= entries; ++i) {
        text += u"t" + decodeUtf8(std::to_string(i)) + u"=c\r\n" + between;
    }
    return text;
}

// 64 KB of every byte but '=', in no order, and an entry.
std::string binaryGarbage() {
    std::string bytes;
    for (int i = 0; i < 1 << 16; ++i) bytes.push_back(static_cast<char>((i * 7919) & 0xFF));
    std::replace(bytes.begin(), bytes.end(), '=', 'x');
    return bytes + "\r\nlast=\xFF\xFE";
}

Pairs numberedEntries(int entries) {
    Pairs pairs;
    for (int i = 1; i <= entries; ++i)
        pairs.emplace_back(u"t" + decodeUtf8(std::to_string(i)), u"c");
    return pairs;
}

struct Row {
    const char* name;
    // A text, bytes as they stand, or a read that fails
    std::variant<std::u16string, std::string, ReadResult> file;
    Outcome expected;
};

// Every row in every encoding that holds it, handed over in pieces of 1, 2, 3
// and 5 bytes (a large file: of 4,093) and whole, so that a piece ends at
// every byte of a character and of a line end; a read that fails, in the
// read that decides the encoding and in the one that loads.
TEST(LoadDataPieces, EveryEncodingAndEveryCutGiveTheSameEntries) {
    const std::string path = (std::filesystem::temp_directory_path() / "data.txt").string();
    const std::u16string atLimit = u"t=" + std::u16string(kMaxEntryLength - 1, u'中');
    const std::u16string crLfInUnits = u"\u0D0A\u0D41\u410A\u410D\u0A41";
    const std::vector<Row> rows = {
        {"empty file", u"", {}},
        {"no sign anywhere", u"free text\r\nmore\r\n", {}},
        {"first sign splits", u"a=b=c\r\n", {{{u"a", u"b=c"}}}},
        {"spaces stay", u" k = v\r\n", {{{u" k ", u" v"}}}},
        {"empty title and content", u"=x\r\ny=\r\n=\r\n", {{{u"", u"x"}, {u"y", u""}, {u"", u""}}}},
        {"last line without terminator", u"a=1\r\nb=2", {{{u"a", u"1"}, {u"b", u"2"}}}},
        {"lone CR ends a line", u"a=1\rb=2\r", {{{u"a", u"1"}, {u"b", u"2"}}}},
        {"lone LF stays in the text", u"a=1\nb=2\r\n", {{{u"a", u"1\nb=2"}}}},
        {"blank and free lines skipped",
         u"\r\n\r\nx\r\na=1\r\n\r\nfree\r\nb=2\r\n",
         {{{u"a", u"1"}, {u"b", u"2"}}}},
        {"CR CR LF is an empty line between", u"a=1\r\r\nb=2", {{{u"a", u"1"}, {u"b", u"2"}}}},
        {"NUL is text",
         std::u16string(u"a\0=b\0", 5),
         {{{std::u16string(u"a\0", 2), std::u16string(u"b\0", 2)}}}},
        {"Chinese", u"姓名=张三\r\n", {{{u"姓名", u"张三"}}}},
        {"four bytes after a long ASCII run", u"abcdefghij😀=", {{{u"abcdefghij😀", u""}}}},
        {"a pair across eight units", u"abcdefg😀hijklmnop=", {{{u"abcdefg😀hijklmnop", u""}}}},
        // In UTF-16 these hold the bytes of CR LF in one order or the other,
        // or across two characters: none ends a line.
        {"units that hold the bytes of CR LF",
         u"姓名=张三\r\n\u0A0D=" + crLfInUnits + u"\r\n😀=x\ry=\n\r\n",
         {{{u"姓名", u"张三"}, {u"\u0A0D", crLfInUnits}, {u"😀", u"x"}, {u"y", u"\n"}}}},
        {"145 entries", entryLines(145, u"free line\r\n\r\n"), {numberedEntries(145)}},
        // Three lines per entry: the 146th stands on line 436.
        {"the 146th entry line is error 9 naming the line",
         entryLines(146, u"free line\r\n\r\n"),
         {{}, ErrorNumber::SubscriptOutOfRange, "data.txt 第 436 行：最多只能有 145 个条目"}},
        {"an entry as long as a box takes",
         u"free\r\n" + atLimit + u"\r\n",
         {{{u"t", atLimit.substr(2)}}}},
        {"a line without a sign is never stored, however long",
         std::u16string(2 * kMaxEntryLength, u'x'),
         {}},
        {"an entry longer than a box takes is error 7 naming the line",
         u"free\r\n" + atLimit + u"x\r\n",
         {{},
          ErrorNumber::OutOfMemory,
          "data.txt 第 2 行：条目长 1048577 个字符，最多 1048576 个"}},
        {"many free lines do not count", std::u16string(200000, u'\r') + u"a=b", {{{u"a", u"b"}}}},
        // Bytes: only strict UTF-8 counts as UTF-8, and anything else is GBK.
        {"two bytes of the UTF-8 mark", std::string("\xEF\xBB="), {{{u"\u9518", u""}}}},
        {"ill-formed bytes after the UTF-8 mark",
         std::string("\xEF\xBB\xBF"
                     "a\xFF="),
         {{{u"a\uFFFD", u""}}}},
        {"an overlong form", std::string("\xC0\xAF="), {{{u"\u8721", u""}}}},
        {"an encoded surrogate", std::string("\xED\xA0\x80="), {{{u"\u980E\u20AC", u""}}}},
        {"beyond U+10FFFF", std::string("\xF4\x90\x80\x80="), {{{u"\u9B6B\u20AC\u20AC", u""}}}},
        {"a sequence cut off after a long ASCII run",
         std::string("abcdefghij\xE4\xB8="),
         {{{u"abcdefghij\u6D93", u""}}}},
        {"GBK with a cut-off last byte", std::string("=\xC4\xE3\xBA"), {{{u"", u"你\uFFFD"}}}},
        {"a byte that code page 936 maps alone",
         std::string("a\x80"
                     "b="),
         {{{u"a€b", u""}}}},
        {"an undefined byte",
         std::string("a\xFF"
                     "b="),
         {{{u"a\uFFFDb", u""}}}},
        {"binary garbage", binaryGarbage(), {{{u"last", u"\uFFFD\uFFFD"}}}},
        {"half a UTF-16 mark", std::string("\xFF="), {{{u"\uFFFD", u""}}}},
        {"UTF-16 unpaired high surrogate",
         std::string("\xFF\xFE\x3D\xD8"
                     "A\0=\0",
                     8),
         {{{u"\uFFFDA", u""}}}},
        {"UTF-16 lone low surrogate",
         std::string("\xFE\xFF\xDE\0\0A\0=", 8),
         {{{u"\uFFFDA", u""}}}},
        {"UTF-16 high surrogate at the end",
         std::string("\xFF\xFE=\0A\0\x3D\xD8", 8),
         {{{u"", u"A\uFFFD"}}}},
        {"UTF-16 odd final byte", std::string("\xFF\xFE=\0A\0B", 7), {{{u"", u"A\uFFFD"}}}},
        {"UTF-16 lone surrogates among eight units",
         std::string("\xFE\xFF\0a\0b\xDE\0\0c\0d\0e\0f\0g\xD8\x3D\0h\0i\0j\0k\0l\0m\0n\0=", 36),
         {{{u"ab\uFFFDcdefg\uFFFDhijklmn", u""}}}},
        {"a missing file", ReadResult::NotFound, {{}, ErrorNumber::FileNotFound, path}},
        {"no regular file",
         ReadResult::NotRegular,
         {{}, ErrorNumber::PathFileAccess, path + "\n不是普通文件"}},
        {"a file that cannot be read",
         ReadResult::NoAccess,
         {{}, ErrorNumber::PathFileAccess, path}},
        {"a file too large",
         ReadResult::TooLarge,
         {{}, ErrorNumber::OutOfMemory, path + "\n大于 256 MB 的上限"}},
    };
    const SystemServices services = makeSystemServices();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (const auto* result = std::get_if<ReadResult>(&row.file)) {
            for (int failing : {1, 2}) {
                const ReadInPieces read = [&](const PieceConsumer& consume) {
                    if (--failing == 0) return *result;
                    consume("a=b");
                    return ReadResult::Read;
                };
                EXPECT_EQ(outcomeOf(read, *services.codec, path), row.expected);
            }
            continue;
        }
        for (const auto& [encoding, bytes] : files(row.file, *services.codec)) {
            SCOPED_TRACE(encoding);
            const auto sizes = bytes.size() < 4096 ? std::vector<std::size_t>{1, 2, 3, 5, 0}
                                                   : std::vector<std::size_t>{4093, 0};
            for (const std::size_t size : sizes) {
                SCOPED_TRACE("pieces of " + std::to_string(size));
                std::vector<std::size_t> taken;
                EXPECT_EQ(outcomeOf(inPieces(bytes, size, taken), *services.codec, path),
                          row.expected);
                // The first read ends once a mark has settled the encoding.
                const std::string_view start = std::string_view(bytes).substr(0, 3);
                if (size == 1 && (start.starts_with("\xFF\xFE") || start.starts_with("\xFE\xFF") ||
                                  start == "\xEF\xBB\xBF")) {
                    EXPECT_EQ(taken.front(), start.size());
                }
            }
        }
    }
}

class DataFileOnDisk : public testing::TempFolderTest {
protected:
    Loaded load(const std::filesystem::path& path) {
        Loaded loaded;
        loadDataFile(*services_.files, *services_.codec, path, loaded.table, loaded.entryCount);
        return loaded;
    }

    SystemServices services_ = makeSystemServices();
};

TEST_F(DataFileOnDisk, LoadsGbkAndLeavesTheFileAlone) {
    const std::string bytes = "\xB5\xE7\xBB\xB0=010-12345678\r\nx";
    const auto path = write("data.txt", bytes);
    const Loaded loaded = load(path);
    ASSERT_EQ(loaded.entryCount, 1);
    EXPECT_EQ(loaded.table[1].title, u"电话");
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), bytes);
}

}  // namespace
}  // namespace quillo
