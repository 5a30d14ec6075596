#pragma once

#include <cstdint>
#include <string>

namespace quillo {

// A registry key handle as a number, as the Win32 calls take it.
using RegKey = std::uintptr_t;

inline constexpr RegKey kHkeyLocalMachine = 0x80000002;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegDword = 4;

// The three registry calls the program needs, with Win32 status codes.
// Names are in the ANSI code page.
class Registry {
public:
    virtual ~Registry() = default;
    virtual long openKey(RegKey root, const std::string& subKey, std::uint32_t options,
                         std::uint32_t access, RegKey& opened) = 0;
    // On entry size is the buffer's size in bytes; on success it is the value's size.
    virtual long queryValue(RegKey key, const std::string& valueName, std::uint32_t& type,
                            unsigned char* data, std::uint32_t& size) = 0;
    virtual long closeKey(RegKey key) = 0;
};

}  // namespace quillo
