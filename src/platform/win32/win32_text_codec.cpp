#include "platform/win32/win32_text_codec.h"

#include <windows.h>

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

// Appends the text of `bytes`; false, appending nothing, when any byte
// sequence is invalid in the code page.
bool decodeStrict(unsigned codePage, std::string_view bytes, std::u16string& text) {
    const int length = checkedLength(bytes.size());
    const int needed =
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
    if (needed <= 0) return false;
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, wide.data(), needed);
    text.append(wide.begin(), wide.end());
    return true;
}

// Bytes of the character at `pos`: two for a lead byte that has a byte after it.
std::size_t characterLength(unsigned codePage, std::string_view bytes, std::size_t pos) {
    const bool lead = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(bytes[pos]));
    return lead && pos + 1 < bytes.size() ? 2 : 1;
}

// Left to itself, Windows turns undefined bytes into private-use or '?'
// characters that look like text. One character at a time, each bad sequence
// becomes U+FFFD instead and the next byte starts afresh.
void decodeEachCharacter(unsigned codePage, std::string_view bytes, std::u16string& text) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t length = characterLength(codePage, bytes, pos);
        wchar_t wide[2];
        const int count = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data() + pos,
                                              static_cast<int>(length), wide, 2);
        if (count > 0) {
            text.append(wide, wide + count);
            pos += length;
        } else {
            text.push_back(u'\uFFFD');
            ++pos;
        }
    }
}

}  // namespace

Win32TextCodec::Win32TextCodec() : codePage_(GetACP()) {}

Win32TextCodec::Win32TextCodec(unsigned codePage) : codePage_(codePage) {}

std::u16string Win32TextCodec::decodeAnsi(std::string_view bytes) const {
    // With the UTF-8 code page the store's own decoder gives the same result
    // and the same replacement of bad sequences.
    if (codePage_ == CP_UTF8) return decodeUtf8(bytes);

    // In pieces that end between characters, so that one bad byte costs the
    // slow way through its own piece only.
    constexpr std::size_t kPiece = 64 * 1024;
    std::u16string text;
    text.reserve(bytes.size());
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = pos;
        while (end < bytes.size() && end - pos < kPiece) {
            end += characterLength(codePage_, bytes, end);
        }
        const std::string_view piece = bytes.substr(pos, end - pos);
        if (!decodeStrict(codePage_, piece, text)) decodeEachCharacter(codePage_, piece, text);
        pos = end;
    }
    return text;
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
