#include "base/unicode.h"

#include <cstdint>
#include <cstring>

namespace quillo {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Length of the well-formed sequence at `pos`, and its code point; 0 if ill-formed.
std::size_t readSequence(std::string_view bytes, std::size_t pos, char32_t& cp) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
    const std::uint8_t lead = byte(pos);
    if (lead < 0x80) {
        cp = lead;
        return 1;
    }
    std::size_t length = 0;
    char32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1F;
        min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0F;
        min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (pos + length > bytes.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const std::uint8_t next = byte(pos + i);
        if ((next & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return length;
}

void appendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

}  // namespace

bool isValidUtf8(std::string_view bytes) {
    const auto* in = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::size_t size = bytes.size();
    const auto trail = [&](std::size_t i) { return (in[i] & 0xC0) == 0x80; };
    std::size_t pos = 0;
    while (pos < size) {
        // ASCII runs go eight bytes at a time.
        if (pos + 8 <= size) {
            std::uint64_t chunk = 0;
            std::memcpy(&chunk, in + pos, 8);
            if (!(chunk & 0x8080808080808080u)) {
                pos += 8;
                continue;
            }
        }
        const std::uint8_t lead = in[pos];
        if (lead < 0x80) {
            ++pos;
        } else if (lead < 0xC2) {
            return false;
        } else if (lead < 0xE0) {
            if (pos + 2 > size || !trail(pos + 1)) return false;
            pos += 2;
        } else if (lead < 0xF0) {
            // E0 needs A0-BF after it (no overlong form), ED 80-9F (no surrogate).
            if (pos + 3 > size || !trail(pos + 1) || !trail(pos + 2)) return false;
            if ((lead == 0xE0 && in[pos + 1] < 0xA0) || (lead == 0xED && in[pos + 1] > 0x9F)) {
                return false;
            }
            pos += 3;
        } else if (lead < 0xF5) {
            // F0 needs 90-BF after it, F4 80-8F (nothing above U+10FFFF).
            if (pos + 4 > size || !trail(pos + 1) || !trail(pos + 2) || !trail(pos + 3)) {
                return false;
            }
            if ((lead == 0xF0 && in[pos + 1] < 0x90) || (lead == 0xF4 && in[pos + 1] > 0x8F)) {
                return false;
            }
            pos += 4;
        } else {
            return false;
        }
    }
    return true;
}

void decodeValidUtf8(std::string_view bytes, std::size_t units, std::u16string& text) {
    text.resize(units);
    char16_t* out = text.data();
    const auto* in = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const auto* const end = in + bytes.size();
    while (in < end) {
        const std::uint8_t lead = *in;
        if (lead < 0x80) {
            *out++ = lead;
            ++in;
        } else if (lead < 0xE0) {
            *out++ = static_cast<char16_t>((lead & 0x1F) << 6 | (in[1] & 0x3F));
            in += 2;
        } else if (lead < 0xF0) {
            *out++ =
                static_cast<char16_t>((lead & 0x0F) << 12 | (in[1] & 0x3F) << 6 | (in[2] & 0x3F));
            in += 3;
        } else {
            const char32_t cp = ((lead & 0x07) << 18 | (in[1] & 0x3F) << 12 | (in[2] & 0x3F) << 6 |
                                 (in[3] & 0x3F)) -
                                0x10000;
            *out++ = static_cast<char16_t>(0xD800 + (cp >> 10));
            *out++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
            in += 4;
        }
    }
}

std::u16string decodeUtf8(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    char32_t cp = 0;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t length = readSequence(bytes, pos, cp);
        if (length == 0) {
            out.push_back(static_cast<char16_t>(kReplacement));
            ++pos;
        } else {
            appendUtf16(out, cp);
            pos += length;
        }
    }
    return out;
}

std::size_t utf16Length(std::string_view validUtf8) {
    // A unit for each lead byte, and a second for a four-byte lead.
    std::size_t units = 0;
    for (const char byte : validUtf8) {
        const auto b = static_cast<std::uint8_t>(byte);
        units += static_cast<std::size_t>((b & 0xC0) != 0x80) + static_cast<std::size_t>(b >= 0xF0);
    }
    return units;
}

bool decodeStrictUtf8(std::string_view bytes, std::u16string& text) {
    // Sized exactly, rather than a unit per byte, which is three times what
    // Chinese text needs. Ill-formed bytes may be counted too, but decoding
    // stops at the first of them.
    text.resize(utf16Length(bytes));
    char16_t* out = text.data();
    const auto* in = reinterpret_cast<const std::uint8_t*>(bytes.data());
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        // ASCII runs, the bulk of most files, go eight bytes at a time.
        while (pos + 8 <= bytes.size()) {
            std::uint64_t chunk = 0;
            std::memcpy(&chunk, in + pos, 8);
            if (chunk & 0x8080808080808080u) break;
            for (std::size_t i = 0; i < 8; ++i) *out++ = in[pos + i];
            pos += 8;
        }
        if (pos == bytes.size()) break;
        char32_t cp = 0;
        const std::size_t length = readSequence(bytes, pos, cp);
        if (length == 0) return false;
        pos += length;
        if (cp < 0x10000) {
            *out++ = static_cast<char16_t>(cp);
        } else {
            cp -= 0x10000;
            *out++ = static_cast<char16_t>(0xD800 + (cp >> 10));
            *out++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        }
    }
    text.resize(static_cast<std::size_t>(out - text.data()));
    return true;
}

std::u16string decodeUtf16(std::string_view bytes, Endian order) {
    const auto* in = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::size_t units = bytes.size() / 2;
    const auto unitAt = [&](std::size_t i) -> char16_t {
        const std::uint8_t first = in[2 * i];
        const std::uint8_t second = in[2 * i + 1];
        return static_cast<char16_t>(order == Endian::Little ? first | second << 8
                                                             : first << 8 | second);
    };
    const auto isHigh = [](char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; };
    const auto isLow = [](char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; };

    std::u16string out(units + bytes.size() % 2, u'\0');
    for (std::size_t i = 0; i < units; ++i) {
        const char16_t unit = unitAt(i);
        if (isHigh(unit) && i + 1 < units && isLow(unitAt(i + 1))) {
            out[i] = unit;
            out[i + 1] = unitAt(i + 1);
            ++i;
        } else {
            out[i] = isHigh(unit) || isLow(unit) ? static_cast<char16_t>(kReplacement) : unit;
        }
    }
    if (bytes.size() % 2) out.back() = static_cast<char16_t>(kReplacement);
    return out;
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
