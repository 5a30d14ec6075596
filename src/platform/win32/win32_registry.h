#pragma once

#include "platform/registry.h"

namespace quillo {

// The registry through advapi32's ANSI calls.
class Win32Registry : public Registry {
public:
    long openKey(RegKey root, const std::string& subKey, std::uint32_t options,
                 std::uint32_t access, RegKey& opened) override;
    long queryValue(RegKey key, const std::string& valueName, std::uint32_t& type,
                    unsigned char* data, std::uint32_t& size) override;
    long closeKey(RegKey key) override;
};

// The HKEY for a key number. The predefined roots are 32-bit values that
// Windows sign-extends in a 64-bit process (HKEY_LOCAL_MACHINE is
// 0xFFFFFFFF80000002 there); the number 0x80000002 stands for the same key.
void* toHkey(RegKey key);

}  // namespace quillo
