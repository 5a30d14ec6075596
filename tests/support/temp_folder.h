#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace quillo::testing {

// Each test gets a new empty folder, removed again with all it holds.
class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("quillo_") + info->test_suite_name() + "_" + info->name();
        std::replace(name.begin(), name.end(), '/', '_');  // parameterised tests
        // Made anew, never reused: the tests of another build may be running too.
        std::random_device random;
        do {
            dir_ = std::filesystem::temp_directory_path() / (name + "_" + std::to_string(random()));
        } while (!std::filesystem::create_directory(dir_));
    }

    void TearDown() override {
        // What a test took the permissions from gets them back, or it could not
        // go (on Windows a file without them is read-only, and stays).
        namespace fs = std::filesystem;
        std::error_code ignored;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ignored);
        for (auto it = fs::recursive_directory_iterator(dir_, ignored);
             it != fs::recursive_directory_iterator(); it.increment(ignored)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
        fs::remove_all(dir_, ignored);
    }

    std::filesystem::path write(const std::filesystem::path& name, const std::string& bytes) {
        const auto path = dir_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    std::filesystem::path dir_;
};

}  // namespace quillo::testing
