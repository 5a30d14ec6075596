#pragma once

#include <string>

#include "platform/platform.h"
#include "platform/registry.h"
#include "platform/text_codec.h"

namespace quillo {

// Where the system information tool is recorded, tried in this order: the
// tool's full path, then the directory that holds it.
inline constexpr char16_t kSysInfoPathKey[] = u"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr char16_t kSysInfoPathValue[] = u"PATH";
inline constexpr char16_t kSysInfoDirKey[] = u"SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr char16_t kSysInfoDirValue[] = u"MSINFO";
inline constexpr char16_t kSysInfoExe[] = u"\\MSINFO32.EXE";
inline constexpr char16_t kSysInfoUnavailable[] = u"此时系统信息不可用";

// The most a value may hold, in bytes; a longer one is not read.
inline constexpr std::uint32_t kKeyValueBufferSize = 1024;

// Reads the value SubKeyRef of the key KeyName below KeyRoot into KeyVal:
// a string as text (decoded from the ANSI code page), a 32-bit number as its
// decimal text. True when the value was read; otherwise false with KeyVal
// empty, whether the key or value is missing, too long or of another type.
bool GetKeyValue(Registry& registry, const TextCodec& codec, RegKey KeyRoot,
                 const std::u16string& KeyName, const std::u16string& SubKeyRef,
                 std::u16string& KeyVal);

// Starts the system information tool found through the registry. Every failure
// (no entry, no tool, a start that fails) ends in one message box instead.
void StartSysInfo(Platform& platform);

}  // namespace quillo
