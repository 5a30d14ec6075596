#include "platform/win32/win32_registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace quillo {
namespace {

constexpr char kTestKey[] = "SOFTWARE\\Quillo Tests\\Registry";

// Writes values with the Win32 calls themselves, so the code under test only
// ever reads.
class Win32RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTestKey);
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key_, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        RegCloseKey(key_);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTestKey);
    }
    void set(const char* name, DWORD type, const std::string& bytes) {
        ASSERT_EQ(RegSetValueExA(key_, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                 static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
    }

    // The value's bytes as the registry interface reads them into 1024 bytes.
    static std::string query(Registry& registry, RegKey key, const char* name,
                             std::uint32_t& type) {
        std::array<unsigned char, 1024> buffer{};
        std::uint32_t size = buffer.size();
        EXPECT_EQ(registry.queryValue(key, name, type, buffer.data(), size), kErrorSuccess);
        return std::string(reinterpret_cast<const char*>(buffer.data()),
                           std::min<std::size_t>(size, buffer.size()));
    }

    HKEY key_ = nullptr;
};

TEST_F(Win32RegistryTest, ReadsValuesAsStored) {
    struct Case {
        const char* name;
        DWORD type;
        std::string stored;
        std::string read;
    };
    const std::string withZero("C:\\Tools\\msinfo32.exe\0", 22);
    const std::string gbk("C:\\\xB9\xA4\xBE\xDF\0", 8);  // C:\工具
    const std::string expandable("%SystemRoot%\\x\0", 15);
    const std::vector<Case> cases = {
        {"with zero", REG_SZ, withZero, withZero},
        {"GBK text", REG_SZ, gbk, gbk},
        {"number", REG_DWORD, "\xFF\xA0\x02\x01", "\xFF\xA0\x02\x01"},
        {"expandable", REG_EXPAND_SZ, expandable, expandable},
        {"empty", REG_SZ, "", ""},
    };
    for (const Case& c : cases) set(c.name, c.type, c.stored);

    Win32Registry registry;
    RegKey key = 0;
    ASSERT_EQ(registry.openKey(kHkeyLocalMachine, kTestKey, 0, kKeyRead, key), kErrorSuccess);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::uint32_t type = 0;
        EXPECT_EQ(query(registry, key, c.name, type), c.read);
        EXPECT_EQ(type, c.type);
    }
    EXPECT_EQ(registry.closeKey(key), kErrorSuccess);
}

TEST_F(Win32RegistryTest, AStringStoredWithoutItsZero) {
    // RegSetValueExA would add the zero; the wide call stores the text as given.
    const std::wstring text = L"C:\\Tools";
    ASSERT_EQ(
        RegSetValueExW(key_, L"without zero", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                       static_cast<DWORD>(text.size() * sizeof(wchar_t))),
        ERROR_SUCCESS);
    Win32Registry registry;
    RegKey key = 0;
    ASSERT_EQ(registry.openKey(kHkeyLocalMachine, kTestKey, 0, kKeyRead, key), kErrorSuccess);
    std::uint32_t type = 0;
    const std::string read = query(registry, key, "without zero", type);
    // The ANSI call adds a zero when the buffer has room, and Wine counts it in
    // the size: a reader must take the text whole either way.
    EXPECT_TRUE(read == "C:\\Tools" || read == std::string("C:\\Tools\0", 9)) << read;
    EXPECT_EQ(registry.closeKey(key), kErrorSuccess);
}

TEST_F(Win32RegistryTest, ReportsWhatIsMissingOrTooLong) {
    set("long", REG_SZ, std::string(1500, 'x') + '\0');
    Win32Registry registry;
    RegKey key = 0;
    EXPECT_EQ(registry.openKey(kHkeyLocalMachine, "SOFTWARE\\Quillo Tests\\No Such Key", 0,
                               kKeyRead, key),
              kErrorFileNotFound);

    ASSERT_EQ(registry.openKey(kHkeyLocalMachine, kTestKey, 0, kKeyRead, key), kErrorSuccess);
    std::array<unsigned char, 1024> buffer{};
    std::uint32_t type = 0;
    std::uint32_t size = buffer.size();
    EXPECT_EQ(registry.queryValue(key, "no such value", type, buffer.data(), size),
              kErrorFileNotFound);

    size = buffer.size();
    EXPECT_EQ(registry.queryValue(key, "long", type, buffer.data(), size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 1501u);
    EXPECT_EQ(registry.closeKey(key), kErrorSuccess);
}

TEST(Win32Registry, PredefinedRootsAreSignExtended) {
    EXPECT_EQ(toHkey(kHkeyLocalMachine), static_cast<void*>(HKEY_LOCAL_MACHINE));
    EXPECT_EQ(toHkey(0x80000001), static_cast<void*>(HKEY_CURRENT_USER));
    const RegKey handle = 0x12345678;  // any opened key passes as is
    EXPECT_EQ(toHkey(handle), reinterpret_cast<void*>(handle));
}

}  // namespace
}  // namespace quillo
