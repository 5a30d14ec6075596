#include "platform/win32/win32_file_system.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "base/unicode.h"
#include "platform/win32/win32_processes.h"
#include "win32_test_support.h"

namespace quillo {
namespace {

using namespace std::chrono_literals;

class Win32FileSystemTest : public testing::TempFolderTest {};

TEST_F(Win32FileSystemTest, OnlyNormalFilesAreFound) {
    write("MSINFO32.EXE", "x");
    write(u"系统 信息.exe", "x");
    std::filesystem::create_directories(dir_ / "folder" / "MSINFO32.EXE");
    const auto at = [&](const std::filesystem::path& name) { return (dir_ / name).u16string(); };
    struct Case {
        std::u16string path;
        bool expected;
    };
    const std::vector<Case> cases = {
        {at("MSINFO32.EXE"), true},   {at("msinfo32.exe"), true},  // Windows file names ignore case
        {at(u"系统 信息.exe"), true}, {at("folder/MSINFO32.EXE"), false},  {at("folder"), false},
        {at("missing.exe"), false},   {at("MSINFO32.EXE") + u"\\", false}, {u"", false},
    };
    const Win32FileSystem files;
    for (const Case& c : cases) {
        EXPECT_EQ(files.isNormalFile(c.path), c.expected) << toUtf8(c.path);
    }
}

// A device or a pipe opened as a file would block the program or read as
// empty; each is refused before anything is read.
TEST_F(Win32FileSystemTest, OnlyRegularFilesAreRead) {
    write("data.txt", "a=b");
    std::filesystem::create_directories(dir_ / "folder");
    const std::wstring pipeName =
        L"\\\\.\\pipe\\quillo_test_" + std::to_wstring(GetCurrentProcessId());
    // A pipe with listening ends that never write, one for each of the reads.
    HANDLE pipes[2];
    for (HANDLE& pipe : pipes) {
        pipe = CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT,
                                2, 0, 0, 0, nullptr);
        ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    }
    struct Case {
        std::filesystem::path path;
        ReadResult result;
    };
    const std::vector<Case> cases = {
        {dir_ / "data.txt", ReadResult::Read},
        {dir_ / "missing.txt", ReadResult::NotFound},
        {dir_ / "no folder" / "data.txt", ReadResult::NotFound},
        {dir_ / "folder", ReadResult::NotRegular},
        {"NUL", ReadResult::NotRegular},
        {dir_ / "NUL", ReadResult::NotRegular},
        {pipeName, ReadResult::NotRegular},
    };
    const Win32FileSystem files;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.string());
        std::string bytes;
        EXPECT_EQ(files.readRegularFile(c.path, 1024, bytes), c.result);
        EXPECT_EQ(bytes, c.result == ReadResult::Read ? "a=b" : "");
        std::string pieces;
        EXPECT_EQ(files.readRegularFileInPieces(c.path, 1024,
                                                [&](std::string_view piece) { pieces += piece; }),
                  c.result);
        if (c.result == ReadResult::Read) {
            EXPECT_EQ(pieces, "a=b");
        }
    }
    std::string bytes;
    EXPECT_EQ(files.readRegularFile(dir_ / "data.txt", 2, bytes), ReadResult::TooLarge);
    EXPECT_EQ(files.readRegularFileInPieces(dir_ / "data.txt", 2, [](std::string_view) {}),
              ReadResult::TooLarge);
    for (const HANDLE pipe : pipes) CloseHandle(pipe);
}

TEST(Win32FileSystem, DirectoryOfAFullFileName) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"C:\\Program Files\\Quillo\\quillo.exe", u"C:\\Program Files\\Quillo"},
        {u"C:\\quillo.exe", u"C:\\"},
        {u"D:\\tools\\quillo.exe", u"D:\\tools"},
        {u"\\\\server\\share\\quillo.exe", u"\\\\server\\share"},
        {u"\\\\?\\C:\\very\\long\\quillo.exe", u"\\\\?\\C:\\very\\long"},
        {u"quillo.exe", u""},
    };
    for (const auto& [file, directory] : cases) {
        EXPECT_EQ(directoryOf(file), directory) << toUtf8(file);
    }
}

TEST(Win32FileSystem, ProgramDirectoryHoldsThisProgram) {
    const std::u16string directory = Win32FileSystem().programDirectory();
    ASSERT_GE(directory.size(), 3u);
    EXPECT_NE(directory.back(), u'\\');
    EXPECT_TRUE(Win32FileSystem().isNormalFile(directory + u"\\win32_tests.exe"));
}

TEST_F(Win32FileSystemTest, ProgramDirectoryAtADriveRootKeepsItsBackslash) {
    // The helper reports its own directory; copied to the root of C: it must say C:\.
    const std::filesystem::path helper = "C:\\quillo_record_start_root.exe";
    std::filesystem::copy_file(testing::besideTests(u"record_start.exe"), helper,
                               std::filesystem::copy_options::overwrite_existing);
    const auto record = dir_ / "record.txt";
    SetEnvironmentVariableW(L"QUILLO_RECORD_FILE", record.wstring().c_str());
    Win32Processes().start(helper.u16string(), kShowNormal);
    const auto lines = testing::waitForLines(record, 1, 10s);
    SetEnvironmentVariableW(L"QUILLO_RECORD_FILE", nullptr);
    EXPECT_TRUE(testing::removeOnceReleased(helper));

    ASSERT_EQ(lines.size(), 1u);
    const auto fields = testing::splitTabs(lines[0]);
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[2], "C:\\");
}

}  // namespace
}  // namespace quillo
