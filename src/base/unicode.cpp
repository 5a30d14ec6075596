#include "base/unicode.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

// With SSE2, which every x86-64 processor has, runs of ASCII and of
// three-byte sequences go sixteen and twelve bytes at a time; elsewhere the
// same work is done a character at a time.
#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define QUILLO_SSE2 1
#endif

namespace quillo {
namespace {

using Byte = std::uint8_t;

constexpr char16_t kReplacement = u'\uFFFD';

// Text is built a step at a time through a buffer of this many units on the
// stack: a string sized first would be filled with zeros for nothing.
constexpr std::size_t kStep = 2048;
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
template <bool kStore>
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
        if constexpr (kStore) {
            // Packing saturates signed values: shifted into range and back.
            const __m128i bias = _mm_set1_epi32(0x8000);
            const __m128i packed = _mm_packs_epi32(_mm_sub_epi32(cp, bias), bias);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out),
                             _mm_xor_si128(packed, _mm_set1_epi16(-0x8000)));
            out += found;
        }
        in += 3 * found;
        if (found < 4) break;
    }
    return in;
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
    for (const Byte* in = begin; in < end;) {
        if (*in < 0x80) {
            in = asciiRun<kStore>(in, end, out);
            continue;
        }
#ifdef QUILLO_SSE2
        if (*in >= 0xE0 && *in < 0xF0) {
            const Byte* const runEnd = threeByteRun<kStore>(in, end, out);
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

bool isValidUtf8(std::string_view bytes) {
    return decode<false>(bytes, nullptr).stop == Utf8Stop::End;
}

std::size_t utf16Length(std::string_view utf8) {
    const auto* in = reinterpret_cast<const Byte*>(utf8.data());
    const Byte* const end = in + utf8.size();
    std::size_t units = 0;
#ifdef QUILLO_SSE2
    // Counted in bytes, summed before a count can pass 255. As signed bytes,
    // continuation bytes (80-BF) are below -64 and four-byte leads (F0-FF)
    // from -16 to -1.
    const __m128i zero = _mm_setzero_si128();
    const auto sum = [&](__m128i counts) {
        const __m128i sums = _mm_sad_epu8(counts, zero);
        return static_cast<std::size_t>(_mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4));
    };
    while (end - in >= 16) {
        const auto blocks = std::min<std::size_t>(static_cast<std::size_t>(end - in) / 16, 255);
        __m128i continuing = zero;
        __m128i fourByte = zero;
        for (std::size_t i = 0; i < blocks; ++i, in += 16) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
            continuing = _mm_sub_epi8(continuing, _mm_cmplt_epi8(block, _mm_set1_epi8(-64)));
            fourByte =
                _mm_sub_epi8(fourByte, _mm_and_si128(_mm_cmpgt_epi8(block, _mm_set1_epi8(-17)),
                                                     _mm_cmplt_epi8(block, zero)));
        }
        units += blocks * 16 - sum(continuing) + sum(fourByte);
    }
#endif
    for (; in < end; ++in) {
        units +=
            static_cast<std::size_t>((*in & 0xC0) != 0x80) + static_cast<std::size_t>(*in >= 0xF0);
    }
    return units;
}

std::size_t widenAscii(std::string_view bytes, char16_t* out) {
    const auto* const begin = reinterpret_cast<const Byte*>(bytes.data());
    return static_cast<std::size_t>(asciiRun<true>(begin, begin + bytes.size(), out) - begin);
}

std::u16string decodeUtf8(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());  // a unit per byte is enough
    char16_t step[kStep];
    while (!bytes.empty()) {
        const Utf8Decoded run = decodeUtf8Prefix(bytes.substr(0, kStep), step);
        text.append(step, run.written);
        std::size_t read = run.read;
        // A sequence cut by the end of a step is read whole in the next.
        if (run.stop == Utf8Stop::IllFormed ||
            (run.stop == Utf8Stop::Cut && bytes.size() <= kStep)) {
            text += kReplacement;
            ++read;
        }
        bytes.remove_prefix(read);
    }
    return text;
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

