#pragma once

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/run_error.h"
#include "platform/drag_source.h"
#include "platform/file_system.h"
#include "platform/platform.h"
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

    void placeTopmost(NativeWindow window, PixelRect outer) override {
        placements.push_back({window, outer});
        events.push_back("place");
    }
    void setOuterHeight(NativeWindow, int height) override { outerHeights.push_back(height); }
    void prepareDialog(NativeWindow dialog) override { preparedDialogs.push_back(dialog); }
    void showMessage(const std::u16string& title, const std::u16string& text) override {
        messages.push_back({title, text});
        events.push_back("message");
    }
    void endProgram(int exitCode) override {
        exitCodes.push_back(exitCode);
        events.push_back("end");
    }

    std::vector<std::pair<NativeWindow, PixelRect>> placements;
    std::vector<int> outerHeights;
    std::vector<NativeWindow> preparedDialogs;
    std::vector<Message> messages;
    std::vector<int> exitCodes;
    std::vector<std::string> events;  // "place", "message", "end", in order
};

// Records each drag instead of running it; the drop target takes a copy.
class FakeDragSource : public DragSource {
public:
    struct Drag {
        NativeWindow window;
        std::u16string text;
        int allowedEffects;
    };

    int dragText(NativeWindow window, std::u16string_view text, int allowedEffects) override {
        drags.push_back({window, std::u16string(text), allowedEffects});
        return kDropEffectCopy;
    }

    std::vector<Drag> drags;
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

// Files in memory: the bytes of each file that reads, the result of each
// that does not, and the normal files that lookups find. Nothing on disk.
class FakeFileSystem : public FileSystem {
public:
    bool isNormalFile(const std::u16string& path) const override {
        lookups.push_back(path);
        return normalFiles.count(path) > 0;
    }
    std::u16string programDirectory() const override { return directory; }
    ReadResult openRegularFile(const std::filesystem::path& path,
                               std::unique_ptr<OpenFile>& file) const override {
        if (const auto failure = failures.find(path); failure != failures.end()) {
            return failure->second;
        }
        const auto bytes = contents.find(path);
        if (bytes == contents.end()) return ReadResult::NotFound;
        file = std::make_unique<MemoryFile>(bytes->second);
        return ReadResult::Read;
    }

    std::map<std::filesystem::path, std::string> contents;
    std::map<std::filesystem::path, ReadResult> failures;
    std::set<std::u16string> normalFiles;
    std::u16string directory = u"C:\\Program Files\\Quillo";
    mutable std::vector<std::u16string> lookups;

private:
    class MemoryFile : public OpenFile {
    public:
        explicit MemoryFile(std::string_view bytes) : bytes_(bytes) {}
        std::uintmax_t sizeHint() const override { return bytes_.size(); }
        long long readSome(char* buffer, std::size_t size) override {
            const std::size_t n = std::min(size, bytes_.size());
            std::memcpy(buffer, bytes_.data(), n);
            bytes_.remove_prefix(n);
            return static_cast<long long>(n);
        }

    private:
        std::string_view bytes_;
    };
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

// The system as the forms see it, all fakes but the code page (936, for the
// GBK cases), which is the real one.
struct FakePlatform {
    std::unique_ptr<TextCodec> codec = makeSystemServices().codec;
    FakeFileSystem files;
    FakeProcesses processes;
    FakeRegistry registry;
    FakeWindowSystem windows;
    FakeDragSource drags;
    Platform platform{*codec, files, processes, registry, windows, drags};
};

}  // namespace quillo::fakes
