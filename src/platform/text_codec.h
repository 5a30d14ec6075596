#pragma once

#include <string>
#include <string_view>

#include "base/unicode.h"

namespace quillo {

// The system's ANSI code page: 8-bit text in files and registry values. Both
// directions throw RunError: 5 when the system lacks the conversion, 6 for a
// text longer than the conversion can count.
class TextCodec {
public:
    virtual ~TextCodec() = default;
    // A piece of a longer text, as the decoders in base/unicode.h take one:
    // `out` has room for a unit per byte, and unless `last`, a double-byte
    // character that the end cuts in two is left for the next piece. A byte
    // sequence the code page cannot map becomes U+FFFD.
    virtual PieceDecoded decodeAnsiPiece(std::string_view bytes, bool last,
                                         char16_t* out) const = 0;
    // Characters the code page lacks become '?'.
    virtual std::string encodeAnsi(std::u16string_view text) const = 0;

    // A whole text, such as a registry value.
    std::u16string decodeAnsi(std::string_view bytes) const {
        std::u16string text(bytes.size(), u'\0');
        text.resize(decodeAnsiPiece(bytes, true, text.data()).written);
        return text;
    }
};

}  // namespace quillo
