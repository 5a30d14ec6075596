#include "store/data_file_parts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "base/run_error.h"
#include "base/unicode.h"
#include "platform/system_services.h"
#include "platform/text_codec.h"
#include "store/data_file.h"

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
    std::optional<ErrorNumber> error;
    std::string concerns;
    bool operator==(const Outcome&) const = default;
};

Outcome loading(Pairs entries) {
    return {std::move(entries), std::nullopt, ""};
}

Outcome failing(ErrorNumber error, std::string concerns) {
    return {{}, error, concerns};
}

// The bytes handed over `size` at a time, or whole when `size` is 0.
ReadInPieces inPieces(const std::string& bytes, std::size_t size) {
    return [&bytes, size](const PieceConsumer& consume) {
        const std::size_t step = size ? size : bytes.size();
        for (std::size_t pos = 0; pos < bytes.size() && consume(bytes.substr(pos, step));) {
            pos += step;
        }
        return ReadResult::Read;
    };
}

Outcome outcomeOf(const ReadInPieces& read, const TextCodec& codec) {
    auto loaded = std::make_unique<Loaded>();
    try {
        loadDataPieces(read, codec, "data.txt", loaded->table, loaded->entryCount);
    } catch (const RunError& error) {
        return failing(error.number(), error.concerns());
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

// A text written in every encoding that holds it: GBK only where it holds
// the text and does not read as UTF-8.
std::vector<std::pair<const char*, std::string>> encodings(std::u16string_view text,
                                                           const TextCodec& codec) {
    std::vector<std::pair<const char*, std::string>> files = {
        {"UTF-8", toUtf8(text)},
        {"UTF-8 with its mark", "\xEF\xBB\xBF" + toUtf8(text)},
        {"UTF-16 little-endian", utf16Bytes(text, Endian::Little)},
        {"UTF-16 big-endian", utf16Bytes(text, Endian::Big)},
    };
    const std::string gbk = codec.encodeAnsi(text);
    const bool readsAsUtf8 = decodeUtf8Prefix(gbk, nullptr).stop == Utf8Stop::End;
    if (codec.decodeAnsi(gbk) == text && (!readsAsUtf8 || gbk == files[0].second)) {
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

Pairs numberedEntries(int entries) {
    Pairs pairs;
    for (int i = 1; i <= entries; ++i)
        pairs.emplace_back(u"t" + decodeUtf8(std::to_string(i)), u"c");
    return pairs;
}

struct Row {
    const char* name;
    std::variant<std::u16string, std::string> file;  // a text, or bytes as they stand
    Outcome expected;
};

// Every row in every encoding that holds it, handed over in pieces of 1, 2, 3
// and 5 bytes (a large file: of 4,093) and whole, so that a piece ends at
// every byte of a character and of a line end.
TEST(LoadDataPieces, EveryEncodingAndEveryCutGiveTheSameEntries) {
    const std::u16string atLimit = u"t=" + std::u16string(kMaxEntryLength - 1, u'中');
    const std::u16string crLfInUnits = u"\u0D0A\u0D41\u410A\u410D\u0A41";
    const std::vector<Row> rows = {
        {"empty file", u"", {}},
        {"no sign anywhere", u"free text\r\nmore\r\n", {}},
        {"first sign splits", u"a=b=c\r\n", loading({{u"a", u"b=c"}})},
        {"spaces stay", u" k = v\r\n", loading({{u" k ", u" v"}})},
        {"empty title and content", u"=x\r\ny=\r\n=\r\n",
         loading({{u"", u"x"}, {u"y", u""}, {u"", u""}})},
        {"last line without terminator", u"a=1\r\nb=2", loading({{u"a", u"1"}, {u"b", u"2"}})},
        {"lone CR ends a line", u"a=1\rb=2\r", loading({{u"a", u"1"}, {u"b", u"2"}})},
        {"lone LF stays in the text", u"a=1\nb=2\r\n", loading({{u"a", u"1\nb=2"}})},
        {"blank and free lines skipped", u"\r\n\r\nx\r\na=1\r\n\r\nfree\r\nb=2\r\n",
         loading({{u"a", u"1"}, {u"b", u"2"}})},
        {"CR CR LF is an empty line between", u"a=1\r\r\nb=2",
         loading({{u"a", u"1"}, {u"b", u"2"}})},
        {"NUL is text", std::u16string(u"a\0=b\0", 5),
         loading({{std::u16string(u"a\0", 2), std::u16string(u"b\0", 2)}})},
        {"Chinese", u"姓名=张三\r\n", loading({{u"姓名", u"张三"}})},
        {"four bytes after a long ASCII run", u"abcdefghij😀=", loading({{u"abcdefghij😀", u""}})},
        {"a pair across eight units", u"abcdefg😀hijklmnop=",
         loading({{u"abcdefg😀hijklmnop", u""}})},
        // In UTF-16 these hold the bytes of CR LF in one order or the other,
        // or across two characters: none ends a line.
        {"units that hold the bytes of CR LF",
         u"姓名=张三\r\n\u0A0D=" + crLfInUnits + u"\r\n😀=x\ry=\n\r\n",
         loading({{u"姓名", u"张三"}, {u"\u0A0D", crLfInUnits}, {u"😀", u"x"}, {u"y", u"\n"}})},
        {"145 entries", entryLines(145, u"free line\r\n\r\n"), loading(numberedEntries(145))},
        // Three lines per entry: the 146th stands on line 436.
        {"the 146th entry line is error 9 naming the line", entryLines(146, u"free line\r\n\r\n"),
         failing(ErrorNumber::SubscriptOutOfRange, "data.txt 第 436 行：最多只能有 145 个条目")},
        {"an entry as long as a box takes", u"free\r\n" + atLimit + u"\r\n",
         loading({{u"t", atLimit.substr(2)}})},
        {"a line without a sign is never stored, however long",
         std::u16string(2 * kMaxEntryLength, u'x'),
         {}},
        {"an entry longer than a box takes is error 7 naming the line",
         u"free\r\n" + atLimit + u"x\r\n",
         failing(ErrorNumber::OutOfMemory,
                 "data.txt 第 2 行：条目长 1048577 个字符，最多 1048576 个")},
        {"many free lines do not count", std::u16string(200000, u'\r') + u"a=b",
         loading({{u"a", u"b"}})},
        // Bytes: only strict UTF-8 counts as UTF-8, and anything else is GBK.
        {"two bytes of the UTF-8 mark", std::string("\xEF\xBB="), loading({{u"\u9518", u""}})},
        {"ill-formed bytes after the UTF-8 mark",
         std::string("\xEF\xBB\xBF"
                     "a\xFF="),
         loading({{u"a\uFFFD", u""}})},
        {"an overlong form", std::string("\xC0\xAF="), loading({{u"\u8721", u""}})},
        {"an encoded surrogate", std::string("\xED\xA0\x80="), loading({{u"\u980E\u20AC", u""}})},
        {"beyond U+10FFFF", std::string("\xF4\x90\x80\x80="),
         loading({{u"\u9B6B\u20AC\u20AC", u""}})},
        {"a sequence cut off after a long ASCII run", std::string("abcdefghij\xE4\xB8="),
         loading({{u"abcdefghij\u6D93", u""}})},
        {"GBK with a cut-off last byte", std::string("=\xC4\xE3\xBA"),
         loading({{u"", u"你\uFFFD"}})},
        {"a byte that code page 936 maps alone",
         std::string("a\x80"
                     "b="),
         loading({{u"a€b", u""}})},
        {"an undefined byte",
         std::string("a\xFF"
                     "b="),
         loading({{u"a\uFFFDb", u""}})},
        {"half a UTF-16 mark", std::string("\xFF="), loading({{u"\uFFFD", u""}})},
        {"UTF-16 unpaired high surrogate",
         std::string("\xFF\xFE\x3D\xD8"
                     "A\0=\0",
                     8),
         loading({{u"\uFFFDA", u""}})},
        {"UTF-16 lone low surrogate", std::string("\xFE\xFF\xDE\0\0A\0=", 8),
         loading({{u"\uFFFDA", u""}})},
        {"UTF-16 high surrogate at the end", std::string("\xFF\xFE=\0A\0\x3D\xD8", 8),
         loading({{u"", u"A\uFFFD"}})},
        {"UTF-16 odd final byte", std::string("\xFF\xFE=\0A\0B", 7), loading({{u"", u"A\uFFFD"}})},
        {"UTF-16 lone surrogates among eight units",
         std::string("\xFE\xFF\0a\0b\xDE\0\0c\0d\0e\0f\0g\xD8\x3D\0h\0i\0j\0k\0l\0m\0n\0=", 36),
         loading({{u"ab\uFFFDcdefg\uFFFDhijklmn", u""}})},
    };
    const SystemServices services = makeSystemServices();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto files =
            std::holds_alternative<std::string>(row.file)
                ? std::vector<std::pair<const char*, std::string>>{{"bytes", std::get<std::string>(
                                                                                 row.file)}}
                : encodings(std::get<std::u16string>(row.file), *services.codec);
        for (const auto& [encoding, bytes] : files) {
            SCOPED_TRACE(encoding);
            const auto sizes = bytes.size() < 4096 ? std::vector<std::size_t>{1, 2, 3, 5, 0}
                                                   : std::vector<std::size_t>{4093, 0};
            for (const std::size_t size : sizes) {
                SCOPED_TRACE("pieces of " + std::to_string(size));
                EXPECT_EQ(outcomeOf(inPieces(bytes, size), *services.codec), row.expected);
            }
        }
    }
}

// The first read ends as soon as the encoding is settled: at a mark, or at
// the first byte that is not UTF-8.
TEST(LoadDataPieces, TheFirstReadEndsOnceTheEncodingIsSettled) {
    const std::string rest(100, 'x');
    const struct {
        const char* name;
        std::string bytes;
        std::size_t firstRead;  // pieces of a byte
    } rows[] = {
        {"UTF-16 mark", "\xFF\xFE" + rest, 3},
        {"UTF-8 mark", "\xEF\xBB\xBF" + rest, 3},
        {"GBK", "a=\xC4\xE3" + rest, 4},
        {"UTF-8 without a mark, to its end", "a=" + rest, 102},
    };
    const SystemServices services = makeSystemServices();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::size_t> taken;  // by each read
        const ReadInPieces read = [&](const PieceConsumer& consume) {
            taken.push_back(0);
            return inPieces(row.bytes, 1)([&](std::string_view piece) {
                ++taken.back();
                return consume(piece);
            });
        };
        outcomeOf(read, *services.codec);
        EXPECT_EQ(taken, (std::vector<std::size_t>{row.firstRead, row.bytes.size()}));
    }
}

// A read that fails, in the pass that decides the encoding or in the one
// that loads, names the file by its full path.
TEST(LoadDataPieces, AFailedReadIsTheErrorOfItsResult) {
    const std::string path = (std::filesystem::temp_directory_path() / "data.txt").string();
    const struct {
        ReadResult result;
        Outcome expected;
    } rows[] = {
        {ReadResult::NotFound, failing(ErrorNumber::FileNotFound, path)},
        {ReadResult::NotRegular, failing(ErrorNumber::PathFileAccess, path + "\n不是普通文件")},
        {ReadResult::NoAccess, failing(ErrorNumber::PathFileAccess, path)},
        {ReadResult::TooLarge, failing(ErrorNumber::OutOfMemory, path + "\n大于 256 MB 的上限")},
    };
    const SystemServices services = makeSystemServices();
    for (const auto& row : rows) {
        for (const int failingRead : {1, 2}) {
            SCOPED_TRACE(std::to_string(static_cast<int>(row.result)) + " at read " +
                         std::to_string(failingRead));
            int reads = 0;
            const ReadInPieces read = [&](const PieceConsumer& consume) {
                if (++reads == failingRead) return row.result;
                consume("a=b");
                return ReadResult::Read;
            };
            auto loaded = std::make_unique<Loaded>();
            try {
                loadDataPieces(read, *services.codec, path, loaded->table, loaded->entryCount);
                ADD_FAILURE() << "no error";
            } catch (const RunError& error) {
                EXPECT_EQ(failing(error.number(), error.concerns()), row.expected);
            }
        }
    }
}

class DataFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("quillo_data_file_test_" +
                std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add);
        // On Windows a file without permissions is merely read-only, and a
        // read-only file cannot be removed.
        for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add);
        }
        std::filesystem::remove_all(dir_);
    }
    std::filesystem::path write(const std::string& bytes) {
        const auto path = dir_ / "data.txt";
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    Loaded load(const std::filesystem::path& path) {
        Loaded loaded;
        loadDataFile(*services_.files, *services_.codec, path, loaded.table, loaded.entryCount);
        return loaded;
    }
    ErrorNumber errorLoading(const std::filesystem::path& path, std::string& concerns) {
        try {
            load(path);
        } catch (const RunError& error) {
            concerns = error.concerns();
            return error.number();
        }
        return ErrorNumber{};
    }

    std::filesystem::path dir_;
    SystemServices services_ = makeSystemServices();
};

