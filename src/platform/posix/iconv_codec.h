#pragma once

#include "platform/text_codec.h"

namespace quillo {

// Code page 936 (GBK) through iconv: the ANSI code page of the systems the data
// files are written on.
class IconvCodec : public TextCodec {
public:
    PieceDecoded decodeAnsiPiece(std::string_view bytes, bool last, char16_t* out) const override;
    std::string encodeAnsi(std::u16string_view text) const override;
};

}  // namespace quillo
