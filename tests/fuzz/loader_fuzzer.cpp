// Any bytes as data.txt: the loader ends with a table or with one of the errors
// it may raise, and what it keeps obeys the file's format.
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const quillo::IconvCodec codec;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    bool valid = false;
    const std::u16string plain = plainDecode(bytes, valid);
    check(quillo::decodeUtf8(bytes) == plain);
    check(quillo::isValidUtf8(bytes) == valid);
    if (valid) check(quillo::utf16Length(bytes) == plain.size());

    const std::u16string text = quillo::decodeDataFile(bytes, codec);
    // UTF-8 comes back byte for byte once decoded, byte-order mark aside.
    if (!bytes.starts_with("\xEF\xBB\xBF") && quillo::isValidUtf8(bytes)) {
        check(quillo::toUtf8(text) == bytes);
    }
    // UTF-16 gives one character a pair of bytes after the mark, and one for
    // an odd byte at the end.
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        check(text.size() == (bytes.size() - 1) / 2);
    }

    auto table = std::make_unique<quillo::EntryTable>();
    std::int16_t entryCount = 0;
    std::string refusal;
    try {
        quillo::loadEntries(text, *table, entryCount);
    } catch (const quillo::RunError& error) {
        // The loader's two refusals: a 146th entry, and an entry too long to show.
        check((error.number() == quillo::ErrorNumber::SubscriptOutOfRange &&
               entryCount == quillo::kMaxEntries) ||
              error.number() == quillo::ErrorNumber::OutOfMemory);
        refusal = error.concerns();
    }

    // Split on the bytes before decoding, whole or read in pieces of a size
    // the input chooses, the loader keeps the same entries or refuses alike.
    const std::size_t piece = size ? 1 + data[0] % 7 : 1;
    const auto pieces = [&](const quillo::PieceConsumer& consume) {
        for (std::size_t pos = 0; pos < bytes.size(); pos += piece) {
            consume(bytes.substr(pos, piece));
        }
        return quillo::ReadResult::Read;
    };
    for (int way = 0; way < 2; ++way) {
        auto other = std::make_unique<quillo::EntryTable>();
        std::int16_t otherCount = 0;
        std::string otherRefusal;
        try {
            if (way == 0) {
                quillo::loadDataBytes(bytes, codec, *other, otherCount);
            } else if (!quillo::loadUtf8InPieces(pieces, *other, otherCount)) {
                check(otherCount == 0);
                continue;
            }
        } catch (const quillo::RunError& error) {
            otherRefusal = error.concerns();
        }
        check(otherRefusal == refusal);
        if (refusal.empty()) {
            check(otherCount == entryCount);
            for (int i = 1; i <= entryCount; ++i) {
                const auto slot = static_cast<std::size_t>(i);
                check((*other)[slot].title == (*table)[slot].title);
                check((*other)[slot].content == (*table)[slot].content);
            }
        }
    }
    check(entryCount >= 0 && entryCount <= quillo::kMaxEntries);
    check((*table)[0].title.empty() && (*table)[0].content.empty());
    for (int i = 1; i <= entryCount; ++i) {
        const quillo::Entry& entry = (*table)[static_cast<std::size_t>(i)];
        // The title ends at the first '=', and no line end survives the split.
        check(entry.title.find(u'=') == std::u16string::npos);
        check(entry.title.find(u'\r') == std::u16string::npos);
        check(entry.content.find(u'\r') == std::u16string::npos);
    }
    return 0;
}
