#include <bit>
#include <cstdint>
#include <cstring>

#include "base/sse2.h"
#include "base/unicode.h"

namespace quillo {
namespace {

using Byte = std::uint8_t;

constexpr char16_t kReplacement = u'\uFFFD';

constexpr int kCut = -1;

// The one place that writes a code point as UTF-16: a surrogate pair above U+FFFF.
char16_t* putUtf16(char16_t* out, char32_t cp) {
    if (cp < 0x10000) {
        *out++ = static_cast<char16_t>(cp);
    } else {
        cp -= 0x10000;
        *out++ = static_cast<char16_t>(0xD800 + (cp >> 10));
        *out++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
    return out;
}

// The length of the well-formed sequence at `in`, and its code point; 0 when
// it is ill-formed, kCut when `end` comes first. The range allowed for the
// second byte rules out overlong forms, surrogates and what lies above
// U+10FFFF.
int readSequence(const Byte* in, const Byte* end, char32_t& cp) {
    const Byte lead = *in;
    int length = 0;
    Byte low = 0x80;
    Byte high = 0xBF;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    } else if (lead < 0xC2) {
        return 0;
    } else if (lead < 0xE0) {
        length = 2;
        cp = lead & 0x1F;
    } else if (lead < 0xF0) {
        length = 3;
        cp = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead < 0xF5) {
        length = 4;
        cp = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    for (int i = 1; i < length; ++i) {
        if (in + i == end) return kCut;
        const Byte next = in[i];
        if (next < low || next > high) return 0;
        low = 0x80;
        high = 0xBF;
        cp = cp << 6 | (next & 0x3F);
    }
    return length;
}

// Decodes the run of ASCII at `in` and returns where it ends. A block is
// stored whole even where the run ends inside it: `out` has room for a unit
// per byte, so what lies past the run is overwritten later.
template <bool kStore>
const Byte* asciiRun(const Byte* in, const Byte* end, char16_t*& out) {
#ifdef QUILLO_SSE2
    const __m128i zero = _mm_setzero_si128();
    while (end - in >= 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        const auto high = static_cast<unsigned>(_mm_movemask_epi8(block));
        const int ascii = high != 0 ? std::countr_zero(high) : 16;
        if constexpr (kStore) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(block, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(block, zero));
            out += ascii;
        }
        in += ascii;
        if (ascii < 16) return in;
    }
#endif
    for (; in < end && *in < 0x80; ++in) {
        if constexpr (kStore) *out++ = *in;
    }
    return in;
}

#ifdef QUILLO_SSE2
// Decodes three-byte sequences (most of CJK) four at a time, as long as they
// come, and returns where they end. As in asciiRun, four units are stored
// even where fewer sequences were found.
const Byte* threeByteRun(const Byte* in, const Byte* end, char16_t*& out) {
    const __m128i shape = _mm_set1_epi32(0x00C0C0F0);
    const __m128i threeBytes = _mm_set1_epi32(0x008080E0);
    while (end - in >= 16) {
        std::uint32_t word[4];
        for (int i = 0; i < 4; ++i) std::memcpy(&word[i], in + 3 * i, 4);
        // A lane per sequence: lead, then its two continuation bytes.
        const __m128i lanes = _mm_set_epi32(static_cast<int>(word[3]), static_cast<int>(word[2]),
                                            static_cast<int>(word[1]), static_cast<int>(word[0]));
        const __m128i cp = _mm_or_si128(
            _mm_or_si128(_mm_slli_epi32(_mm_and_si128(lanes, _mm_set1_epi32(0x0F)), 12),
                         _mm_and_si128(_mm_srli_epi32(lanes, 2), _mm_set1_epi32(0xFC0))),
            _mm_and_si128(_mm_srli_epi32(lanes, 16), _mm_set1_epi32(0x3F)));
        // Not an overlong form (below U+0800), not a surrogate.
        const __m128i top = _mm_srli_epi32(cp, 11);
        const __m128i wrong = _mm_or_si128(_mm_cmpeq_epi32(top, _mm_setzero_si128()),
                                           _mm_cmpeq_epi32(top, _mm_set1_epi32(0x1B)));
        const __m128i right =
            _mm_andnot_si128(wrong, _mm_cmpeq_epi32(_mm_and_si128(lanes, shape), threeBytes));
        const auto rightLanes = static_cast<unsigned>(_mm_movemask_epi8(right));
        const int found = std::countr_one(rightLanes) / 4;
        // Packing saturates signed values: shifted into range and back.
        const __m128i bias = _mm_set1_epi32(0x8000);
        const __m128i packed = _mm_packs_epi32(_mm_sub_epi32(cp, bias), bias);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out),
                         _mm_xor_si128(packed, _mm_set1_epi16(-0x8000)));
        out += found;
        in += 3 * found;
        if (found < 4) break;
    }
    return in;
}

