// The registry reader and the launcher on the real registry, file system and
// process start; only the message box is a fake.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/unicode.h"
#include "dialogs/sys_info.h"
#include "fakes/fake_platform.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_text_codec.h"
#include "win32_test_support.h"

namespace quillo {
namespace {

using namespace std::chrono_literals;

const std::string kPathKeyName = toUtf8(kSysInfoPathKey);
const std::string kDirKeyName = toUtf8(kSysInfoDirKey);
const char* const kPathKey = kPathKeyName.c_str();
const char* const kDirKey = kDirKeyName.c_str();
constexpr char kOwnKey[] = "SOFTWARE\\Quillo Tests\\Values";

// Passes every call to the real registry and keeps the access masks asked for
// and the keys still open. Wine grants write access under HKEY_LOCAL_MACHINE
// where Windows would refuse a standard user, so read-only access can only be
// checked on the mask itself.
class RecordingRegistry : public Registry {
public:
    long openKey(RegKey root, const std::string& subKey, std::uint32_t options,
                 std::uint32_t access, RegKey& opened) override {
        accesses.push_back(access);
        const long status = real_.openKey(root, subKey, options, access, opened);
        if (status == kErrorSuccess) open.insert(opened);
        return status;
    }
    long queryValue(RegKey key, const std::string& valueName, std::uint32_t& type,
                    unsigned char* data, std::uint32_t& size) override {
        return real_.queryValue(key, valueName, type, data, size);
    }
    long closeKey(RegKey key) override {
        open.erase(key);
        return real_.closeKey(key);
    }

    std::vector<std::uint32_t> accesses;
    std::set<RegKey> open;

private:
    Win32Registry real_;
};

void setValue(const char* key, const char* name, DWORD type, const std::string& bytes) {
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &handle, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(handle, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(handle);
}

std::string zeroEnded(const std::string& text) {
    return text + '\0';
}

class SysInfoOnWindows : public testing::TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        for (const char* key : {kPathKey, kDirKey, kOwnKey})
            RegDeleteTreeA(HKEY_LOCAL_MACHINE, key);
        record_ = dir_ / "record.txt";
        SetEnvironmentVariableW(L"QUILLO_RECORD_FILE", record_.wstring().c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"QUILLO_RECORD_FILE", nullptr);
        for (const char* key : {kPathKey, kDirKey, kOwnKey})
            RegDeleteTreeA(HKEY_LOCAL_MACHINE, key);
        EXPECT_TRUE(registry_.open.empty()) << registry_.open.size() << " key(s) left open";
        for (const std::uint32_t access : registry_.accesses) EXPECT_EQ(access, 0x20019u);
        TempFolderTest::TearDown();
    }

    Win32TextCodec codec_;
    Win32FileSystem files_;
    Win32Processes processes_;
    RecordingRegistry registry_;
    fakes::FakeWindowSystem windows_;
    fakes::FakeDragSource drags_;
    Platform platform_{codec_, files_, processes_, registry_, windows_, drags_};
    std::filesystem::path record_;
};

TEST_F(SysInfoOnWindows, GetKeyValueReadsTheRealRegistry) {
    struct Case {
        const char* name;
        DWORD type;
        std::string bytes;
        bool read;
        std::u16string text;
    };
    const std::vector<Case> cases = {
        {"with zero", REG_SZ, zeroEnded("C:\\Tools\\msinfo32.exe"), true,
         u"C:\\Tools\\msinfo32.exe"},
        {"GBK", REG_SZ, zeroEnded("C:\\\xB9\xA4\xBE\xDF\\msinfo32.exe"), true,
         u"C:\\工具\\msinfo32.exe"},
        {"number", REG_DWORD, "\xFF\xA0\x02\x01", true, u"16949503"},
        {"empty", REG_SZ, "", true, u""},
        {"expandable", REG_EXPAND_SZ, zeroEnded("%SystemRoot%\\x"), false, u""},
        {"longer than the buffer", REG_SZ, zeroEnded(std::string(1500, 'x')), false, u""},
    };
    for (const Case& c : cases) setValue(kOwnKey, c.name, c.type, c.bytes);
    // The ANSI call would add the zero; the wide one stores the text as given.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kOwnKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    RegSetValueExW(key, L"without zero", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"C:\\Tools"),
                   8 * sizeof(wchar_t));
    RegCloseKey(key);

