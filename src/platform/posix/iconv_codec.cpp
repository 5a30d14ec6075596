#include "platform/posix/iconv_codec.h"

#include <iconv.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "base/run_error.h"
#include "base/unicode.h"

namespace quillo {
namespace {

struct IconvCloser {
    void operator()(iconv_t cd) const { iconv_close(cd); }
};
using Converter = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser>;

Converter openConverter(const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        // The system lacks the conversion (glibc's gconv modules).
        throw RunError(ErrorNumber::InvalidCall,
                       std::string("iconv 不能将 ") + from + " 转换为 " + to);
    }
    return Converter(cd);
}

// Converts `input`, passing each unconvertible unit to `substitute`, which appends
// a replacement to the output and says how many input bytes to skip.
template <typename Substitute>
std::string convert(iconv_t cd, std::string_view input, std::size_t unit, Substitute substitute) {
    std::string out;
    out.resize(input.size() * 2 + 16);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    std::size_t used = 0;
    while (inLeft > 0) {
        char* outPtr = out.data() + used;
        std::size_t outLeft = out.size() - used;
        const std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        used = out.size() - outLeft;
        if (result != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
        } else {
            // EILSEQ or EINVAL (a sequence cut off at the end): replace one unit.
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            const std::string replacement = substitute();
            out.resize(std::max(out.size(), used + replacement.size() + 16));
            out.replace(used, replacement.size(), replacement);
            used += replacement.size();
            const std::size_t skip = std::min(unit, inLeft);
            in += skip;
            inLeft -= skip;
        }
    }
    out.resize(used);
    return out;
}

// The first byte below 40 in bytes[pos, limit), or limit: eight bytes at a
// time, each flagged when it is below 40 (the lowest flag is exact).
std::size_t byteBelow40(std::string_view bytes, std::size_t pos, std::size_t limit) {
    if constexpr (std::endian::native == std::endian::little) {
        for (; pos + 8 <= limit; pos += 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, bytes.data() + pos, 8);
            const std::uint64_t below = (word - 0x4040404040404040u) & ~word & 0x8080808080808080u;
            if (below != 0) return pos + static_cast<std::size_t>(std::countr_zero(below)) / 8;
        }
    }
    while (pos < limit && static_cast<unsigned char>(bytes[pos]) >= 0x40) ++pos;
    return pos;
}

}  // namespace

std::u16string IconvCodec::decodeAnsi(std::string_view bytes) const {
    const Converter cd = openConverter(
        std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE", "CP936");
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    std::u16string text;
    text.reserve(bytes.size());  // a unit per byte is enough
    // A step at a time through a buffer: a string sized first would be filled
    // with zeros for nothing.
    constexpr std::size_t kStep = 4096;
    char16_t step[kStep];
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        // ASCII is itself in code page 936, and a byte below 40 (a space, a
        // digit, a line end, the sign) is never the second of a pair, so a
        // run of ASCII after such a byte needs no iconv. Each call of iconv
        // costs some hundred instructions: it gets at least a few hundred
        // bytes, short runs of ASCII and all.
        const std::size_t ascii = widenAscii(bytes.substr(pos, kStep), step);
        text.append(step, ascii);
        pos += ascii;
        const std::size_t limit = std::min(bytes.size(), pos + kStep);
        const std::size_t end = byteBelow40(bytes, std::min(pos + 256, limit), limit);
        const bool cutByStep = end < bytes.size() && byteAt(end) >= 0x40;
        char* in = const_cast<char*>(bytes.data() + pos);
        std::size_t inLeft = end - pos;
        char* out = reinterpret_cast<char*>(step);
        std::size_t outLeft = sizeof step;
        while (inLeft > 0) {
            if (iconv(cd.get(), &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1)) {
                break;
            }
            if (errno == EINVAL && cutByStep) break;  // the pair goes on in the next step
            // EILSEQ, or EINVAL at a pair cut off: the byte becomes U+FFFD.
            iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
            const char16_t replacement = u'\uFFFD';
            std::memcpy(out, &replacement, sizeof replacement);
            out += sizeof replacement;
            outLeft -= sizeof replacement;
            ++in;
            --inLeft;
        }
        text.append(step, static_cast<std::size_t>(out - reinterpret_cast<char*>(step)) / 2);
        pos = static_cast<std::size_t>(in - bytes.data());
    }
    return text;
}

std::string IconvCodec::encodeAnsi(std::u16string_view text) const {
    std::string raw(text.size() * 2, '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        raw[2 * i] = static_cast<char>(text[i] & 0xFF);
        raw[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    const Converter cd = openConverter("CP936", "UTF-16LE");
    return convert(cd.get(), raw, 2, [] { return std::string("?"); });
}

}  // namespace quillo
