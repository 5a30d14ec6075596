#include "platform/win32/win32_text_codec.h"

#include <windows.h>

#include <algorithm>
#include <climits>

#include "base/run_error.h"
#include "base/unicode.h"

namespace quillo {
namespace {

int checkedLength(std::size_t size) {
    if (size > static_cast<std::size_t>(INT_MAX)) {
        // The conversion counts in an int, as the classic string functions did.
        throw RunError(ErrorNumber::Overflow,
                       "代码页转换：文本长 " + std::to_string(size) + " 个单元");
    }
    return static_cast<int>(size);
}

// Decodes `bytes` into `out`, which has room for a unit per byte, and
// returns the units written; none when any byte sequence is invalid in the
// code page.
std::size_t decodeStrict(unsigned codePage, std::string_view bytes, char16_t* out) {
    const int length = checkedLength(bytes.size());
    const int written = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length,
                                            reinterpret_cast<wchar_t*>(out), length);
    return static_cast<std::size_t>(std::max(written, 0));
}

// Bytes of the character at `pos`: two for a lead byte that has a byte after
// it; none for one that the end cuts off, unless nothing follows the bytes.
std::size_t characterLength(unsigned codePage, std::string_view bytes, std::size_t pos, bool last) {
    if (!IsDBCSLeadByteEx(codePage, static_cast<BYTE>(bytes[pos]))) return 1;
    if (pos + 1 < bytes.size()) return 2;
    return last ? 1 : 0;
}

// Left to itself, Windows turns undefined bytes into private-use or '?'
// characters that look like text. One character at a time from `pos` until
// `end` is reached or passed, each bad sequence becomes U+FFFD instead and
// the next byte starts afresh. Returns where it stopped.
std::size_t decodeEachCharacter(unsigned codePage, std::string_view bytes, std::size_t pos,
                                std::size_t end, bool last, char16_t*& out) {
    while (pos < end) {
        const std::size_t length = characterLength(codePage, bytes, pos, last);
        if (length == 0) break;  // the next piece finishes it
        const int count = MultiByteToWideChar(
            codePage, MB_ERR_INVALID_CHARS, bytes.data() + pos, static_cast<int>(length),
            reinterpret_cast<wchar_t*>(out), static_cast<int>(length));
        if (count > 0) {
            out += count;
            pos += length;
        } else {
            *out++ = u'\uFFFD';
            ++pos;
        }
    }
    return pos;
}

}  // namespace

Win32TextCodec::Win32TextCodec() : codePage_(GetACP()) {}

Win32TextCodec::Win32TextCodec(unsigned codePage) : codePage_(codePage) {}

PieceDecoded Win32TextCodec::decodeAnsiPiece(std::string_view bytes, bool last,
                                             char16_t* out) const {
    // With the UTF-8 code page the store's own decoder gives the same result
    // and the same replacement of bad sequences.
    if (codePage_ == CP_UTF8) return decodeUtf8Piece(bytes, last, out);

    // In steps that end between characters, so that one bad byte costs the
    // slow way through its own step only.
    constexpr std::size_t kStep = 64 * 1024;
    char16_t* const begin = out;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = pos;
        while (end < bytes.size() && end - pos < kStep) {
            const std::size_t length = characterLength(codePage_, bytes, end, last);
            if (length == 0) break;  // the next piece finishes it
            end += length;
        }
        if (end == pos) break;
        // A bad pair is one byte, and the byte after it starts afresh: past
        // one, the characters are told apart one by one.
        if (const std::size_t written =
                decodeStrict(codePage_, bytes.substr(pos, end - pos), out)) {
            out += written;
            pos = end;
        } else {
            pos = decodeEachCharacter(codePage_, bytes, pos, end, last, out);
        }
    }
    return {pos, static_cast<std::size_t>(out - begin)};
}

std::string Win32TextCodec::encodeAnsi(std::u16string_view text) const {
    if (codePage_ == CP_UTF8) return toUtf8(text);
    if (text.empty()) return {};

    const std::wstring wide(text.begin(), text.end());
    const int length = checkedLength(wide.size());
    // No best fit: a character the code page lacks must not turn into a
    // different one that happens to look alike.
    const DWORD flags = WC_NO_BEST_FIT_CHARS;
    const int needed =
        WideCharToMultiByte(codePage_, flags, wide.data(), length, nullptr, 0, "?", nullptr);
    if (needed <= 0) return std::string(text.size(), '?');
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(codePage_, flags, wide.data(), length, bytes.data(), needed, "?", nullptr);
    return bytes;
}

}  // namespace quillo
