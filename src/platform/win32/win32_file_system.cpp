#include "platform/win32/win32_file_system.h"

#include <windows.h>

namespace quillo {

bool Win32FileSystem::isNormalFile(const std::u16string& path) const {
    const std::wstring wide(path.begin(), path.end());
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::u16string Win32FileSystem::programDirectory() const {
    // Paths may be longer than MAX_PATH; the call says so by filling the buffer.
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return {};
        if (length < name.size()) {
            name.resize(length);
            break;
        }
        name.resize(name.size() * 2);
    }
    return directoryOf(std::u16string(name.begin(), name.end()));
}

std::u16string directoryOf(std::u16string_view fileName) {
    const std::size_t separator = fileName.find_last_of(u"\\/");
    if (separator == std::u16string_view::npos) return {};
    std::u16string directory(fileName.substr(0, separator));
    if (directory.size() == 2 && directory[1] == u':') directory += u'\\';
    return directory;
}

}  // namespace quillo
