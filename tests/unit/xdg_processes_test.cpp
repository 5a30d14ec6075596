#include "platform/posix/xdg_processes.h"

#include <gtest/gtest.h>

#include "base/run_error.h"

namespace quillo {
namespace {

TEST(XdgProcesses, EditorCommandLineBecomesXdgOpenOnTheFile) {
    struct Case {
        std::u16string commandLine;
        std::vector<std::string> argv;
    };
    const Case cases[] = {
        {u"C:\\WINDOWS\\NOTEPAD.EXE /opt/quillo\\data.txt", {"xdg-open", "/opt/quillo/data.txt"}},
        {u"C:\\WINDOWS\\NOTEPAD.EXE /home/u/my tools\\data.txt",
         {"xdg-open", "/home/u/my tools/data.txt"}},
        {u"C:\\WINDOWS\\NOTEPAD.EXE /\\data.txt", {"xdg-open", "//data.txt"}},
        // A backslash that is part of a directory's name stays.
        {u"C:\\WINDOWS\\NOTEPAD.EXE /tmp/a\\b\\data.txt", {"xdg-open", "/tmp/a\\b/data.txt"}},
        {u"C:\\WINDOWS\\NOTEPAD.EXE /tmp/$(touch x);`id`\\data.txt",
         {"xdg-open", "/tmp/$(touch x);`id`/data.txt"}},
        {u"C:\\WINDOWS\\NOTEPAD.EXE /tmp/程序\\data.txt", {"xdg-open", "/tmp/程序/data.txt"}},
        {u"/usr/bin/some tool", {"/usr/bin/some tool"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(posixArgvFor(c.commandLine), c.argv);
    }
}

TEST(XdgProcesses, ProgramThatCannotStartIsError53) {
    XdgProcesses processes;
    // An exact program is started by its path only, never looked up in PATH.
    const std::pair<std::u16string, bool> cases[] = {
        {u"/no/such/program", false},
        {u"", false},
        {u"/no/such/program", true},
        {u"", true},
        {u"true", true},
    };
    for (const auto& [program, exact] : cases) {
        try {
            if (exact) {
                processes.startProgram(program, kShowNormal);
            } else {
                processes.start(program, kShowNormal);
            }
            ADD_FAILURE() << "started";
        } catch (const RunError& error) {
            EXPECT_EQ(error.number(), ErrorNumber::FileNotFound);
        }
    }
}

}  // namespace
}  // namespace quillo
