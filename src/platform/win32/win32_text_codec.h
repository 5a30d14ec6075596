#pragma once

#include "platform/text_codec.h"

namespace quillo {

// A Windows code page through MultiByteToWideChar and WideCharToMultiByte.
class Win32TextCodec : public TextCodec {
public:
    // The system's ANSI code page (GetACP).
    Win32TextCodec();
    explicit Win32TextCodec(unsigned codePage);

    unsigned codePage() const { return codePage_; }

    PieceDecoded decodeAnsiPiece(std::string_view bytes, bool last, char16_t* out) const override;
    std::string encodeAnsi(std::u16string_view text) const override;

private:
    unsigned codePage_;
};

}  // namespace quillo
