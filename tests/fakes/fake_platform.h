#pragma once

#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "base/run_error.h"
#include "platform/file_system.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/system_services.h"
#include "platform/window_system.h"

namespace quillo::fakes {

// Records message boxes and the end of the program instead of doing them.
class FakeWindowSystem : public WindowSystem {
public:
    struct Message {
        std::u16string title;
        std::u16string text;
    };

    void placeTopmost(NativeWindow window, ScreenRect outer) override {
        placements.push_back({window, outer});
        events.push_back("place");
    }
    void setOuterHeight(NativeWindow, int height) override { outerHeights.push_back(height); }
    void showMessage(const std::u16string& title, const std::u16string& text) override {
        messages.push_back({title, text});
        events.push_back("message");
    }
    void endProgram(int exitCode) override {
        exitCodes.push_back(exitCode);
        events.push_back("end");
    }

    std::vector<std::pair<NativeWindow, ScreenRect>> placements;
    std::vector<int> outerHeights;
    std::vector<Message> messages;
    std::vector<int> exitCodes;
    std::vector<std::string> events;  // "place", "message", "end", in order
};

// Records what it is asked to start; fails it when told to.
class FakeProcesses : public Processes {
public:
    struct Started {
        std::u16string target;  // the program, or the directory whose data file is edited
        int windowStyle;
        bool exactProgram = false;
    };

    void editDataFile(const std::u16string& directory) override { record({directory, 0}); }
    void startProgram(const std::u16string& program, int windowStyle) override {
        record({program, windowStyle, true});
    }
    void record(const Started& start) {
        attempts.push_back(start);
        if (fail) throw RunError(ErrorNumber::FileNotFound, "start failed");
        started.push_back(start);
    }

    bool fail = false;
    std::vector<Started> attempts;
    std::vector<Started> started;
};

// Looks up made-up files and program folders; reads real files through the
// system's own file system, as the forms read data.txt from disk.
class FakeFileSystem : public FileSystem {
public:
    bool isNormalFile(const std::u16string& path) const override {
        lookups.push_back(path);
        return files.count(path) > 0;
    }
    std::u16string programDirectory() const override { return directory; }
    ReadResult readRegularFile(const std::filesystem::path& path, std::uintmax_t maxBytes,
                               std::string& bytes) const override {
        return real->readRegularFile(path, maxBytes, bytes);
    }
    ReadResult readRegularFileInPieces(
        const std::filesystem::path& path, std::uintmax_t maxBytes,
        const std::function<void(std::string_view piece)>& consume) const override {
        return real->readRegularFileInPieces(path, maxBytes, consume);
    }

    std::set<std::u16string> files;
    std::u16string directory = u"C:\\Program Files\\Quillo";
    mutable std::vector<std::u16string> lookups;
    std::unique_ptr<FileSystem> real = makeSystemServices().files;
};

// A registry of keys (by root and path) holding typed values. It records every
// open with its access mask and checks that each opened key is closed.
class FakeRegistry : public Registry {
public:
    struct Value {
        std::uint32_t type;
        std::string bytes;
    };
    struct Open {
        RegKey root;
        std::string subKey;
        std::uint32_t options;
        std::uint32_t access;
    };

    void set(const std::string& subKey, const std::string& name, std::uint32_t type,
             std::string bytes) {
        keys[subKey][name] = {type, std::move(bytes)};
    }

    long openKey(RegKey root, const std::string& subKey, std::uint32_t options,
                 std::uint32_t access, RegKey& opened) override {
        opens.push_back({root, subKey, options, access});
        if (root != kHkeyLocalMachine || !keys.count(subKey)) return kErrorFileNotFound;
        opened = nextHandle++;
        openKeys[opened] = subKey;
        return kErrorSuccess;
    }
    long queryValue(RegKey key, const std::string& valueName, std::uint32_t& type,
                    unsigned char* data, std::uint32_t& size) override {
        queries.push_back(valueName);
        const auto open = openKeys.find(key);
        if (open == openKeys.end()) return 6;  // ERROR_INVALID_HANDLE
        const auto& values = keys[open->second];
        const auto value = values.find(valueName);
        if (value == values.end()) return kErrorFileNotFound;
        type = value->second.type;
        const auto needed = static_cast<std::uint32_t>(value->second.bytes.size());
        if (needed > size) {
            size = needed;
            return 234;  // ERROR_MORE_DATA
        }
        std::memcpy(data, value->second.bytes.data(), needed);
        size = needed;
        return kErrorSuccess;
    }
    long closeKey(RegKey key) override {
        closes.push_back(key);
        return openKeys.erase(key) ? kErrorSuccess : 6;
    }

    std::map<std::string, std::map<std::string, Value>> keys;
    std::map<RegKey, std::string> openKeys;  // opened and not yet closed
    std::vector<Open> opens;
    std::vector<std::string> queries;
    std::vector<RegKey> closes;
    RegKey nextHandle = 0x1000;
};

}  // namespace quillo::fakes