    const auto read = [&](const std::u16string& keyName, const std::u16string& valueName,
                          std::u16string& text) {
        text = u"stale";
        return GetKeyValue(registry_, codec_, kHkeyLocalMachine, keyName, valueName, text);
    };
    const std::u16string ownKey = decodeUtf8(kOwnKey);
    std::u16string text;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(read(ownKey, decodeUtf8(c.name), text), c.read);
        EXPECT_EQ(text, c.text);
    }
    EXPECT_TRUE(read(ownKey, u"without zero", text));
    EXPECT_EQ(text, u"C:\\Tools");
    EXPECT_FALSE(read(ownKey, u"no such value", text));
    EXPECT_EQ(text, u"");
    EXPECT_FALSE(read(u"SOFTWARE\\Quillo Tests\\No Such Key", u"PATH", text));
    EXPECT_EQ(text, u"");
}

TEST_F(SysInfoOnWindows, StartSysInfoTriesBothLocationsInOrder) {
    const auto helper = testing::besideTests(u"record_start.exe");
    const auto toolDir = dir_ / "Microsoft Shared" / "MSInfo";
    struct Case {
        const char* name;
        std::optional<std::u16string> path;       // location 1
        std::optional<std::u16string> directory;  // location 2
        bool toolInDirectory;
        std::optional<std::u16string> started;  // the command line, or the message
    };
    const std::vector<Case> cases = {
        {"location 1", helper.u16string(), toolDir.u16string(), false, helper.u16string()},
        {"location 2 with the tool", std::nullopt, toolDir.u16string(), true,
         (toolDir / "MSINFO32.EXE").u16string()},
        {"location 2 without the tool", std::nullopt, toolDir.u16string(), false, std::nullopt},
        {"location 1 naming no program", u"C:\\no\\such\\msinfo32.exe", std::nullopt, false,
         std::nullopt},
        {"neither", std::nullopt, std::nullopt, false, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* key : {kPathKey, kDirKey}) RegDeleteTreeA(HKEY_LOCAL_MACHINE, key);
        ASSERT_TRUE(testing::removeOnceReleased(toolDir));
        std::filesystem::remove(record_);
        windows_.messages.clear();
        if (c.path) setValue(kPathKey, "PATH", REG_SZ, zeroEnded(codec_.encodeAnsi(*c.path)));
        if (c.directory) {
            setValue(kDirKey, "MSINFO", REG_SZ, zeroEnded(codec_.encodeAnsi(*c.directory)));
        }
        std::filesystem::create_directories(toolDir);
        if (c.toolInDirectory) std::filesystem::copy_file(helper, toolDir / "MSINFO32.EXE");

        StartSysInfo(platform_);

        if (c.started) {
            EXPECT_TRUE(windows_.messages.empty());
            const auto lines = testing::waitForLines(record_, 1, 10s);
            ASSERT_EQ(lines.size(), 1u);
            const auto fields = testing::splitTabs(lines[0]);
            ASSERT_EQ(fields.size(), 3u);
            EXPECT_EQ(fields[0], "\"" + toUtf8(*c.started) + "\"");
            EXPECT_EQ(fields[1], "1");
        } else {
            ASSERT_EQ(windows_.messages.size(), 1u);
            EXPECT_EQ(windows_.messages[0].title, u"quillo4");
            EXPECT_EQ(windows_.messages[0].text, u"此时系统信息不可用");
            EXPECT_FALSE(std::filesystem::exists(record_));
        }
    }
}

// Handed to CreateProcessW as a bare command line, with no program named, a
// path with spaces is tried prefix by prefix: C:\Program.exe would start in
// the tool's place.
TEST_F(SysInfoOnWindows, TheToolStartsByItsExactPathNotAPrefixOfIt) {
    const auto helper = testing::besideTests(u"record_start.exe");
    const std::filesystem::path toolDir = "C:\\Program Files\\Quillo Test";
    const std::filesystem::path tool = toolDir / "fake sysinfo.exe";
    const std::filesystem::path decoy = "C:\\Program.exe";
    std::filesystem::create_directories(toolDir);
    std::filesystem::copy_file(helper, tool, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::copy_file(helper, decoy, std::filesystem::copy_options::overwrite_existing);
    setValue(kPathKey, "PATH", REG_SZ, zeroEnded(codec_.encodeAnsi(tool.u16string())));

    StartSysInfo(platform_);
    // One CreateProcessW starts one program: the tool, or on a prefix the decoy.
    const auto lines = testing::waitForLines(record_, 1, 10s);
    EXPECT_TRUE(testing::removeOnceReleased(decoy));
    EXPECT_TRUE(testing::removeOnceReleased(toolDir));

    EXPECT_TRUE(windows_.messages.empty());
    ASSERT_EQ(testing::readLines(record_).size(), 1u);
    const auto fields = testing::splitTabs(lines[0]);
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[2], toUtf8(toolDir.u16string())) << "started " << fields[0];
}

}  // namespace
}  // namespace quillo
