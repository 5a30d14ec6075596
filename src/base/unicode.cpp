#include "base/unicode.h"

#include <algorithm>
#include <bit>
#include <cstdint>

#include "base/sse2.h"

namespace quillo {
namespace {

using Byte = std::uint8_t;

constexpr char16_t kReplacement = u'\uFFFD';

// The one place where a pair of bytes becomes a unit.
char16_t unitOf(const Byte* pair, Endian order) {
    return static_cast<char16_t>(order == Endian::Little ? pair[0] | pair[1] << 8
                                                         : pair[0] << 8 | pair[1]);
}

}  // namespace

PieceDecoded decodeUtf16Piece(std::string_view bytes, Endian order, bool last, char16_t* out) {
    const auto* const in = reinterpret_cast<const Byte*>(bytes.data());
    char16_t* const begin = out;
    std::size_t units = bytes.size() / 2;
    std::size_t i = 0;
    while (i < units) {
#ifdef QUILLO_SSE2
        // Sixteen units a round, then eight, as long as none is a surrogate.
        const auto unitsAt = [&](std::size_t at) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * at));
            if (order == Endian::Little) return block;
            return _mm_or_si128(_mm_slli_epi16(block, 8), _mm_srli_epi16(block, 8));
        };
        const auto surrogates = [](__m128i block) {  // isSurrogate, eight units at once
            return _mm_cmpeq_epi16(_mm_and_si128(block, _mm_set1_epi16(static_cast<short>(0xF800))),
                                   _mm_set1_epi16(static_cast<short>(0xD800)));
        };
        for (; i + 16 <= units; i += 16, out += 16) {
            const __m128i first = unitsAt(i);
            const __m128i second = unitsAt(i + 8);
            if (_mm_movemask_epi8(_mm_or_si128(surrogates(first), surrogates(second))) != 0) break;
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), first);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), second);
        }
        for (; i + 8 <= units; i += 8, out += 8) {
            const __m128i block = unitsAt(i);
            if (_mm_movemask_epi8(surrogates(block)) != 0) break;
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), block);
        }
#endif
        // A unit at a time to the end of the block, pairs whole.
        for (const std::size_t blockEnd = std::min(i + 8, units); i < blockEnd;) {
            const char16_t unit = unitOf(in + 2 * i, order);
            if (!isSurrogate(unit)) {
                *out++ = unit;
                ++i;
            } else if (i + 1 < units && isSurrogatePair(unit, unitOf(in + 2 * i + 2, order))) {
                *out++ = unit;
                *out++ = unitOf(in + 2 * i + 2, order);
                i += 2;
            } else if (i + 1 == units && isHighSurrogate(unit) && !last) {
                units = i;  // its pair may begin the next piece
                break;
            } else {
                *out++ = kReplacement;
                ++i;
            }
        }
    }
    std::size_t used = 2 * i;
    if (used + 1 == bytes.size() && last) {
        *out++ = kReplacement;
        ++used;
    }
    return {used, static_cast<std::size_t>(out - begin)};
}

std::size_t findEither(std::u16string_view text, std::size_t from, char16_t a, char16_t b) {
    std::size_t i = from;
#ifdef QUILLO_SSE2
    const __m128i first = _mm_set1_epi16(static_cast<short>(a));
    const __m128i second = _mm_set1_epi16(static_cast<short>(b));
    const auto match = [&](std::size_t at) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
        if (a == b) return _mm_cmpeq_epi16(block, first);
        return _mm_or_si128(_mm_cmpeq_epi16(block, first), _mm_cmpeq_epi16(block, second));
    };
    // Sixteen units a round, then eight.
    for (; i + 16 <= text.size(); i += 16) {
        const auto found =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(match(i), match(i + 8))));
        if (found != 0) return i + static_cast<std::size_t>(std::countr_zero(found));
    }
    for (; i + 8 <= text.size(); i += 8) {
        const auto found = static_cast<unsigned>(_mm_movemask_epi8(match(i)));
        if (found != 0) return i + static_cast<std::size_t>(std::countr_zero(found)) / 2;
    }
#endif
    for (; i < text.size(); ++i) {
        if (text[i] == a || text[i] == b) return i;
    }
    return std::u16string_view::npos;
}

bool mayRunRightToLeft(std::u16string_view text) {
    const auto within = [](char16_t unit, char16_t first, char16_t last) {
        return static_cast<char16_t>(unit - first) <= static_cast<char16_t>(last - first);
    };
    for (const char16_t unit : text) {
        // Most text is Latin or CJK, below all of them or between them.
        if (unit < 0x0590 || within(unit, 0x2070, 0xD7FF)) continue;
        // Hebrew to Arabic Extended-A; the marks, embeddings and isolates; the
        // Hebrew and Arabic presentation forms; and, by their lead surrogates,
        // U+10800-U+10FFF and U+1E800-U+1EFFF, where the other such scripts are.
        if (within(unit, 0x0590, 0x08FF) || within(unit, 0x200E, 0x200F) ||
            within(unit, 0x202A, 0x202E) || within(unit, 0x2066, 0x2069) ||
            within(unit, 0xFB1D, 0xFDFF) || within(unit, 0xFE70, 0xFEFF) ||
            within(unit, 0xD802, 0xD803) || within(unit, 0xD83A, 0xD83B)) {
            return true;
        }
    }
    return false;
}

std::string toUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (i + 1 < text.size() && isSurrogatePair(text[i], text[i + 1])) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (isSurrogate(text[i])) {
            cp = kReplacement;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::string toLatin1(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (i + 1 < text.size() && isSurrogatePair(unit, text[i + 1])) ++i;
        out.push_back(unit <= 0xFF ? static_cast<char>(unit) : '?');
    }
    return out;
}

}  // namespace quillo
