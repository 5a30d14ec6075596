#pragma once

#include <string>
#include <string_view>

namespace quillo {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view bytes);

// Each ill-formed sequence becomes one U+FFFD, so any bytes decode.
std::u16string decodeUtf8(std::string_view bytes);

// Decodes strict UTF-8 into `text`, or returns false at the first ill-formed
// sequence (`text` then holds nothing of use). Deciding and decoding in one
// pass halves the work on the usual file, which is UTF-8.
bool decodeStrictUtf8(std::string_view bytes, std::u16string& text);

// The UTF-16 length of valid UTF-8.
std::size_t utf16Length(std::string_view validUtf8);

// Decodes UTF-8 already found valid (isValidUtf8), `units` long in UTF-16
// (utf16Length), into `text`.
void decodeValidUtf8(std::string_view validUtf8, std::size_t units, std::u16string& text);

enum class Endian { Little, Big };

// UTF-16 bytes in the given order. An unpaired surrogate, and an odd byte
// at the end, each become U+FFFD.
std::u16string decodeUtf16(std::string_view bytes, Endian order);

// Whether the text holds a character that bidirectional layout may move or
// that may turn the direction of the line: a right-to-left letter (Hebrew,
// Arabic and the scripts near them) or a directional mark, embedding or
// isolate. Text without any reads left to right, each character in place.
bool mayRunRightToLeft(std::u16string_view text);

// A lone surrogate becomes U+FFFD.
std::string toUtf8(std::u16string_view text);

// Latin-1, as X11's STRING is: each character it lacks, a pair of surrogates
// or a lone one included, becomes one '?'.
std::string toLatin1(std::u16string_view text);

// For messages and tests that hold UTF-8 literals.
inline std::u16string fromUtf8(std::string_view text) {
    return decodeUtf8(text);
}

}  // namespace quillo
