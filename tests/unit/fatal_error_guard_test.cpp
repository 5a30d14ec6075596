#include "forms/fatal_error_guard.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "base/unicode.h"
#include "fakes/fake_platform.h"

namespace quillo {
namespace {

TEST(FatalErrorGuard, WhateverEscapesAHandlerIsReportedAndEndsTheProgram) {
    struct Case {
        const char* name;
        std::function<void()> handler;
        int exitCode;
        std::string report;
    };
    const Case cases[] = {
        {"run-time error", [] { throw RunError(ErrorNumber::FileNotFound, "C:\\d\\data.txt"); }, 53,
         "运行时错误 '53':\n\n文件未找到\nC:\\d\\data.txt"},
        {"out of memory", [] { throw std::bad_alloc(); }, 7, "运行时错误 '7':\n\n内存不足"},
        {"standard exception", [] { throw std::logic_error("broken"); }, 5,
         "运行时错误 '5':\n\n无效的过程调用或参数\nbroken"},
        {"anything else", [] { throw 42; }, 5, "运行时错误 '5':\n\n无效的过程调用或参数"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fakes::FakeWindowSystem windows;
        guard(windows, c.handler)();
        EXPECT_EQ(windows.events, (std::vector<std::string>{"message", "end"}));
        EXPECT_EQ(windows.exitCodes, std::vector<int>{c.exitCode});
        ASSERT_EQ(windows.messages.size(), 1u);
        EXPECT_EQ(windows.messages[0].title, u"quillo4");
        EXPECT_EQ(toUtf8(windows.messages[0].text), c.report);
    }
}

}  // namespace
}  // namespace quillo
