#include "platform/posix/iconv_codec.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>

#include "base/run_error.h"

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

}  // namespace

std::u16string IconvCodec::decodeAnsi(std::string_view bytes) const {
    const Converter cd = openConverter("UTF-16LE", "CP936");
    const std::string raw = convert(cd.get(), bytes, 1, [] { return std::string("\xFD\xFF", 2); });
    std::u16string text(raw.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(static_cast<unsigned char>(raw[2 * i]) |
                                        (static_cast<unsigned char>(raw[2 * i + 1]) << 8));
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
