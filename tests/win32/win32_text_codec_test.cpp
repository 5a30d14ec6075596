#include "platform/win32/win32_text_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/unicode.h"
#include "platform/system_services.h"
#include "store/data_file.h"
#include "win32_test_support.h"

namespace quillo {
namespace {

template <typename Char>
std::basic_string<Char> repeated(const Char* text, int times) {
    std::basic_string<Char> result;
    for (int i = 0; i < times; ++i) result += text;
    return result;
}

// These tests run with LC_ALL=zh_CN.UTF-8, which gives Wine the ANSI code page
// of Chinese Windows.
TEST(Win32TextCodec, TheAnsiCodePageIs936) {
    EXPECT_EQ(GetACP(), 936u);
    EXPECT_EQ(Win32TextCodec().codePage(), 936u);
}

TEST(Win32TextCodec, DecodesAnsiBytes) {
    struct Case {
        const char* name;
        unsigned codePage;
        std::string bytes;
        std::u16string expected;
    };
    const std::vector<Case> cases = {
        {"GBK", 936, "\xC4\xE3\xBA\xC3", u"你好"},
        {"ASCII", 936, "a=b\r\n", u"a=b\r\n"},
        {"empty", 936, "", u""},
        {"NUL is a character", 936, std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
        {"euro sign", 936, "\x80", u"€"},
        {"cut-off double byte", 936, "\xC4\xE3\xBA", u"你\uFFFD"},
        {"undefined byte between", 936,
         "a\xFF"
         "b",
         u"a\uFFFDb"},
        {"bad trail byte keeps the next character", 936, "\x81\x20x", u"\uFFFD x"},
        {"Western code page", 1252, "caf\xE9", u"café"},
        {"UTF-8 code page", 65001, "\xE4\xBD\xA0\xFF", u"你\uFFFD"},
        {"one bad byte in a long text", 936,
         repeated("\xC4\xE3", 50000) + "\xFF" + repeated("\xBA\xC3", 50000),
         repeated(u"你", 50000) + u"\uFFFD" + repeated(u"好", 50000)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Win32TextCodec(c.codePage).decodeAnsi(c.bytes), c.expected);
    }
}

TEST(Win32TextCodec, EncodesTextWithQuestionMarksForWhatIsMissing) {
    struct Case {
        const char* name;
        unsigned codePage;
        std::u16string text;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"GBK", 936, u"C:\\数据\\data.txt", "C:\\\xCA\xFD\xBE\xDD\\data.txt"},
        {"Thai is not in GBK", 936, u"a\u0E01b", "a?b"},
        {"lone surrogate", 936, u"a\xD800", "a?"},
        {"no look-alike for a missing letter", 1252, u"\u0101", "?"},
        {"Western", 1252, u"café", "caf\xE9"},
        {"empty", 936, u"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Win32TextCodec(c.codePage).encodeAnsi(c.text), c.expected);
    }
}

class DataFileUnderWindows : public testing::TempFolderTest {};

TEST_F(DataFileUnderWindows, TheLoaderReadsGbkAndUtf8) {
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::u16string> titles;
        std::vector<std::u16string> contents;
    };
    const std::vector<Case> cases = {
        {"GBK",
         "\xD0\xD5\xC3\xFB=\xD5\xC5\xC8\xFD\r\n\xB5\xE7\xBB\xB0=010-12345678",
         {u"姓名", u"电话"},
         {u"张三", u"010-12345678"}},
        {"UTF-8", "\xE5\xA7\x93\xE5\x90\x8D=\xE5\xBC\xA0\xE4\xB8\x89\r\n", {u"姓名"}, {u"张三"}},
        {"UTF-8 with its mark", "\xEF\xBB\xBFk=\xE5\xBC\xA0", {u"k"}, {u"张"}},
        {"GBK that would be valid Latin-1", "caf\xE9=x", {u"caf\uFFFD"}, {u"x"}},
    };
    const SystemServices services = makeSystemServices();
    // A folder name outside ASCII checks that the loader opens wide paths.
    std::filesystem::create_directories(dir_ / u"数据");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = write(std::filesystem::path(u"数据") / "data.txt", c.bytes);
        EntryTable table;
        std::int16_t entryCount = 0;
        loadDataFile(*services.files, *services.codec, path, table, entryCount);
        ASSERT_EQ(entryCount, static_cast<std::int16_t>(c.titles.size()));
        for (std::size_t i = 0; i < c.titles.size(); ++i) {
            EXPECT_EQ(table[i + 1].title, c.titles[i]);
            EXPECT_EQ(table[i + 1].content, c.contents[i]);
        }
    }
}

}  // namespace
}  // namespace quillo
