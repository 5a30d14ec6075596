#include "platform/posix/xdg_processes.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "base/run_error.h"

namespace quillo {
namespace {

TEST(XdgProcesses, EditorIsTheOpenerOnTheDataFileAsOneArgument) {
    const std::pair<std::u16string, std::string> cases[] = {
        {u"/opt/quillo", "/opt/quillo/data.txt"},
        {u"/home/u/my tools", "/home/u/my tools/data.txt"},
        {u"/", "//data.txt"},
        {u"/tmp/a\\b", "/tmp/a\\b/data.txt"},
        {u"/tmp/$(touch x);`id`", "/tmp/$(touch x);`id`/data.txt"},
        {u"/tmp/程序", "/tmp/程序/data.txt"},
    };
    for (const auto& [directory, file] : cases) {
        EXPECT_EQ(editorArgv(directory), (std::vector<std::string>{"xdg-open", file}));
    }
}

TEST(XdgProcesses, ProgramThatCannotStartIsError53) {
    XdgProcesses processes;
    // An exact program is started by its path only, never looked up in PATH.
    for (const char16_t* program : {u"/no/such/program", u"", u"true"}) {
        try {
            processes.startProgram(program, kShowNormal);
            ADD_FAILURE() << "started";
        } catch (const RunError& error) {
            EXPECT_EQ(error.number(), ErrorNumber::FileNotFound);
        }
    }
}

TEST(XdgProcesses, NoOpenerIsError53) {
    const std::string path = std::getenv("PATH");
    setenv("PATH", "/nonexistent", 1);
    try {
        XdgProcesses().editDataFile(u"/tmp");
        ADD_FAILURE() << "started";
    } catch (const RunError& error) {
        EXPECT_EQ(error.number(), ErrorNumber::FileNotFound);
    }
    setenv("PATH", path.c_str(), 1);
}

}  // namespace
}  // namespace quillo
