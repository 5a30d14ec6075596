#include "base/unicode.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

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
