// The resources of quillo.exe, checked on a small program built with the same
// resource file (the program itself needs Qt, which this build lacks).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "win32_test_support.h"

namespace quillo {
namespace {

class ProgramResources : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = testing::besideTests(u"resource_probe.exe").wstring();
        module_ = LoadLibraryExW(path_.c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_TRUE(module_);
    }
    void TearDown() override { FreeLibrary(module_); }

    std::string resource(LPCWSTR name, LPCWSTR type) const {
        const HRSRC found = FindResourceW(module_, name, type);
        if (!found) return {};
        const HGLOBAL loaded = LoadResource(module_, found);
        return std::string(static_cast<const char*>(LockResource(loaded)),
                           SizeofResource(module_, found));
    }

    std::wstring path_;
    HMODULE module_ = nullptr;
};

TEST_F(ProgramResources, IconIsOne32By32ImageIn16Colours) {
    const std::string group = resource(L"IDI_ICON1", MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    ASSERT_GE(group.size(), 6u + 14u);
    // GRPICONDIR: reserved, type 1, count; then one 14-byte entry per image.
    EXPECT_EQ(group[4], 1);
    EXPECT_EQ(static_cast<unsigned char>(group[6]), 32);  // width
    EXPECT_EQ(static_cast<unsigned char>(group[7]), 32);  // height
    EXPECT_EQ(static_cast<unsigned char>(group[8]), 16);  // colours
}

TEST_F(ProgramResources, VersionIs4Point0) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path_.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(path_.c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00040000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00040000u);

    wchar_t* text = nullptr;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\080404B0\\ProductVersion",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_EQ(std::wstring(text), L"4.0");
}

TEST_F(ProgramResources, ManifestAsksForNoElevationAndPerMonitorDpi) {
    const std::string manifest = resource(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(manifest.find(">PerMonitorV2<"), std::string::npos);
    // A UTF-8 code page would change how data.txt is decoded.
    EXPECT_EQ(manifest.find("<activeCodePage"), std::string::npos);
}

}  // namespace
}  // namespace quillo
