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
#include "store/data_file.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const quillo::IconvCodec codec;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // The one-pass decoder the loader uses agrees with the plain one.
    std::u16string strict;
    const bool valid = quillo::decodeStrictUtf8(bytes, strict);
    check(valid == quillo::isValidUtf8(bytes));
    if (valid) check(strict == quillo::decodeUtf8(bytes));

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
    const auto pieces = [&](const std::function<void(std::string_view)>& consume) {
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
