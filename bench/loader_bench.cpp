// The loader on the largest table it holds, on the largest file it accepts
// (145 entries of 1,048,575 characters) and on a file far larger than any
// table: reading, decoding and splitting, with the real code page.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "base/unicode.h"
#include "platform/posix/iconv_codec.h"
#include "platform/posix/posix_file_system.h"
#include "store/data_file.h"
#include "store/data_file_parts.h"
#include "store/entry_table.h"

namespace {

using quillo::EntryTable;

// Mixed Chinese and ASCII, as real snippets are; no '=' and no CR.
constexpr std::string_view kFiller = "北京市海淀区中关村大街 27 号 Room 501, Example Co. ";

std::string textOfSize(std::size_t bytes) {
    std::string text;
    text.reserve(bytes + kFiller.size());
    while (text.size() + kFiller.size() <= bytes) text += kFiller;
    text.append(bytes - text.size(), 'x');
    return text;
}

// `entries` lines of title=content, each line `lineBytes` long with its CR LF.
std::string entryFile(int entries, std::size_t lineBytes) {
    std::string file;
    for (int i = 1; i <= entries; ++i) {
        std::string line = "条目" + std::to_string(i) + "=";
        line += textOfSize(lineBytes - line.size() - 2);
        file += line + "\r\n";
    }
    return file;
}

// Notes only: lines with no '=', so the table stays empty however big the file.
std::string freeLines(std::size_t totalBytes) {
    const std::string line = textOfSize(78) + "\r\n";
    std::string file;
    file.reserve(totalBytes + line.size());
    while (file.size() < totalBytes) file += line;
    return file;
}

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "quillo-bench-XXXXXX");
        if (!mkdtemp(pattern.data())) std::abort();
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::filesystem::path write(const std::string& name, const std::string& bytes) const {
        const auto file = path_ / name;
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }

private:
    std::filesystem::path path_;
};

const TempDir& tempDir() {
    static const TempDir dir;
    return dir;
}

void loadFile(benchmark::State& state, const std::string& bytes, int expectedEntries) {
    const quillo::IconvCodec codec;
    const quillo::PosixFileSystem files;
    const auto path = tempDir().write("data.txt", bytes);
    for (auto _ : state) {
        auto table = std::make_unique<EntryTable>();
        std::int16_t entryCount = 0;
        quillo::loadDataFile(files, codec, path, *table, entryCount);
        if (entryCount != expectedEntries) state.SkipWithError("wrong number of entries");
        benchmark::DoNotOptimize(table->data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

// The bytes from memory, in the pieces that a read of the file hands on.
quillo::ReadInPieces fromMemory(const std::string& bytes) {
    return [&bytes](const quillo::PieceConsumer& consume) {
        constexpr std::size_t kPiece = std::size_t{1} << 20;
        for (std::size_t pos = 0; pos < bytes.size() && consume(bytes.substr(pos, kPiece));) {
            pos += kPiece;
        }
        return quillo::ReadResult::Read;
    };
}

void decodeAndLoad(benchmark::State& state, const std::string& bytes, int expectedEntries) {
    const quillo::IconvCodec codec;
    for (auto _ : state) {
        auto table = std::make_unique<EntryTable>();
        std::int16_t entryCount = 0;
        quillo::loadDataPieces(fromMemory(bytes), codec, "data.txt", *table, entryCount);
        if (entryCount != expectedEntries) state.SkipWithError("wrong number of entries");
        benchmark::DoNotOptimize(table->data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

const std::string& utf8Entries() {
    static const std::string bytes = entryFile(quillo::kMaxEntries, 32 * 1024);
    return bytes;
}

// The same entries in code page 936, the other branch of the decoder.
const std::string& gbkEntries() {
    static const std::string bytes =
        quillo::IconvCodec().encodeAnsi(quillo::decodeUtf8(utf8Entries()));
    return bytes;
}

const std::string& fiftyMegabytes() {
    static const std::string bytes = freeLines(50u * 1024 * 1024);
    return bytes;
}

// 145 entries of 1,048,575 characters, mostly ASCII: about 152 MB of UTF-8.
const std::string& largestEntries() {
    static const std::string bytes = [] {
        const std::u16string pattern =
            u"Room 501, Example Co., 27 Zhongguancun Street, Haidian District, 北京 ";
        std::string file;
        for (int i = 1; i <= quillo::kMaxEntries; ++i) {
            std::u16string line = u"条目" + quillo::decodeUtf8(std::to_string(i)) + u"=";
            while (line.size() < quillo::kMaxEntryLength) line += pattern;
            line.resize(quillo::kMaxEntryLength);  // title and content 1,048,575
            file += quillo::toUtf8(line) + "\r\n";
        }
        return file;
    }();
    return bytes;
}

void BM_LoadDataFile_145x32KB_UTF8(benchmark::State& state) {
    loadFile(state, utf8Entries(), quillo::kMaxEntries);
}
void BM_LoadDataFile_145x32KB_GBK(benchmark::State& state) {
    loadFile(state, gbkEntries(), quillo::kMaxEntries);
}
void BM_DecodeAndLoad_145x32KB_UTF8(benchmark::State& state) {
    decodeAndLoad(state, utf8Entries(), quillo::kMaxEntries);
}
void BM_LoadDataFile_50MB_FreeLines(benchmark::State& state) {
    loadFile(state, fiftyMegabytes(), 0);
}
void BM_DecodeAndLoad_50MB_FreeLines(benchmark::State& state) {
    decodeAndLoad(state, fiftyMegabytes(), 0);
}

void BM_LoadDataFile_Largest(benchmark::State& state) {
    loadFile(state, largestEntries(), quillo::kMaxEntries);
}

// The yardstick for loading it: reading the bytes and decoding them to one
// text, nothing more.
void BM_ReadAndDecode_Largest(benchmark::State& state) {
    const quillo::PosixFileSystem files;
    const auto path = tempDir().write("data.txt", largestEntries());
    for (auto _ : state) {
        std::string bytes;
        if (files.readRegularFile(path, quillo::kMaxDataFileBytes, bytes) !=
            quillo::ReadResult::Read) {
            state.SkipWithError("not read");
        }
        const std::u16string text = quillo::decodeUtf8(bytes);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations() * largestEntries().size()));
}

}  // namespace

BENCHMARK(BM_LoadDataFile_145x32KB_UTF8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadDataFile_145x32KB_GBK)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeAndLoad_145x32KB_UTF8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadDataFile_50MB_FreeLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeAndLoad_50MB_FreeLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAndDecode_Largest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadDataFile_Largest)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