TEST_F(DataFileOnDisk, LoadsGbkAndLeavesTheFileAlone) {
    const std::string bytes = "\xB5\xE7\xBB\xB0=010-12345678\r\nx";
    const auto path = write(bytes);
    const Loaded loaded = load(path);
    ASSERT_EQ(loaded.entryCount, 1);
    EXPECT_EQ(loaded.table[1].title, u"电话");
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), bytes);
}

TEST_F(DataFileOnDisk, MissingFileIsError53WithTheFullPath) {
    std::string concerns;
    EXPECT_EQ(errorLoading(dir_ / "data.txt", concerns), ErrorNumber::FileNotFound);
    EXPECT_EQ(concerns, (dir_ / "data.txt").string());
}

TEST_F(DataFileOnDisk, DirectoryIsError75WithThePath) {
    std::filesystem::create_directory(dir_ / "data.txt");
    std::string concerns;
    EXPECT_EQ(errorLoading(dir_ / "data.txt", concerns), ErrorNumber::PathFileAccess);
    EXPECT_EQ(concerns, (dir_ / "data.txt").string() + "\n不是普通文件");
}

TEST_F(DataFileOnDisk, UnreadableFileIsError75) {
    const auto path = write("a=b");
    std::filesystem::permissions(path, std::filesystem::perms::none);
    if (std::ifstream(path).good()) GTEST_SKIP() << "this user can read any file (root)";
    std::string concerns;
    EXPECT_EQ(errorLoading(path, concerns), ErrorNumber::PathFileAccess);
}

TEST_F(DataFileOnDisk, BinaryGarbageLoadsWithoutFailing) {
    std::string bytes;
    for (int i = 0; i < 1 << 16; ++i) {
        const char byte = static_cast<char>((i * 7919) & 0xFF);
        bytes.push_back(byte == '=' ? 'x' : byte);
    }
    bytes += "\r\nlast=\xFF\xFE";
    const Loaded loaded = load(write(bytes));
    ASSERT_EQ(loaded.entryCount, 1);
    EXPECT_EQ(loaded.table[1].title, u"last");
}

}  // namespace
}  // namespace quillo
