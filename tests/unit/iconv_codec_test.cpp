#include "platform/posix/iconv_codec.h"

#include <gtest/gtest.h>

#include <string>

namespace quillo {
namespace {

std::string times(const std::string& text, int count) {
    std::string result;
    for (int i = 0; i < count; ++i) result += text;
    return result;
}

std::u16string times(const std::u16string& text, int count) {
    std::u16string result;
    for (int i = 0; i < count; ++i) result += text;
    return result;
}

// The codec hands iconv pieces that end before a byte below 40 or after
// 4,096 bytes, and widens ASCII itself: no character may change at the seams.
TEST(IconvCodec, DecodesGbkWholeAcrossItsPieces) {
    const std::string ni = "\xC4\xE3";  // 你
    const struct {
        const char* name;
        std::string bytes;
        std::u16string expected;
    } cases[] = {
        {"ASCII between Chinese, short and long",
         ni + " ab " + ni + std::string(40, 'x') + ni + "=1",
         u"你 ab 你" + std::u16string(40, u'x') + u"你=1"},
        {"a trail byte in ASCII's range", "\x81\x40" + std::string(20, 'y'),
         u"丂" + std::u16string(20, u'y')},
        {"a pair cut by the end of a piece", "\x80" + times(ni, 3000), u"€" + times(u"你", 3000)},
        {"a pair cut by the end of a piece, then a space", "\x80" + times(ni, 2048) + " ",
         u"€" + times(u"你", 2048) + u" "},
        {"an undefined byte at the end of a piece", times(ni, 2047) + "\xFF" + ni + ni,
         times(u"你", 2047) + u"\uFFFD你你"},
        {"a lead byte before a space", "\x81 x", u"\uFFFD x"},
        {"a lead byte at the end", ni + "\xC4", u"你\uFFFD"},
    };
    const IconvCodec codec;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(codec.decodeAnsi(c.bytes), c.expected);
    }
}

}  // namespace
}  // namespace quillo
