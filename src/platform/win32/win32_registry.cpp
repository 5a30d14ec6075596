#include "platform/win32/win32_registry.h"

#include <windows.h>

#include <cstdint>

namespace quillo {

void* toHkey(RegKey key) {
    constexpr RegKey kFirstRoot = 0x80000000;
    constexpr RegKey kLastRoot = 0x800000FF;
    if (key >= kFirstRoot && key <= kLastRoot) {
        const auto signExtended =
            static_cast<std::intptr_t>(static_cast<std::int32_t>(static_cast<std::uint32_t>(key)));
        return reinterpret_cast<void*>(signExtended);
    }
    return reinterpret_cast<void*>(key);
}

long Win32Registry::openKey(RegKey root, const std::string& subKey, std::uint32_t options,
                            std::uint32_t access, RegKey& opened) {
    HKEY key = nullptr;
    const LONG status =
        RegOpenKeyExA(static_cast<HKEY>(toHkey(root)), subKey.c_str(), options, access, &key);
    if (status == ERROR_SUCCESS) opened = reinterpret_cast<RegKey>(key);
    return status;
}

long Win32Registry::queryValue(RegKey key, const std::string& valueName, std::uint32_t& type,
                               unsigned char* data, std::uint32_t& size) {
    DWORD valueType = 0;
    DWORD valueSize = size;
    const LONG status = RegQueryValueExA(static_cast<HKEY>(toHkey(key)), valueName.c_str(), nullptr,
                                         &valueType, data, &valueSize);
    type = valueType;
    size = valueSize;
    return status;
}

long Win32Registry::closeKey(RegKey key) {
    return RegCloseKey(static_cast<HKEY>(toHkey(key)));
}

}  // namespace quillo
