// Any bytes as data.txt: the loader ends with a table or with one of the errors
// it may raise, and what it keeps obeys the file's format.
#include <cstdint>
#include <cstdlib>
#include <memory>
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
    try {
        quillo::loadEntries(text, *table, entryCount);
    } catch (const quillo::RunError& error) {
        // The loader's two refusals: a 146th entry, and an entry too long to show.
        check((error.number() == quillo::ErrorNumber::SubscriptOutOfRange &&
               entryCount == quillo::kMaxEntries) ||
              error.number() == quillo::ErrorNumber::OutOfMemory);
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