std::u16string decodeUtf16(std::string_view bytes, Endian order) {
    const auto* in = reinterpret_cast<const Byte*>(bytes.data());
    const std::size_t units = bytes.size() / 2;
    const auto unitAt = [&](std::size_t i) -> char16_t {
        const Byte first = in[2 * i];
        const Byte second = in[2 * i + 1];
        return static_cast<char16_t>(order == Endian::Little ? first | second << 8
                                                             : first << 8 | second);
    };
    const auto isHigh = [](char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; };
    const auto isLow = [](char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; };

    std::u16string text;
    text.reserve(units + bytes.size() % 2);
    char16_t step[kStep + 1];  // a pair may end a unit past the step
    std::size_t i = 0;
    while (i < units) {
        const std::size_t stepEnd = std::min(i + kStep, units);
        char16_t* out = step;
        while (i < stepEnd) {
#ifdef QUILLO_SSE2
            // Sixteen units a round, then eight, as long as none is a surrogate.
            const auto unitsAt = [&](std::size_t at) {
                const __m128i block =
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * at));
                if (order == Endian::Little) return block;
                return _mm_or_si128(_mm_slli_epi16(block, 8), _mm_srli_epi16(block, 8));
            };
            const auto surrogates = [](__m128i block) {
                return _mm_cmpeq_epi16(
                    _mm_and_si128(block, _mm_set1_epi16(static_cast<short>(0xF800))),
                    _mm_set1_epi16(static_cast<short>(0xD800)));
            };
            for (; i + 16 <= stepEnd; i += 16, out += 16) {
                const __m128i first = unitsAt(i);
                const __m128i second = unitsAt(i + 8);
                if (_mm_movemask_epi8(_mm_or_si128(surrogates(first), surrogates(second))) != 0) {
                    break;
                }
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out), first);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), second);
            }
            for (; i + 8 <= stepEnd; i += 8, out += 8) {
                const __m128i block = unitsAt(i);
                if (_mm_movemask_epi8(surrogates(block)) != 0) break;
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out), block);
            }
#endif
            // A unit at a time to the end of the block, pairs whole.
            for (const std::size_t blockEnd = std::min(i + 8, stepEnd); i < blockEnd;) {
                const char16_t unit = unitAt(i);
                if (isHigh(unit) && i + 1 < units && isLow(unitAt(i + 1))) {
                    *out++ = unit;
                    *out++ = unitAt(i + 1);
                    i += 2;
                } else {
                    *out++ = isHigh(unit) || isLow(unit) ? kReplacement : unit;
                    ++i;
                }
            }
        }
        text.append(step, static_cast<std::size_t>(out - step));
    }
    if (bytes.size() % 2) text += kReplacement;
    return text;
}

namespace {

// The first unit `a` or `b` from `from` on among `units` units of UTF-16
// in the given byte order, or npos.
std::size_t findUnit(const Byte* in, std::size_t units, std::size_t from, char16_t a, char16_t b,
                     Endian order) {
    std::size_t i = from;
#ifdef QUILLO_SSE2
    // Loaded as little-endian lanes: big-endian units are met byte-swapped.
    const auto lane = [&](char16_t unit) {
        return _mm_set1_epi16(static_cast<short>(
            order == Endian::Little ? unit : static_cast<char16_t>(unit << 8 | unit >> 8)));
    };
    const __m128i first = lane(a);
    const __m128i second = lane(b);
    const auto match = [&](std::size_t at) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * at));
        if (a == b) return _mm_cmpeq_epi16(block, first);
        return _mm_or_si128(_mm_cmpeq_epi16(block, first), _mm_cmpeq_epi16(block, second));
    };
    // Sixteen units a round, then eight.
    for (; i + 16 <= units; i += 16) {
        const auto found =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(match(i), match(i + 8))));
        if (found != 0) return i + static_cast<std::size_t>(std::countr_zero(found));
    }
    for (; i + 8 <= units; i += 8) {
        const auto found = static_cast<unsigned>(_mm_movemask_epi8(match(i)));
        if (found != 0) return i + static_cast<std::size_t>(std::countr_zero(found)) / 2;
    }
#endif
    for (; i < units; ++i) {
        const auto unit =
            static_cast<char16_t>(order == Endian::Little ? in[2 * i] | in[2 * i + 1] << 8
                                                          : in[2 * i] << 8 | in[2 * i + 1]);
        if (unit == a || unit == b) return i;
    }
    return std::u16string_view::npos;
}

}  // namespace

std::size_t findEither(std::u16string_view text, std::size_t from, char16_t a, char16_t b) {
    // The text's units in memory, in the machine's byte order.
    constexpr Endian native =
        std::endian::native == std::endian::little ? Endian::Little : Endian::Big;
    return findUnit(reinterpret_cast<const Byte*>(text.data()), text.size(), from, a, b, native);
}

std::size_t findEither(std::string_view utf16, Endian order, std::size_t from, char16_t a,
                       char16_t b) {
    return findUnit(reinterpret_cast<const Byte*>(utf16.data()), utf16.size() / 2, from, a, b,
                    order);
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
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
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
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            ++i;
        }
        out.push_back(unit <= 0xFF ? static_cast<char>(unit) : '?');
    }
    return out;
}

}  // namespace quillo
