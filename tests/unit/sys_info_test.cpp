#include "dialogs/sys_info.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/unicode.h"
#include "fakes/fake_platform.h"
#include "platform/system_services.h"

namespace quillo {
namespace {

using fakes::FakeRegistry;

const std::string kPathKey = toUtf8(kSysInfoPathKey);
const std::string kDirKey = toUtf8(kSysInfoDirKey);
const std::u16string kToolDir = u"C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo";

std::string dword(std::uint32_t n) {
    return {static_cast<char>(n & 0xFF), static_cast<char>(n >> 8 & 0xFF),
            static_cast<char>(n >> 16 & 0xFF), static_cast<char>(n >> 24 & 0xFF)};
}

// Every key the reader opened was opened for reading only and closed again.
void expectReadOnlyAndClosed(const FakeRegistry& registry) {
    for (const FakeRegistry::Open& open : registry.opens) {
        EXPECT_EQ(open.root, kHkeyLocalMachine) << open.subKey;
        EXPECT_EQ(open.options, 0u) << open.subKey;
        EXPECT_EQ(open.access, 0x20019u) << open.subKey;
    }
    EXPECT_TRUE(registry.openKeys.empty()) << registry.openKeys.size() << " key(s) left open";
}

class GetKeyValueTest : public ::testing::Test {
protected:
    const std::unique_ptr<TextCodec> codec = makeSystemServices().codec;
    FakeRegistry registry;

