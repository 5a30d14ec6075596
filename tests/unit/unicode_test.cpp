#include "base/unicode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillo {
namespace {

TEST(DecodeUtf8, StopsWhereTheBytesStopBeingStrictUtf8) {
    // Long enough for the runs that go sixteen and twelve bytes at a time.
    const std::string chinese = "中文字符测试一二三四";
    const std::u16string chinese16 = u"中文字符测试一二三四";
    const struct {
        const char* name;
        std::string bytes;
        Utf8Stop stop;
        std::size_t read;
        std::u16string lenient;  // each ill-formed byte one U+FFFD
    } cases[] = {
        {"empty", "", Utf8Stop::End, 0, u""},
        {"ASCII", std::string(40, 'a'), Utf8Stop::End, 40, std::u16string(40, u'a')},
        {"Chinese", chinese, Utf8Stop::End, 30, chinese16},
        {"Chinese and ASCII", "北京市海淀区中关村大街 27 号 Room 501, Example Co. 北京",
         Utf8Stop::End, 69, u"北京市海淀区中关村大街 27 号 Room 501, Example Co. 北京"},
        {"edges of three bytes", "\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF" + chinese,
         Utf8Stop::End, 42, u"\u0800\uD7FF\uE000\uFFFF" + chinese16},
        {"four bytes among Chinese", "中文😀字符测试一二", Utf8Stop::End, 28, u"中文😀字符测试一二"},
        {"two bytes", "Привет, мир", Utf8Stop::End, 20, u"Привет, мир"},
        {"surrogate in a Chinese run", "中文字\xED\xA0\x80" + chinese, Utf8Stop::IllFormed, 9,
         u"中文字\uFFFD\uFFFD\uFFFD" + chinese16},
        {"overlong in a Chinese run", "中文字\xE0\x80\x80" + chinese, Utf8Stop::IllFormed, 9,
         u"中文字\uFFFD\uFFFD\uFFFD" + chinese16},
        {"bad continuation in a Chinese run", "中文\xE5\xAD\x41" + chinese, Utf8Stop::IllFormed, 6,
         u"中文\uFFFD\uFFFDA" + chinese16},
        {"lead then ASCII", chinese + "\xE4\x41", Utf8Stop::IllFormed, 30, chinese16 + u"\uFFFDA"},
        {"overlong two bytes", "\xC0\xAF", Utf8Stop::IllFormed, 0, u"\uFFFD\uFFFD"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", Utf8Stop::IllFormed, 0,
         std::u16string(4, u'\uFFFD')},
        {"no such lead", "a\xF5", Utf8Stop::IllFormed, 1, u"a\uFFFD"},
        {"continuation alone", std::string(20, 'a') + "\x80", Utf8Stop::IllFormed, 20,
         std::u16string(20, u'a') + u"\uFFFD"},
        {"Chinese cut at the end", chinese + "\xE4\xB8", Utf8Stop::Cut, 30,
         chinese16 + u"\uFFFD\uFFFD"},
        {"four bytes cut", "\xF0\x9F\x98", Utf8Stop::Cut, 0, u"\uFFFD\uFFFD\uFFFD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(decodeUtf8(c.bytes), c.lenient);
        const std::u16string prefix = c.lenient.substr(0, c.lenient.find(u'\uFFFD'));
        std::u16string text(c.bytes.size(), u'\0');
        const Utf8Decoded decoded = decodeUtf8Prefix(c.bytes, text.data());
        EXPECT_EQ(decoded.stop, c.stop);
        EXPECT_EQ(decoded.read, c.read);
        EXPECT_EQ(text.substr(0, decoded.written), prefix);
        const Utf8Decoded checked = decodeUtf8Prefix(c.bytes, nullptr);
        EXPECT_EQ(checked.stop, c.stop);
        EXPECT_EQ(checked.read, c.read);
    }
}

TEST(MayRunRightToLeft, FindsEveryCharacterThatBidiLayoutMayMove) {
    const struct {
        std::u16string text;
        bool expected;
    } cases[] = {
        {u"", false},
        {u"北京 Beijing 123 =:/\n\t\u04FF", false},
        {u"abc \u05D0", true},             // Hebrew
        {u"\u0627\u0644", true},           // Arabic
        {u"x\u08FF", true},                // the end of Arabic Extended-A
        {u"x\u0900", false},               // Devanagari, left to right
        {u"a\u200Fb", true},               // right-to-left mark
        {u"a\u202Eb", true},               // right-to-left override
        {u"a\u2067b\u2069", true},         // right-to-left isolate
        {u"\uFB1D", true},                 // Hebrew presentation forms
        {u"\uFEFC", true},                 // Arabic presentation forms
        {u"\U00010900", true},             // Phoenician
        {u"\U0001E900", true},             // Adlam
        {u"\U0001F600\U00020000", false},  // an emoji, a CJK extension B character
    };
    for (const auto& c : cases) {
        EXPECT_EQ(mayRunRightToLeft(c.text), c.expected) << toUtf8(c.text);
    }
}

TEST(ToLatin1, GivesOneQuestionMarkForEachCharacterLatin1Lacks) {
    const struct {
        std::u16string text;
        std::string expected;
    } cases[] = {
        {u"", ""},
        {u"a = b\n\t", "a = b\n\t"},
        {u"café ÿ", "caf\xE9 \xFF"},
        {u"王晓明，27 号", "????27 ?"},
        {u"\U0001D11E x", "? x"},         // beyond the BMP: one character
        {{0xDD1E, u'x', 0xD834}, "?x?"},  // lone surrogates
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toLatin1(c.text), c.expected) << toUtf8(c.text);
    }
}

}  // namespace
}  // namespace quillo
