#include "store/data_encoding.h"

#include <algorithm>

namespace quillo {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

std::size_t markLength(Encoding encoding) {
    switch (encoding) {
        case Encoding::Utf16Little:
        case Encoding::Utf16Big:
            return 2;
        case Encoding::Utf8WithMark:
            return kUtf8Mark.size();
        case Encoding::Utf8:
        case Encoding::Ansi:
            break;
    }
    return 0;
}

}  // namespace

void Pieces::feed(std::string_view piece) {
    if (!cut_.empty()) {
        const std::size_t before = cut_.size();
        cut_ += piece.substr(0, kJoin);
        const std::size_t used = step_(cut_, false);
        if (used < before) {  // a piece too short to finish it
            cut_.erase(0, used);
            return;
        }
        piece.remove_prefix(used - before);
        cut_.clear();
    }
    cut_ = piece.substr(step_(piece, false));
}

void Pieces::finish() {
    if (!cut_.empty()) step_(cut_, true);
    cut_.clear();
}

EncodingRule::EncodingRule()
    : strictUtf8_([this](std::string_view bytes, bool last) {
          const Utf8Decoded checked = decodeUtf8Prefix(bytes, nullptr);
          if (checked.stop == Utf8Stop::IllFormed || (checked.stop == Utf8Stop::Cut && last)) {
              encoding_ = Encoding::Ansi;
              return bytes.size();
          }
          return checked.read;
      }) {}

bool EncodingRule::feed(std::string_view piece) {
    if (!startSeen_) {
        const std::string_view part = piece.substr(0, kUtf8Mark.size() - start_.size());
        start_ += part;
        piece.remove_prefix(part.size());
        if (start_.size() < kUtf8Mark.size()) return true;
        seeStart();
    }
    if (!encoding_) strictUtf8_.feed(piece);
    return !encoding_;
}

Encoding EncodingRule::finish() {
    if (!startSeen_) seeStart();
    if (!encoding_) strictUtf8_.finish();
    return encoding_.value_or(Encoding::Utf8);
}

void EncodingRule::seeStart() {
    startSeen_ = true;
    // Notepad's "Unicode" and "Unicode big endian". No file in code page 936
    // can begin with either pair: FF is neither a lead nor a trail byte.
    if (start_.starts_with("\xFF\xFE")) {
        encoding_ = Encoding::Utf16Little;
    } else if (start_.starts_with("\xFE\xFF")) {
        encoding_ = Encoding::Utf16Big;
    } else if (start_ == kUtf8Mark) {
        encoding_ = Encoding::Utf8WithMark;
    } else {
        strictUtf8_.feed(start_);
    }
}

PieceDecoder::PieceDecoder(Encoding encoding, const TextCodec& codec)
    : encoding_(encoding),
      codec_(codec),
      markLeft_(markLength(encoding)),
      pieces_([this](std::string_view bytes, bool last) { return decode(bytes, last); }) {}

std::u16string_view PieceDecoder::feed(std::string_view piece) {
    const std::size_t mark = std::min(markLeft_, piece.size());
    markLeft_ -= mark;
    // Room for a unit per byte, and for what the last piece cut off.
    size_ = 0;
    if (piece.size() + 2 * kJoin > capacity_) {
        capacity_ = piece.size() + 2 * kJoin;
        text_ = std::make_unique_for_overwrite<char16_t[]>(capacity_);
    }
    pieces_.feed(piece.substr(mark));
    return {text_.get(), size_};
}

std::u16string_view PieceDecoder::finish() {
    size_ = 0;
    if (capacity_ < 2 * kJoin) {
        capacity_ = 2 * kJoin;
        text_ = std::make_unique_for_overwrite<char16_t[]>(capacity_);
    }
    pieces_.finish();
    return {text_.get(), size_};
}

std::size_t PieceDecoder::decode(std::string_view bytes, bool last) {
    char16_t* const out = text_.get() + size_;
    PieceDecoded decoded{};
    switch (encoding_) {
        case Encoding::Utf16Little:
            decoded = decodeUtf16Piece(bytes, Endian::Little, last, out);
            break;
        case Encoding::Utf16Big:
            decoded = decodeUtf16Piece(bytes, Endian::Big, last, out);
            break;
        case Encoding::Utf8WithMark:
        case Encoding::Utf8:
            decoded = decodeUtf8Piece(bytes, last, out);
            break;
        case Encoding::Ansi:
            decoded = codec_.decodeAnsiPiece(bytes, last, out);
            break;
    }
    size_ += decoded.written;
    return decoded.used;
}

}  // namespace quillo
