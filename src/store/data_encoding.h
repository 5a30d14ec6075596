#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/text_codec.h"

namespace quillo {

enum class Encoding { Utf16Little, Utf16Big, Utf8WithMark, Utf8, Ansi };

// Hands bytes that arrive in pieces, cut anywhere, to a step: a decoder, or
// the check of UTF-8. The step takes the bytes it is given up to a character
// that their end cuts off, unless `last`, and says how many it used; what it
// leaves of a piece, a few bytes, is handed to it again with kJoin bytes of
// the next, which finish any character.
class Pieces {
public:
    static constexpr std::size_t kJoin = 8;
    using Step = std::function<std::size_t(std::string_view bytes, bool last)>;
    explicit Pieces(Step step) : step_(std::move(step)) {}
    void feed(std::string_view piece);
    // What the end of the last piece cut off.
    void finish();

private:
    Step step_;
    std::string cut_;
};

// How a data file is encoded, the one rule: UTF-16 when it starts with its
// byte-order mark (FF FE little-endian, FE FF big-endian); UTF-8 when it
// starts with its mark (then ill-formed bytes become U+FFFD) or is strict
// UTF-8 throughout; otherwise the ANSI code page. It takes the file from its
// start, a piece at a time, and says as soon as it has seen enough.
class EncodingRule {
public:
    EncodingRule();
    EncodingRule(const EncodingRule&) = delete;
    EncodingRule& operator=(const EncodingRule&) = delete;

    // Takes the next piece; false once the encoding is settled.
    bool feed(std::string_view piece);
    // After the last piece, or once feed says it has seen enough.
    Encoding finish();

private:
    void seeStart();

    std::string start_;  // the first three bytes, for a mark
    bool startSeen_ = false;
    std::optional<Encoding> encoding_;
    Pieces strictUtf8_;
};

// The one decoder of each encoding, for a file that arrives in pieces: turns
// each piece into UTF-16, the byte-order mark dropped.
class PieceDecoder {
public:
    PieceDecoder(Encoding encoding, const TextCodec& codec);
    PieceDecoder(const PieceDecoder&) = delete;
    PieceDecoder& operator=(const PieceDecoder&) = delete;

    // The text of the next piece, good until the next call.
    std::u16string_view feed(std::string_view piece);
    // The text of what the end of the file cut off.
    std::u16string_view finish();

private:
    std::size_t decode(std::string_view bytes, bool last);

    static constexpr std::size_t kJoin = Pieces::kJoin;

    const Encoding encoding_;
    const TextCodec& codec_;
    std::size_t markLeft_;
    Pieces pieces_;
    // The text of one piece, in a buffer kept from piece to piece: a string
    // would be filled with zeros each time it grew.
    std::unique_ptr<char16_t[]> text_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace quillo