    // Reads PATH of location 1 after storing `bytes` there (if any) as `type`.
    std::pair<bool, std::u16string> read(std::optional<std::pair<std::uint32_t, std::string>> value,
                                         const std::u16string& valueName = u"PATH") {
        if (value) registry.set(kPathKey, "PATH", value->first, value->second);
        std::u16string text = u"stale text from the caller";
        const bool ok =
            GetKeyValue(registry, *codec, kHkeyLocalMachine, kSysInfoPathKey, valueName, text);
        return {ok, text};
    }
};

TEST_F(GetKeyValueTest, ReadsStringsAndNumbers) {
    struct Case {
        const char* name;
        std::uint32_t type;
        std::string bytes;
        bool ok;
        std::u16string text;
    };
    const std::string longest(1023, 'x');
    const std::vector<Case> cases = {
        {"string with its zero", kRegSz, std::string("C:\\msinfo32.exe\0", 16), true,
         u"C:\\msinfo32.exe"},
        {"string without its zero keeps its last character", kRegSz, "C:\\msinfo32.exe", true,
         u"C:\\msinfo32.exe"},
        {"one character without zero", kRegSz, "x", true, u"x"},
        {"only the zero", kRegSz, std::string("\0", 1), true, u""},
        {"string of size 0", kRegSz, "", true, u""},
        {"number of size 0", kRegDword, "", true, u""},
        {"GBK path with its zero", kRegSz, std::string("C:\\\xB3\xCC\xD0\xF2\\a.exe\0", 14), true,
         u"C:\\程序\\a.exe"},
        {"GBK ending in a double-byte character", kRegSz, std::string("\xC4\xE3\xBA\xC3\0", 5),
         true, u"你好"},
        {"GBK without zero", kRegSz, "\xC4\xE3\xBA\xC3", true, u"你好"},
        {"1024 bytes fill the buffer", kRegSz, longest + '\0', true, std::u16string(1023, u'x')},
        {"1025 bytes do not fit", kRegSz, longest + "y" + '\0', false, u""},
        {"REG_DWORD 0", kRegDword, dword(0), true, u"0"},
        {"REG_DWORD 1", kRegDword, dword(1), true, u"1"},
        {"REG_DWORD 0x0102A0FF", kRegDword, dword(0x0102A0FF), true, u"16949503"},
        {"REG_DWORD 0x00A00000, zero digits inside", kRegDword, dword(0x00A00000), true,
         u"10485760"},
        {"REG_DWORD all bits set is unsigned", kRegDword, dword(0xFFFFFFFF), true, u"4294967295"},
        {"REG_EXPAND_SZ is not read", kRegExpandSz, std::string("%SystemRoot%\0", 13), false, u""},
        {"REG_BINARY is not read", 3, "\x01\x02", false, u""},
        {"REG_DWORD_BIG_ENDIAN is not read", 5, dword(1), false, u""},
        {"REG_MULTI_SZ of size 0 is not read", 7, "", false, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        registry = FakeRegistry();
        const auto [ok, text] = read(std::pair{c.type, c.bytes});
        EXPECT_EQ(ok, c.ok);
        EXPECT_EQ(text, c.text);
        ASSERT_EQ(registry.opens.size(), 1u);
        EXPECT_EQ(registry.opens[0].subKey, kPathKey);
        EXPECT_EQ(registry.queries, std::vector<std::string>{"PATH"});
        EXPECT_EQ(registry.closes.size(), 1u);
        expectReadOnlyAndClosed(registry);
    }
}

TEST_F(GetKeyValueTest, MissingKeyIsFalseAndOpensNothing) {
    const auto [ok, text] = read(std::nullopt);
    EXPECT_FALSE(ok);
    EXPECT_EQ(text, u"");
    EXPECT_TRUE(registry.queries.empty());
    EXPECT_TRUE(registry.closes.empty());
    expectReadOnlyAndClosed(registry);
}

TEST_F(GetKeyValueTest, MissingValueIsFalseAndClosesTheKey) {
    registry.set(kPathKey, "OTHER", kRegSz, "x");
    const auto [ok, text] = read(std::nullopt);
    EXPECT_FALSE(ok);
    EXPECT_EQ(text, u"");
    EXPECT_EQ(registry.closes.size(), 1u);
    expectReadOnlyAndClosed(registry);
}

TEST_F(GetKeyValueTest, NamesReachTheRegistryInTheAnsiCodePage) {
    registry.set("SOFTWARE\\\xB2\xE2\xCA\xD4", "\xC2\xB7\xBE\xB6", kRegSz, "ok");
    std::u16string text;
    EXPECT_TRUE(GetKeyValue(registry, *codec, kHkeyLocalMachine, u"SOFTWARE\\测试", u"路径", text));
    EXPECT_EQ(text, u"ok");
    expectReadOnlyAndClosed(registry);
}

struct Launch : fakes::FakePlatform {
    void run() { StartSysInfo(platform); }
    // Location 2 as Windows sets it, with the program in it or without.
    void setToolDir(bool withProgram) {
        registry.set(kDirKey, "MSINFO", kRegSz,
                     "C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo");
        if (withProgram) files.normalFiles.insert(kToolDir + u"\\MSINFO32.EXE");
    }
};

TEST(StartSysInfo, TriesBothLocationsInOrder) {
    const std::u16string fromPath = u"C:\\Tools\\msinfo32.exe";
    const std::u16string fromDir = kToolDir + u"\\MSINFO32.EXE";
    struct Case {
        const char* name;
        void (*setUp)(Launch&);
        std::vector<std::u16string> started;  // empty: the message is shown instead
        std::vector<std::u16string> lookups;
        std::vector<std::string> keysOpened;
    };
    const std::vector<Case> cases = {
        {"location 1 is started without a file check",
         [](Launch& l) { l.registry.set(kPathKey, "PATH", kRegSz, "C:\\Tools\\msinfo32.exe"); },
         {fromPath},
         {},
         {kPathKey}},
        {"location 2 with the file is started by its full name",
         [](Launch& l) { l.setToolDir(true); },
         {fromDir},
         {fromDir},
         {kPathKey, kDirKey}},
        {"location 2 without the file",
         [](Launch& l) { l.setToolDir(false); },
         {},
         {fromDir},
         {kPathKey, kDirKey}},
        {"no location", [](Launch&) {}, {}, {}, {kPathKey, kDirKey}},
        {"location 1 key without its value falls back to location 2",
         [](Launch& l) {
             l.registry.set(kPathKey, "Other", kRegSz, "C:\\elsewhere.exe");
             l.setToolDir(true);
         },
         {fromDir},
         {fromDir},
         {kPathKey, kDirKey}},
        {"location 1 of another type falls back to location 2",
         [](Launch& l) {
             l.registry.set(kPathKey, "PATH", kRegExpandSz,
                            std::string("%ProgramFiles%\\msinfo32.exe\0", 28));
             l.setToolDir(true);
         },
         {fromDir},
         {fromDir},
         {kPathKey, kDirKey}},
        {"location 1 too long falls back to location 2, which lacks the file",
         [](Launch& l) {
             l.registry.set(kPathKey, "PATH", kRegSz, std::string(2000, 'x'));
             l.registry.set(kDirKey, "MSINFO", kRegSz, "C:\\nowhere");
         },
         {},
         {u"C:\\nowhere\\MSINFO32.EXE"},
         {kPathKey, kDirKey}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Launch launch;
        c.setUp(launch);
        launch.run();

        std::vector<std::u16string> started;
        for (const auto& s : launch.processes.started) {
            started.push_back(s.target);
            EXPECT_EQ(s.windowStyle, 1);
            EXPECT_TRUE(s.exactProgram) << "started as a command line, not as the program";
        }
        EXPECT_EQ(started, c.started);
        EXPECT_EQ(launch.files.lookups, c.lookups);
        std::vector<std::string> opened;
        for (const auto& open : launch.registry.opens) opened.push_back(open.subKey);
        EXPECT_EQ(opened, c.keysOpened);
        expectReadOnlyAndClosed(launch.registry);

        if (c.started.empty()) {
            ASSERT_EQ(launch.windows.messages.size(), 1u);
            EXPECT_EQ(launch.windows.messages[0].title, u"quillo4");
            EXPECT_EQ(launch.windows.messages[0].text, u"此时系统信息不可用");
        } else {
            EXPECT_TRUE(launch.windows.messages.empty());
        }
        EXPECT_TRUE(launch.windows.exitCodes.empty());
    }
}

TEST(StartSysInfo, StartThatFailsShowsTheMessageOnly) {
    Launch launch;
    launch.registry.set(kPathKey, "PATH", kRegSz, "C:\\gone\\msinfo32.exe");
    launch.processes.fail = true;
    launch.run();

    ASSERT_EQ(launch.processes.attempts.size(), 1u);
    EXPECT_EQ(launch.processes.attempts[0].target, u"C:\\gone\\msinfo32.exe");
    ASSERT_EQ(launch.windows.messages.size(), 1u);
    EXPECT_EQ(launch.windows.messages[0].text, u"此时系统信息不可用");
    EXPECT_TRUE(launch.windows.exitCodes.empty());
    expectReadOnlyAndClosed(launch.registry);
}

// A registry whose query throws, as a failing allocation would.
class ThrowingRegistry : public FakeRegistry {
public:
    long queryValue(RegKey, const std::string&, std::uint32_t&, unsigned char*,
                    std::uint32_t&) override {
        throw std::bad_alloc();
    }
};

TEST(StartSysInfo, AnyErrorIsTrappedAndTheKeyStillClosed) {
    fakes::FakePlatform fake;
    ThrowingRegistry registry;
    registry.set(kPathKey, "PATH", kRegSz, "x");
    Platform platform{*fake.codec, fake.files, fake.processes, registry, fake.windows, fake.drags};

    EXPECT_NO_THROW(StartSysInfo(platform));

    EXPECT_EQ(fake.windows.messages.size(), 1u);
    EXPECT_TRUE(fake.processes.attempts.empty());
    expectReadOnlyAndClosed(registry);
}

}  // namespace
}  // namespace quillo
