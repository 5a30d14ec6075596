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

    std::u16string decodeAnsi(std::string_view bytes) const override;
    std::string encodeAnsi(std::u16string_view text) const override;

private:
    unsigned codePage_;
};

}  // namespace quillo
