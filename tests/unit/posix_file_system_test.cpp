#include "platform/posix/posix_file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "base/run_error.h"
#include "platform/posix/iconv_codec.h"
#include "store/data_file.h"
#include "support/temp_folder.h"

namespace quillo {
namespace {

namespace fs = std::filesystem;

class PosixReadRegularFile : public testing::TempFolderTest {
protected:
    const PosixFileSystem files_;
};

// Each case would hang the test on the pipe, or read a device as empty, if
// the file were opened and read as a regular one.
TEST_F(PosixReadRegularFile, OnlyRegularFilesAreReadAndNothingWaits) {
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> make;
        ReadResult result;
    };
    const std::vector<Case> cases = {
        {"regular file", [](const fs::path& p) { std::ofstream(p) << "a=b"; }, ReadResult::Read},
        {"link to a regular file",
         [this](const fs::path& p) {
             std::ofstream(dir_ / "real.txt") << "a=b";
             fs::create_symlink(dir_ / "real.txt", p);
         },
         ReadResult::Read},
        {"missing", [](const fs::path&) {}, ReadResult::NotFound},
        {"dangling link", [](const fs::path& p) { fs::create_symlink("nowhere.txt", p); },
         ReadResult::NotFound},
        {"named pipe with no writer", [](const fs::path& p) { ::mkfifo(p.c_str(), 0600); },
         ReadResult::NotRegular},
        {"link to /dev/zero", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); },
         ReadResult::NotRegular},
        {"link to /dev/urandom", [](const fs::path& p) { fs::create_symlink("/dev/urandom", p); },
         ReadResult::NotRegular},
        {"directory", [](const fs::path& p) { fs::create_directory(p); }, ReadResult::NotRegular},
        {"link loop", [](const fs::path& p) { fs::create_symlink(p, p); }, ReadResult::NoAccess},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        const fs::path path = dir_ / ("data" + std::to_string(i) + ".txt");
        c.make(path);
        std::string bytes;
        EXPECT_EQ(files_.readRegularFile(path, 1024, bytes), c.result);
        EXPECT_EQ(bytes, c.result == ReadResult::Read ? "a=b" : "");
        std::string pieces;
        EXPECT_EQ(files_.readRegularFileInPieces(path, 1024,
                                                 [&](std::string_view piece) { pieces += piece; }),
                  c.result);
        if (c.result == ReadResult::Read) {
            EXPECT_EQ(pieces, "a=b");
        }
    }
}

TEST_F(PosixReadRegularFile, ProcFilesAreReadPastTheSizeTheyClaim) {
    std::string bytes;
    ASSERT_EQ(files_.readRegularFile("/proc/self/status", 1 << 20, bytes), ReadResult::Read);
    EXPECT_NE(bytes.find("Name:"), std::string::npos);
    EXPECT_EQ(files_.readRegularFile("/proc/self/status", 10, bytes), ReadResult::TooLarge);
    EXPECT_EQ(files_.readRegularFileInPieces("/proc/self/status", 10, [](std::string_view) {}),
              ReadResult::TooLarge);
}

TEST_F(PosixReadRegularFile, APipeIsError75NamingItsFullPath) {
    const fs::path path = dir_ / "data.txt";
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    const IconvCodec codec;
    EntryTable table;
    std::int16_t entryCount = 0;
    try {
        loadDataFile(files_, codec, path, table, entryCount);
        FAIL() << "no error";
    } catch (const RunError& error) {
        EXPECT_EQ(error.number(), ErrorNumber::PathFileAccess);
        EXPECT_EQ(error.concerns(), path.string() + "\n不是普通文件");
    }
}

}  // namespace
}  // namespace quillo
