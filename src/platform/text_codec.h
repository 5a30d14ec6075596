#pragma once

#include <string>
#include <string_view>

namespace quillo {

// The system's ANSI code page: 8-bit text in files and registry values.
class TextCodec {
public:
    virtual ~TextCodec() = default;
    // Never fails: a byte sequence the code page cannot map becomes U+FFFD.
    virtual std::u16string decodeAnsi(std::string_view bytes) const = 0;
    // Characters the code page lacks become '?'.
    virtual std::string encodeAnsi(std::u16string_view text) const = 0;
};

}  // namespace quillo
