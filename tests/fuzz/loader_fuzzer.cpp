// Any bytes as data.txt, handed to the loader whole and in pieces of a size
// the input chooses: it keeps the entries, or makes the refusal, that a plain
// reference gives (the simplest decoders, the code page's codec on the whole
// file, and a line splitter that sees the whole text).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/run_error.h"
#include "base/unicode.h"
#include "platform/posix/iconv_codec.h"
#include "store/data_file_parts.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

// UTF-8 read a byte at a time after the standard's table of well-formed
// sequences, each ill-formed byte one U+FFFD: the loader's reader, fast
// paths and all, must agree with it.
std::u16string plainDecode(std::string_view bytes, bool& valid) {
    std::u16string text;
    valid = true;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const auto at = [&](std::size_t i) {
            return pos + i < bytes.size() ? static_cast<unsigned>(bytes[pos + i] & 0xFF) : 0u;
        };
        const unsigned lead = at(0);
        const unsigned length = lead < 0x80   ? 1
                                : lead < 0xC2 ? 0
                                : lead < 0xE0 ? 2
                                : lead < 0xF0 ? 3
                                : lead < 0xF5 ? 4
                                              : 0;
        const unsigned low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
        const unsigned high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
        bool wellFormed = length > 0 && (length == 1 || (at(1) >= low && at(1) <= high));
        char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
        for (unsigned i = 1; wellFormed && i < length; ++i) {
            wellFormed = (at(i) & 0xC0) == 0x80;
            cp = cp << 6 | (at(i) & 0x3F);
        }
        if (!wellFormed) {
            valid = false;
            text += u'\uFFFD';
            ++pos;
        } else if (cp >= 0x10000) {
            text += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            text += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
            pos += length;
        } else {
            text += static_cast<char16_t>(cp);
            pos += length;
        }
    }
    return text;
}

// UTF-16 a unit at a time: a pair whole, an unpaired surrogate and an odd
// last byte each U+FFFD.
std::u16string plainUtf16(std::string_view bytes, bool little) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned first = bytes[i] & 0xFF, second = bytes[i + 1] & 0xFF;
        units += static_cast<char16_t>(little ? first | second << 8 : first << 8 | second);
    }
    std::u16string text;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const bool high = units[i] >= 0xD800 && units[i] <= 0xDBFF;
        if (high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            text += units.substr(i++, 2);
        } else {
            text += units[i] >= 0xD800 && units[i] <= 0xDFFF ? u'\uFFFD' : units[i];
        }
    }
    return bytes.size() % 2 ? text + u'\uFFFD' : text;
}

// Titles and contents one after the other, or the refusal: its number and
// the line it names.
struct Loaded {
    std::vector<std::u16string> fields;
    std::string refusal;
    bool operator==(const Loaded&) const = default;
};

// The file's format, on the whole text in the encoding that the file's start
// or its bytes name: lines end at CR LF or a lone CR, the first '=' splits an
// entry line, 145 entries at most, each of at most kMaxEntryLength characters.
Loaded plainLoad(std::string_view bytes, const quillo::TextCodec& codec) {
    const bool utf16 = bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
    const bool utf8 = bytes.starts_with("\xEF\xBB\xBF");
    bool valid = false;
    std::u16string text = utf16 ? plainUtf16(bytes.substr(2), bytes[0] == '\xFF')
                                : plainDecode(bytes.substr(utf8 ? 3 : 0), valid);
    if (!utf16 && !utf8 && !valid) text = codec.decodeAnsi(bytes);
    Loaded loaded;
    for (std::size_t start = 0, lineNumber = 1; start < text.size(); ++lineNumber) {
        const std::size_t end = std::min(text.find(u'\r', start), text.size());
        const std::u16string_view line = std::u16string_view(text).substr(start, end - start);
        start = end + (text.compare(end, 2, u"\r\n") == 0 ? 2 : 1);
        const std::size_t sign = line.find(u'=');
        if (sign == std::u16string_view::npos) continue;
        const bool full = loaded.fields.size() == 2 * quillo::kMaxEntries;
        if (full || line.size() - 1 > quillo::kMaxEntryLength) {
            return {{},
                    (full ? "9 " : "7 ") + ("data.txt 第 " + std::to_string(lineNumber) + " 行：")};
        }
        loaded.fields.emplace_back(line.substr(0, sign));
        loaded.fields.emplace_back(line.substr(sign + 1));
    }
    return loaded;
}

Loaded pipelineLoad(std::string_view bytes, std::size_t piece, const quillo::TextCodec& codec) {
    const auto read = [&](const quillo::PieceConsumer& consume) {
        for (std::size_t pos = 0; pos < bytes.size() && consume(bytes.substr(pos, piece));) {
            pos += piece;
        }
        return quillo::ReadResult::Read;
    };
    auto table = std::make_unique<quillo::EntryTable>();
    std::int16_t entryCount = 0;
    try {
        quillo::loadDataPieces(read, codec, "data.txt", *table, entryCount);
    } catch (const quillo::RunError& error) {
        const std::string& concerns = error.concerns();
        return {{},
                std::to_string(static_cast<int>(error.number())) + " " +
                    concerns.substr(0, concerns.find("：") + 3)};
    }
    check((*table)[0].title.empty() && (*table)[0].content.empty());
    Loaded loaded;
    for (std::size_t i = 1; i <= static_cast<std::size_t>(entryCount); ++i) {
        loaded.fields.insert(loaded.fields.end(), {(*table)[i].title, (*table)[i].content});
    }
    return loaded;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const quillo::IconvCodec codec;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // The decoders' kernels, fast paths and all, on any bytes.
    bool valid = false;
    const std::u16string utf8 = plainDecode(bytes, valid);
    check(quillo::decodeUtf8(bytes) == utf8);
    check((quillo::decodeUtf8Prefix(bytes, nullptr).stop == quillo::Utf8Stop::End) == valid);
    if (valid) check(quillo::toUtf8(utf8) == bytes);  // and back, byte for byte
    for (const auto order : {quillo::Endian::Little, quillo::Endian::Big}) {
        std::u16string text(size, u'\0');
        const auto decoded = quillo::decodeUtf16Piece(bytes, order, true, text.data());
        check(decoded.used == size && text.substr(0, decoded.written) ==
                                          plainUtf16(bytes, order == quillo::Endian::Little));
    }

    const Loaded expected = plainLoad(bytes, codec);
    const std::size_t chosen = size ? 1 + data[0] % 64 : 1;
    for (const std::size_t piece : {chosen, std::max<std::size_t>(size, 1)}) {
        check(pipelineLoad(bytes, piece, codec) == expected);
    }
    return 0;
}
