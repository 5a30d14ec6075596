#include "dialogs/sys_info.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "forms/fatal_error_guard.h"

namespace quillo {
namespace {

// Owns an open key, so no return or error path leaves it open.
class OpenKey {
public:
    OpenKey(Registry& registry, RegKey key) : registry_(registry), key_(key) {}
    ~OpenKey() { registry_.closeKey(key_); }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    RegKey get() const { return key_; }

private:
    Registry& registry_;
    RegKey key_;
};

std::u16string decimalOf(const std::array<unsigned char, kKeyValueBufferSize>& data) {
    // The buffer starts zeroed, so a value shorter than four bytes reads as if
    // padded with zeros.
    const std::uint32_t number =
        static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
        static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24;
    const std::string digits = std::to_string(number);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace

bool GetKeyValue(Registry& registry, const TextCodec& codec, RegKey KeyRoot,
                 const std::u16string& KeyName, const std::u16string& SubKeyRef,
                 std::u16string& KeyVal) {
    KeyVal.clear();

    // Read access only: a standard user may not open these keys for writing.
    RegKey opened = 0;
    if (registry.openKey(KeyRoot, codec.encodeAnsi(KeyName), 0, kKeyRead, opened) !=
        kErrorSuccess) {
        return false;
    }
    const OpenKey key(registry, opened);

    std::array<unsigned char, kKeyValueBufferSize> buffer{};
    std::uint32_t type = 0;
    std::uint32_t size = kKeyValueBufferSize;
    if (registry.queryValue(key.get(), codec.encodeAnsi(SubKeyRef), type, buffer.data(), size) !=
        kErrorSuccess) {
        return false;
    }
    if (type != kRegSz && type != kRegDword) return false;

    // The size counts bytes, the terminating zero included when it was stored;
    // cutting before decoding keeps double-byte characters whole.
    std::size_t length = std::min<std::size_t>(size, buffer.size());
    if (length == 0) return true;
    if (type == kRegDword) {
        KeyVal = decimalOf(buffer);
        return true;
    }
    if (buffer[length - 1] == 0) --length;
    KeyVal =
        codec.decodeAnsi(std::string_view(reinterpret_cast<const char*>(buffer.data()), length));
    return true;
}

namespace {

// True when the tool was started.
bool startFromRegistry(Platform& platform) {
    std::u16string SysInfoPath;
    if (!GetKeyValue(platform.registry, platform.codec, kHkeyLocalMachine, kSysInfoPathKey,
                     kSysInfoPathValue, SysInfoPath)) {
        if (!GetKeyValue(platform.registry, platform.codec, kHkeyLocalMachine, kSysInfoDirKey,
                         kSysInfoDirValue, SysInfoPath)) {
            return false;
        }
        SysInfoPath += kSysInfoExe;
        if (!platform.files.isNormalFile(SysInfoPath)) return false;
    }
    platform.processes.startProgram(SysInfoPath, kShowNormal);
    return true;
}

}  // namespace

void StartSysInfo(Platform& platform) {
    bool started = false;
    try {
        started = startFromRegistry(platform);
    } catch (...) {
        // The button only offers a convenience: nothing that goes wrong here,
        // a start that fails included, may end the program.
    }
    if (!started) platform.windows.showMessage(kAppTitle, kSysInfoUnavailable);
}

}  // namespace quillo
