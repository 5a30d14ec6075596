// Loads one data file, with the real file system and code page, and prints
// how many entries it holds: the driver whose loader bench/instructions.py
// counts under callgrind.
#include <cstdint>
#include <cstdio>
#include <memory>

#include "platform/posix/iconv_codec.h"
#include "platform/posix/posix_file_system.h"
#include "store/data_file.h"

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: quillo_load_file DATA_FILE\n");
        return 2;
    }
    const quillo::PosixFileSystem files;
    const quillo::IconvCodec codec;
    auto table = std::make_unique<quillo::EntryTable>();
    std::int16_t entryCount = 0;
    quillo::loadDataFile(files, codec, argv[1], *table, entryCount);
    std::printf("%d\n", entryCount);
    return 0;
}
