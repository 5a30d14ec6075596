#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillo {

// What a surrogate is, said once: D800-DBFF opens a pair, DC00-DFFF closes
// it, and either alone stands for nothing.
constexpr bool isSurrogate(char16_t unit) {
    return (unit & 0xF800) == 0xD800;
}
constexpr bool isHighSurrogate(char16_t unit) {
    return (unit & 0xFC00) == 0xD800;
}
constexpr bool isSurrogatePair(char16_t first, char16_t second) {
    return isHighSurrogate(first) && (second & 0xFC00) == 0xDC00;
}

// Where a strict decode of UTF-8 stopped: at the end of the bytes, at a
// sequence that the end cuts off (it may go on in the next piece), or at
// one that is ill-formed. Strict: no overlong forms, no surrogates, nothing
// above U+10FFFF.
enum class Utf8Stop { End, Cut, IllFormed };

struct Utf8Decoded {
    Utf8Stop stop;
    std::size_t read;     // bytes before the stop
    std::size_t written;  // UTF-16 units they gave
};

// The one reader of UTF-8. Decodes strict UTF-8 into `out` up to the end or
// the first sequence that is cut off or ill-formed; `out` has room for a unit
// per byte (past what is written it may be overwritten), or is null to check
// only (`written` is then 0).
Utf8Decoded decodeUtf8Prefix(std::string_view bytes, char16_t* out);

// Widens the run of ASCII at the start of `bytes` into `out`, which has
// room for a unit per byte, and returns its length.
std::size_t widenAscii(std::string_view bytes, char16_t* out);

// What a decoder of pieces did: the bytes it used and the units it wrote.
struct PieceDecoded {
    std::size_t used;
    std::size_t written;
};

// The decoders of text that arrives in pieces, one per encoding (the code
// page's is TextCodec::decodeAnsiPiece). Each decodes `bytes` into `out`,
// which has room for a unit per byte, and uses all of them when `last`, else
// all but a character that their end cuts off, which the caller hands again
// with the bytes that follow. Cut anywhere, the pieces give the text that
// the whole gives.

// Strict UTF-8; each ill-formed byte becomes one U+FFFD, so any bytes decode.
PieceDecoded decodeUtf8Piece(std::string_view bytes, bool last, char16_t* out);

enum class Endian { Little, Big };

// UTF-16 bytes in the given order. An unpaired surrogate, and an odd byte
// at the end, each become U+FFFD.
PieceDecoded decodeUtf16Piece(std::string_view bytes, Endian order, bool last, char16_t* out);

// Whole UTF-8, as decodeUtf8Piece decodes it (for paths, messages and UTF-8
// literals).
std::u16string decodeUtf8(std::string_view bytes);

// The position of the first `a` or `b` in the text from `from` on, or npos.
std::size_t findEither(std::u16string_view text, std::size_t from, char16_t a, char16_t b);

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

}  // namespace quillo
