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
    const auto unit = [&](std::size_t i) {
        const unsigned first = bytes[i] & 0xFF;
        const unsigned second = bytes[i + 1] & 0xFF;
        return static_cast<char16_t>(little ? first | second << 8 : first << 8 | second);
    };
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 &&
            unit(i + 2) <= 0xDFFF) {
            text += u;
            text += unit(i + 2);
            i += 2;
        } else {
            text += u >= 0xD800 && u <= 0xDFFF ? u'\uFFFD' : u;
        }
    }
    if (bytes.size() % 2) text += u'\uFFFD';
    return text;
}

std::u16string plainText(std::string_view bytes, const quillo::TextCodec& codec) {
    bool valid = false;
    if (bytes.starts_with("\xFF\xFE")) return plainUtf16(bytes.substr(2), true);
    if (bytes.starts_with("\xFE\xFF")) return plainUtf16(bytes.substr(2), false);
    if (bytes.starts_with("\xEF\xBB\xBF")) return plainDecode(bytes.substr(3), valid);
    const std::u16string text = plainDecode(bytes, valid);
    return valid ? text : codec.decodeAnsi(bytes);
}

struct Loaded {
    std::vector<std::pair<std::u16string, std::u16string>> entries;
    quillo::ErrorNumber error{};
    std::string where;  // the line a refusal names
};

// The file's format on its whole text: lines end at CR LF or a lone CR, the
// first '=' splits an entry line, 145 entries at most, each of at most
// kMaxEntryLength characters.
Loaded plainLoad(std::u16string_view text) {
    Loaded loaded;
    std::size_t lineNumber = 0;
    for (std::size_t start = 0; start < text.size();) {
        ++lineNumber;
        const std::size_t end = std::min(text.find(u'\r', start), text.size());
        const std::u16string_view line = text.substr(start, end - start);
        start = end + 1 < text.size() && text[end + 1] == u'\n' ? end + 2 : end + 1;
        const std::size_t sign = line.find(u'=');
        if (sign == std::u16string_view::npos) continue;
        if (loaded.entries.size() == quillo::kMaxEntries ||
            line.size() - 1 > quillo::kMaxEntryLength) {
            loaded.error = loaded.entries.size() == quillo::kMaxEntries
                               ? quillo::ErrorNumber::SubscriptOutOfRange
                               : quillo::ErrorNumber::OutOfMemory;
            loaded.where = "data.txt 第 " + std::to_string(lineNumber) + " 行：";
            loaded.entries.clear();
            return loaded;
        }
        loaded.entries.emplace_back(line.substr(0, sign), line.substr(sign + 1));
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
    Loaded loaded;
    try {
        quillo::loadDataPieces(read, codec, "data.txt", *table, entryCount);
    } catch (const quillo::RunError& error) {
        loaded.error = error.number();
        loaded.where = error.concerns().substr(0, error.concerns().find("：") + 3);
        return loaded;
    }
    check((*table)[0].title.empty() && (*table)[0].content.empty());
    for (int i = 1; i <= entryCount; ++i) {
        const quillo::Entry& entry = (*table)[static_cast<std::size_t>(i)];
        loaded.entries.emplace_back(entry.title, entry.content);
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
    for (const bool little : {true, false}) {
        std::u16string text(size, u'\0');
        const auto order = little ? quillo::Endian::Little : quillo::Endian::Big;
        const quillo::PieceDecoded decoded =
            quillo::decodeUtf16Piece(bytes, order, true, text.data());
        check(decoded.used == size && text.substr(0, decoded.written) == plainUtf16(bytes, little));
    }

    const Loaded expected = plainLoad(plainText(bytes, codec));
    const std::size_t chosen = size ? 1 + data[0] % 64 : 1;
    for (const std::size_t piece : {chosen, std::max<std::size_t>(size, 1)}) {
        const Loaded loaded = pipelineLoad(bytes, piece, codec);
        check(loaded.error == expected.error && loaded.where == expected.where);
        check(loaded.entries == expected.entries);
    }
    return 0;
}
