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

// The one iconv loop, for both directions: converts `input` into `out`,
// which has two bytes of room for each byte of input (a unit per byte, when
// decoding). A sequence that iconv cannot convert becomes `replacement`, `unit`
// bytes skipped; so does one that the end cuts off, unless `cutGoesOn` (the
// bytes after the input finish it).
PieceDecoded convert(iconv_t cd, std::string_view input, std::size_t unit,
                     std::string_view replacement, bool cutGoesOn, char* out) {
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char* to = out;
    std::size_t toLeft = 2 * input.size();
    while (inLeft > 0 && iconv(cd, &in, &inLeft, &to, &toLeft) == static_cast<std::size_t>(-1)) {
        if (errno == E2BIG || (errno == EINVAL && cutGoesOn)) break;
        // EILSEQ, or EINVAL at a sequence that nothing after it finishes.
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        to = std::copy(replacement.begin(), replacement.end(), to);
        toLeft -= replacement.size();
        const std::size_t skip = std::min(unit, inLeft);
        in += skip;
        inLeft -= skip;
    }
    return {input.size() - inLeft, static_cast<std::size_t>(to - out)};
}

// The first byte below 0x40 in bytes[pos, limit), or limit: eight bytes at a
// time, each flagged when it is below 0x40 (the lowest flag is exact).
std::size_t byteBelow0x40(std::string_view bytes, std::size_t pos, std::size_t limit) {
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

PieceDecoded IconvCodec::decodeAnsiPiece(std::string_view bytes, bool last, char16_t* out) const {
    const Converter cd = openConverter(
        std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE", "CP936");
    constexpr char16_t kReplacement = u'\uFFFD';
    const std::string_view replacement(reinterpret_cast<const char*>(&kReplacement), 2);
    char16_t* const begin = out;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        // ASCII is itself in code page 936, and a byte below 0x40 (a space, a
        // digit, a line end, the sign) is never the second of a pair, so a
        // run of ASCII after such a byte needs no iconv. Each call of iconv
        // costs some hundred instructions: it gets at least a few hundred
        // bytes, short runs of ASCII and all.
        const std::size_t run = widenAscii(bytes.substr(pos), out);
        out += run;
        pos += run;
        constexpr std::size_t kStep = 4096;
        const std::size_t limit = std::min(bytes.size(), pos + kStep);
        const std::size_t end = byteBelow0x40(bytes, std::min(pos + 256, limit), limit);
        // A pair that the end of the step cuts goes on after it, unless a byte
        // below 0x40 or the end of the whole text comes next.
        const bool cutGoesOn =
            end < bytes.size() ? static_cast<unsigned char>(bytes[end]) >= 0x40 : !last;
        const PieceDecoded step = convert(cd.get(), bytes.substr(pos, end - pos), 1, replacement,
                                          cutGoesOn, reinterpret_cast<char*>(out));
        pos += step.used;
        out += step.written / 2;
        if (pos < end && end == bytes.size()) break;  // the next piece finishes the pair
    }
    return {pos, static_cast<std::size_t>(out - begin)};
}

std::string IconvCodec::encodeAnsi(std::u16string_view text) const {
    std::string raw(text.size() * 2, '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        raw[2 * i] = static_cast<char>(text[i] & 0xFF);
        raw[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    const Converter cd = openConverter("CP936", "UTF-16LE");
    std::string bytes(raw.size() * 2, '\0');
    bytes.resize(convert(cd.get(), raw, 2, "?", false, bytes.data()).written);
    return bytes;
}

}  // namespace quillo
