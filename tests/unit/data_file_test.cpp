#include "store/data_file_parts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/run_error.h"
#include "base/unicode.h"
#include "platform/system_services.h"

namespace quillo {
namespace {

struct Loaded {
    std::int16_t entryCount = 0;
    EntryTable table;
};

using Pairs = std::vector<std::pair<std::u16string, std::u16string>>;

Pairs entriesOf(const Loaded& loaded) {
    Pairs pairs;
    for (int i = 1; i <= loaded.entryCount; ++i) {
        pairs.emplace_back(loaded.table[i].title, loaded.table[i].content);
    }
    return pairs;
}

// A read that hands the bytes over `size` at a time.
ReadInPieces inPieces(const std::string& bytes, std::size_t size) {
    return [&bytes, size](const PieceConsumer& consume) {
        for (std::size_t pos = 0; pos < bytes.size(); pos += size) {
            consume(std::string_view(bytes).substr(pos, size));
        }
        return ReadResult::Read;
    };
}

// Loads the text, and the same text as UTF-8 bytes, split before they are
// decoded, whole and in pieces of three bytes: all give the same table, or
// the same error.
Loaded loadText(std::u16string_view text) {
    const SystemServices services = makeSystemServices();
    const std::string bytes = toUtf8(text);
    const std::vector<std::function<void(Loaded&)>> ways = {
        [&](Loaded& l) { loadEntries(text, l.table, l.entryCount); },
        [&](Loaded& l) { loadDataBytes(bytes, *services.codec, l.table, l.entryCount); },
        [&](Loaded& l) {
            EXPECT_TRUE(loadUtf8InPieces(inPieces(bytes, 3), l.table, l.entryCount));
        },
    };
    std::vector<Loaded> loaded(ways.size());
    std::optional<RunError> firstError;
    for (std::size_t i = 0; i < ways.size(); ++i) {
        try {
            ways[i](loaded[i]);
            EXPECT_FALSE(firstError) << "way " << i << " does not fail";
        } catch (const RunError& error) {
            EXPECT_TRUE(i == 0 || (firstError && firstError->number() == error.number() &&
                                   firstError->concerns() == error.concerns()))
                << "way " << i << ": " << error.concerns();
            if (i == 0) firstError = error;
        }
        EXPECT_EQ(entriesOf(loaded[i]), entriesOf(loaded[0])) << "way " << i;
    }
    if (firstError) throw *firstError;
    return loaded[0];
}

struct LineCase {
    const char* name;
    std::u16string text;
    Pairs expected;
};

TEST(LoadEntries, SplitsLinesAndFields) {
    const std::vector<LineCase> cases = {
        {"empty file", u"", {}},
        {"no sign anywhere", u"free text\r\nmore\r\n", {}},
        {"first sign splits", u"a=b=c\r\n", {{u"a", u"b=c"}}},
        {"spaces stay", u" k = v\r\n", {{u" k ", u" v"}}},
        {"empty title and content", u"=x\r\ny=\r\n=\r\n", {{u"", u"x"}, {u"y", u""}, {u"", u""}}},
        {"last line without terminator", u"a=1\r\nb=2", {{u"a", u"1"}, {u"b", u"2"}}},
        {"lone CR ends a line", u"a=1\rb=2\r", {{u"a", u"1"}, {u"b", u"2"}}},
        {"lone LF stays in the text", u"a=1\nb=2\r\n", {{u"a", u"1\nb=2"}}},
        {"blank and free lines skipped",
         u"\r\n\r\nx\r\na=1\r\n\r\nfree\r\nb=2\r\n",
         {{u"a", u"1"}, {u"b", u"2"}}},
        {"CR CR LF is an empty line between", u"a=1\r\r\nb=2", {{u"a", u"1"}, {u"b", u"2"}}},
        {"NUL bytes are text",
         std::u16string(u"a\0=b\0", 5),
         {{std::u16string(u"a\0", 2), std::u16string(u"b\0", 2)}}},
        {"Chinese", u"姓名=张三\r\n", {{u"姓名", u"张三"}}},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Loaded loaded = loadText(c.text);
        EXPECT_EQ(entriesOf(loaded), c.expected);
        EXPECT_TRUE(loaded.table[0].title.empty() && loaded.table[0].content.empty());
    }
}

std::u16string entryLines(int entries, const std::u16string& between) {
    std::u16string text;
    for (int i = 1; i <= entries; ++i) {
        text += u"t" + decodeUtf8(std::to_string(i)) + u"=c\r\n" + between;
    }
    return text;
}

TEST(LoadEntries, HoldsExactly145Entries) {
    const Loaded loaded = loadText(entryLines(145, u"free line\r\n\r\n"));
    EXPECT_EQ(loaded.entryCount, 145);
    EXPECT_EQ(loaded.table[145].title, u"t145");
}

TEST(LoadEntries, The146thEntryLineIsError9NamingTheLine) {
    // Three lines per entry: the 146th entry stands on line 436.
    try {
        loadText(entryLines(146, u"free line\r\n\r\n"));
        FAIL() << "no error";
    } catch (const RunError& error) {
        EXPECT_EQ(error.number(), ErrorNumber::SubscriptOutOfRange);
        EXPECT_NE(error.concerns().find("436"), std::string::npos) << error.concerns();
        EXPECT_NE(error.concerns().find("145"), std::string::npos) << error.concerns();
    }
}

TEST(LoadEntries, AnEntryLongerThanABoxCanTakeIsError7NamingTheLine) {
    const std::u16string atLimit = u"t=" + std::u16string(kMaxEntryLength - 1, u'中');
    EXPECT_EQ(loadText(u"free\r\n" + atLimit + u"\r\n").entryCount, 1);
    // A line without a sign is never stored, however long.
    EXPECT_EQ(loadText(std::u16string(2 * kMaxEntryLength, u'x')).entryCount, 0);
    try {
        loadText(u"free\r\n" + atLimit + u"x\r\n");
        FAIL() << "no error";
    } catch (const RunError& error) {
        EXPECT_EQ(error.number(), ErrorNumber::OutOfMemory);
        EXPECT_NE(error.concerns().find("第 2 行"), std::string::npos) << error.concerns();
    }
}

TEST(LoadEntries, ManyFreeLinesDoNotCount) {
    std::u16string text(200000, u'\r');
    text += u"a=b";
    EXPECT_EQ(loadText(text).entryCount, 1);
}

struct DecodeCase {
    const char* name;
    std::string bytes;
    DataEncoding encoding;
    std::u16string expected;
};

TEST(DecodeDataFile, ChoosesTheEncodingAndDecodes) {
    using enum DataEncoding;
    const SystemServices services = makeSystemServices();
    const std::vector<DecodeCase> cases = {
        {"empty", "", Utf8, u""},
        {"ASCII", "a=b\r\n", Utf8, u"a=b\r\n"},
        {"UTF-8 without mark", "\xE5\xA7\x93\xE5\x90\x8D=\xE5\xBC\xA0", Utf8, u"姓名=张"},
        {"UTF-8 with mark, mark dropped", "\xEF\xBB\xBF\xE5\xA7\x93=x", Utf8WithMark, u"姓=x"},
        {"UTF-8 mark alone", "\xEF\xBB\xBF", Utf8WithMark, u""},
        {"mark then invalid bytes",
         "\xEF\xBB\xBF"
         "a\xFF",
         Utf8WithMark, u"a\uFFFD"},
        {"two bytes of the mark", "\xEF\xBB", Ansi, u"\u9518"},
        {"GBK", "\xD0\xD5\xC3\xFB=\xD5\xC5\xC8\xFD", Ansi, u"姓名=张三"},
        {"GBK with a cut-off last byte", "\xC4\xE3\xBA", Ansi, u"你\uFFFD"},
        {"byte GBK cannot map",
         "a\x80"
         "b",
         Ansi, u"a\u20ACb"},
        {"undefined byte",
         "a\xFF"
         "b",
         Ansi, u"a\uFFFDb"},
        // Only strict UTF-8 counts as UTF-8; anything else is read as GBK.
        {"four-byte UTF-8 after a long ASCII run", "abcdefghij\xF0\x9F\x98\x80", Utf8,
         u"abcdefghij\U0001F600"},
        {"overlong form", "\xC0\xAF", Ansi, u"\u8721"},
        {"encoded surrogate", "\xED\xA0\x80", Ansi, u"\u980E\u20AC"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", Ansi, u"\u9B6B\u20AC\u20AC"},
        {"sequence cut off after a long ASCII run", "abcdefghij\xE4\xB8", Ansi,
         u"abcdefghij\u6D93"},
        // Notepad's "Unicode" (FF FE) and "Unicode big endian" (FE FF).
        {"UTF-16 little-endian, mark dropped", std::string("\xFF\xFE\xD3\x59\x0D\x54=\0", 8),
         Utf16Little, u"姓名="},
        {"UTF-16 big-endian, mark dropped", std::string("\xFE\xFF\x59\xD3\x54\x0D\0=", 8), Utf16Big,
         u"姓名="},
        {"UTF-16 surrogate pair", std::string("\xFF\xFE\x3D\xD8\0\xDE", 6), Utf16Little,
         u"\U0001F600"},
        {"UTF-16 unpaired high surrogate", std::string("\xFF\xFE\x3D\xD8\x41\0", 6), Utf16Little,
         u"\uFFFDA"},
        {"UTF-16 lone low surrogate", std::string("\xFE\xFF\xDE\x00\0\x41", 6), Utf16Big,
         u"\uFFFDA"},
        {"UTF-16 high surrogate at the end", std::string("\xFF\xFE\x41\0\x3D\xD8", 6), Utf16Little,
         u"A\uFFFD"},
        {"UTF-16 odd final byte", std::string("\xFF\xFE\x41\0\x42", 5), Utf16Little, u"A\uFFFD"},
        {"UTF-16 mark alone", "\xFF\xFE", Utf16Little, u""},
        {"UTF-16 pair across eight units",
         std::string("\xFF\xFE"
                     "a\0b\0c\0d\0e\0f\0g\0\x3D\xD8\0\xDEh\0i\0j\0k\0l\0m\0n\0o\0p\0",
                     38),
         Utf16Little, u"abcdefg\U0001F600hijklmnop"},
        {"UTF-16 lone surrogates among eight units",
         std::string("\xFE\xFF\0a\0b\xDE\0\0c\0d\0e\0f\0g\xD8\x3D\0h\0i\0j\0k\0l\0m\0n", 34),
         Utf16Big, u"ab\uFFFDcdefg\uFFFDhijklmn"},
        {"half a UTF-16 mark", "\xFF", Ansi, u"\uFFFD"},
    };
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(dataEncoding(c.bytes), c.encoding);
        EXPECT_EQ(decodeDataFile(c.bytes, *services.codec), c.expected);
        // Read in pieces of a byte, only what is plain UTF-8 loads.
        Loaded loaded;
        EXPECT_EQ(loadUtf8InPieces(inPieces(c.bytes, 1), loaded.table, loaded.entryCount),
                  c.encoding == Utf8);
    }
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

TEST(DecodeDataFile, Utf16LinesSplitOnCharactersNotBytes) {
    // U+0A0D and U+0D0A hold the bytes of CR LF in one byte order or the
    // other, and the pairs after them straddle two characters: none ends a line.
    const std::u16string content = u"\u0D0A\u0D41\u410A\u410D\u0A41";
    const std::u16string text = u"姓名=张三\r\n\u0A0D=" + content + u"\r\n😀=x\ry=\n\r\n";
    const Pairs expected = {{u"姓名", u"张三"}, {u"\u0A0D", content}, {u"😀", u"x"}, {u"y", u"\n"}};
    const SystemServices services = makeSystemServices();
    for (const Endian order : {Endian::Little, Endian::Big}) {
        SCOPED_TRACE(order == Endian::Little ? "little-endian" : "big-endian");
        EXPECT_EQ(entriesOf(loadText(decodeDataFile(utf16Bytes(text, order), *services.codec))),
                  expected);
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