// Checks sixteen bytes at a time as long as they hold only ASCII and
// three-byte sequences (Chinese text and the ASCII among it), and returns
// where the bytes checked end, at the start of a character. The leads' bit
// patterns, shifted, must give exactly the continuation bytes there are.
// Only the leads E1-EC, EE and EF go this way: after E0 and ED the second
// byte's range is narrower, and readSequence sees to it.
const Byte* checkChineseBlocks(const Byte* in, const Byte* end) {
    const auto bits = [](__m128i lanes) { return static_cast<unsigned>(_mm_movemask_epi8(lanes)); };
    const auto all = [](int byte) { return _mm_set1_epi8(static_cast<char>(byte)); };
    const Byte* checked = in;
    unsigned asked = 0;  // continuation bytes that the last block's leads ask of this one
    for (; end - in >= 16; in += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        const unsigned high = bits(block);
        if ((high | asked) == 0) continue;
        if (asked == 0) checked = in;
        // As signed bytes, continuation bytes (80-BF) are those below -64.
        const unsigned continuation = bits(_mm_cmplt_epi8(block, all(0xC0)));
        const unsigned lead = bits(_mm_cmpeq_epi8(_mm_and_si128(block, all(0xF0)), all(0xE0)));
        const unsigned narrow =
            bits(_mm_or_si128(_mm_cmpeq_epi8(block, all(0xE0)), _mm_cmpeq_epi8(block, all(0xED))));
        const unsigned wanted = asked | lead << 1 | lead << 2;
        if ((wanted & 0xFFFF) != continuation || (lead | continuation) != high || narrow != 0)
            break;
        asked = wanted >> 16;
    }
    return asked == 0 ? in : checked;
}
#endif

template <bool kStore>
Utf8Decoded decode(std::string_view bytes, char16_t* out) {
    const auto* const begin = reinterpret_cast<const Byte*>(bytes.data());
    const Byte* const end = begin + bytes.size();
    const char16_t* const outBegin = out;
    const auto stopped = [&](Utf8Stop stop, const Byte* at) {
        return Utf8Decoded{stop, static_cast<std::size_t>(at - begin),
                           kStore ? static_cast<std::size_t>(out - outBegin) : 0};
    };
    const Byte* blocksFrom = begin;  // where checking in blocks may be tried again
    for (const Byte* in = begin; in < end;) {
        if (*in < 0x80) {
            in = asciiRun<kStore>(in, end, out);
            continue;
        }
#ifdef QUILLO_SSE2
        if (!kStore && in >= blocksFrom) {
            const Byte* const checked = checkChineseBlocks(in, end);
            // Past the block that another sequence stopped, a character at a time.
            blocksFrom = checked + 48;
            in = checked;
            continue;
        }
        if (kStore && *in >= 0xE0 && *in < 0xF0) {
            const Byte* const runEnd = threeByteRun(in, end, out);
            if (runEnd != in) {
                in = runEnd;
                continue;
            }
        }
#endif
        char32_t cp = 0;
        const int length = readSequence(in, end, cp);
        if (length <= 0) return stopped(length == 0 ? Utf8Stop::IllFormed : Utf8Stop::Cut, in);
        if constexpr (kStore) out = putUtf16(out, cp);
        in += length;
    }
    return stopped(Utf8Stop::End, end);
}

}  // namespace

Utf8Decoded decodeUtf8Prefix(std::string_view bytes, char16_t* out) {
    return out ? decode<true>(bytes, out) : decode<false>(bytes, nullptr);
}

std::size_t widenAscii(std::string_view bytes, char16_t* out) {
    const auto* const begin = reinterpret_cast<const Byte*>(bytes.data());
    return static_cast<std::size_t>(asciiRun<true>(begin, begin + bytes.size(), out) - begin);
}

PieceDecoded decodeUtf8Piece(std::string_view bytes, bool last, char16_t* out) {
    char16_t* const begin = out;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const Utf8Decoded run = decodeUtf8Prefix(bytes.substr(pos), out);
        out += run.written;
        pos += run.read;
        if (run.stop == Utf8Stop::End || (run.stop == Utf8Stop::Cut && !last)) break;
        *out++ = kReplacement;
        ++pos;
    }
    return {pos, static_cast<std::size_t>(out - begin)};
}

std::u16string decodeUtf8(std::string_view bytes) {
    std::u16string text(bytes.size(), u'\0');
    text.resize(decodeUtf8Piece(bytes, true, text.data()).written);
    return text;
}

}  // namespace quillo
