#include "platform/win32/win32_processes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "base/run_error.h"
#include "base/unicode.h"
#include "win32_test_support.h"

namespace quillo {
namespace {

using namespace std::chrono_literals;
using testing::TempFolderTest;

class Win32ProcessesTest : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        record_ = dir_ / "record.txt";
        SetEnvironmentVariableW(L"QUILLO_RECORD_FILE", record_.wstring().c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"QUILLO_RECORD_FILE", nullptr);
        TempFolderTest::TearDown();
    }
    // A copy of the recording helper in a subdirectory of the test's folder.
    std::u16string helperIn(const std::u16string& subdirectory) {
        const auto folder = dir_ / subdirectory;
        std::filesystem::create_directories(folder);
        std::filesystem::copy_file(testing::besideTests(u"record_start.exe"),
                                   folder / "record_start.exe");
        return (folder / "record_start.exe").u16string();
    }

    std::filesystem::path record_;
};

TEST_F(Win32ProcessesTest, CommandLineAndWindowStyleReachTheProgramUnchanged) {
    struct Case {
        const char* name;
        std::u16string folder;
        std::u16string arguments;  // after the program's path and one space
        int windowStyle;
    };
    const std::vector<Case> cases = {
        {"plain, normal window", u"plain", u"", kShowNormal},
        {"path argument with shell characters", u"plain",
         u"C:\\Users\\a b & c | d ^ e %QUILLO_RECORD_FILE% 100%\\data.txt", kShowNormal},
        {"folder with spaces and shell characters", u"a b & c ^ d %PATH% 50%", u"", kShowNormal},
        {"folder of that kind, then an argument", u"x & y ^ %TEMP%", u"C:\\dir name\\data.txt",
         kShowNormal},
        {"Chinese folder in the ANSI code page", u"程序 目录", u"C:\\数据\\data.txt", kShowNormal},
        {"Korean folder, which code page 936 lacks", u"run-한글", u"C:\\한글\\data.txt",
         kShowNormal},
        {"a character beyond the BMP", u"run-𠀋", u"C:\\𠀋\\data.txt", kShowNormal},
        {"another window style passes as given", u"plain", u"", 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(record_);
        const std::u16string program = helperIn(c.folder);
        const std::u16string commandLine =
            c.arguments.empty() ? program : program + u" " + c.arguments;

        Win32Processes().start(commandLine, c.windowStyle);

        const auto lines = testing::waitForLines(record_, 1, 10s);
        ASSERT_EQ(lines.size(), 1u);
        const auto fields = testing::splitTabs(lines[0]);
        ASSERT_EQ(fields.size(), 3u) << lines[0];
        // Wine quotes a program path that holds spaces when it passes the
        // command line on; Windows passes it exactly as given. The rest of the
        // line must arrive untouched either way.
        const std::u16string quoted = u"\"" + program + u"\"" + commandLine.substr(program.size());
        EXPECT_TRUE(fields[0] == toUtf8(commandLine) ||
                    (program.find(u' ') != std::u16string::npos && fields[0] == toUtf8(quoted)))
            << fields[0];
        EXPECT_EQ(fields[1], std::to_string(c.windowStyle));
        EXPECT_EQ(fields[2], toUtf8((dir_ / c.folder).u16string()));
        EXPECT_TRUE(testing::removeOnceReleased(dir_ / c.folder));
    }
}

TEST(Win32Processes, EditorIsNotepadOnTheDataFileUnquoted) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"C:\\Quillo", u"C:\\WINDOWS\\NOTEPAD.EXE C:\\Quillo\\data.txt"},
        {u"C:\\Program Files\\My Tools",
         u"C:\\WINDOWS\\NOTEPAD.EXE C:\\Program Files\\My Tools\\data.txt"},
        {u"C:\\", u"C:\\WINDOWS\\NOTEPAD.EXE C:\\\\data.txt"},
        {u"D:\\工具", u"C:\\WINDOWS\\NOTEPAD.EXE D:\\工具\\data.txt"},
    };
    for (const auto& [directory, commandLine] : cases) {
        EXPECT_EQ(editorCommandLine(directory), commandLine) << toUtf8(directory);
    }
}

TEST_F(Win32ProcessesTest, AProgramInAFolderThatTheAnsiCodePageLacksStarts) {
    for (const std::u16string folder : {u"run-한글", u"run-𠀋"}) {
        std::filesystem::remove(record_);
        Win32Processes().startProgram(helperIn(folder), kShowNormal);
        const auto lines = testing::waitForLines(record_, 1, 10s);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(testing::splitTabs(lines[0]).at(2), toUtf8((dir_ / folder).u16string()));
        EXPECT_TRUE(testing::removeOnceReleased(dir_ / folder));
    }
}

TEST_F(Win32ProcessesTest, ShellSeparatorsStartNothingElse) {
    // Through a shell, each & would start the helper once more.
    const std::u16string program = helperIn(u"plain");
    const std::u16string commandLine =
        program + u" C:\\a & " + program + u" & " + program + u" | " + program;
    Win32Processes().start(commandLine, kShowNormal);

    ASSERT_EQ(testing::waitForLines(record_, 1, 10s).size(), 1u);
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(testing::readLines(record_).size(), 1u);
}

TEST_F(Win32ProcessesTest, AProgramThatCannotStartIsError53) {
    std::filesystem::create_directories(dir_ / "folder");
    const std::vector<std::u16string> commandLines = {
        u"C:\\no\\such\\program.exe",
        u"C:\\WINDOWS\\NO_SUCH_EDITOR.EXE C:\\Program Files\\Quillo\\data.txt",
        u"",
        (dir_ / "folder").u16string(),
    };
    for (const std::u16string& commandLine : commandLines) {
        SCOPED_TRACE(toUtf8(commandLine));
        try {
            Win32Processes().start(commandLine, kShowNormal);
            ADD_FAILURE() << "started";
        } catch (const RunError& error) {
            EXPECT_EQ(error.number(), ErrorNumber::FileNotFound);
            EXPECT_EQ(error.concerns(), toUtf8(commandLine));
        }
    }
}

}  // namespace
}  // namespace quillo
