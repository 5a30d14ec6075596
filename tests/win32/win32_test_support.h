#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/win32_file_system.h"
#include "support/temp_folder.h"

namespace quillo::testing {

// The test programs are built into one folder: the helper sits beside this one.
inline std::filesystem::path besideTests(const std::u16string& fileName) {
    return std::filesystem::path(Win32FileSystem().programDirectory()) / fileName;
}

inline std::vector<std::string> readLines(const std::filesystem::path& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The lines of a file that another process appends to, once it holds `count`
// of them or the time is up.
inline std::vector<std::string> waitForLines(const std::filesystem::path& path, std::size_t count,
                                             std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    std::vector<std::string> lines = readLines(path);
    while (lines.size() < count && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        lines = readLines(path);
    }
    return lines;
}

// Removes path and all it holds once no process uses it any more: a helper
// that has written its record may not have ended yet, and Windows keeps the
// program file of a running process. True when it is gone within the time.
inline bool removeOnceReleased(const std::filesystem::path& path,
                               std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
        if (!ec && !std::filesystem::exists(path)) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

inline std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

}  // namespace quillo::testing
