#include "platform/win32/win32_text_codec.h"

#include <windows.h>

#include <climits>
#include <stdexcept>

#include "store/unicode.h"

namespace quillo {
namespace {

int checkedLength(std::size_t size) {
    if (size > static_cast<std::size_t>(INT_MAX)) {
        throw std::length_error("text too long for the code page conversion");
    }
    return static_cast<int>(size);
}

// False when any byte sequence is invalid in the code page.
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

}  // namespace

Win32TextCodec::Win32TextCodec() : codePage_(GetACP()) {}

Win32TextCodec::Win32TextCodec(unsigned codePage) : codePage_(codePage) {}

std::u16string Win32TextCodec::decodeAnsi(std::string_view bytes) const {
    // With the UTF-8 code page the store's own decoder gives the same result
    // and the same replacement of bad sequences.
    if (codePage_ == CP_UTF8) return decodeUtf8(bytes);

    std::u16string text;
    if (bytes.empty() || decodeStrict(codePage_, bytes, text)) return text;

    // Left to itself, Windows turns undefined bytes into private-use or '?'
    // characters that look like text; one character at a time, each bad
    // sequence becomes U+FFFD instead and the next byte starts afresh.
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const bool lead = IsDBCSLeadByteEx(codePage_, static_cast<BYTE>(bytes[pos]));
        const std::size_t length = lead && pos + 1 < bytes.size() ? 2 : 1;
        if (decodeStrict(codePage_, bytes.substr(pos, length), text)) {
            pos += length;
        } else {
            text.push_back(u'\uFFFD');
            ++pos;
        }
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
