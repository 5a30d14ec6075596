#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <utility>

namespace quillo {
namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

}  // namespace

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

namespace {

class Win32File : public OpenFile {
public:
    Win32File(UniqueHandle handle, std::uintmax_t size) : handle_(std::move(handle)), size_(size) {}

    std::uintmax_t sizeHint() const override { return size_; }
    long long readSome(char* buffer, std::size_t size) override {
        DWORD got = 0;
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        return ReadFile(handle_.get(), buffer, chunk, &got, nullptr) ? got : -1;
    }

private:
    UniqueHandle handle_;
    std::uintmax_t size_;
};

}  // namespace

ReadResult Win32FileSystem::openRegularFile(const std::filesystem::path& path,
                                            std::unique_ptr<OpenFile>& file) const {
    // Others may go on reading and writing the file, as an editor does. A
    // pipe or a device opens without waiting, and a folder opens too (backup
    // semantics) so that it is told apart; what was opened is checked before
    // anything is read.
    const HANDLE opened = CreateFileW(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                   ? ReadResult::NotFound
                   : ReadResult::NoAccess;
    }
    UniqueHandle handle(opened);
    if (GetFileType(opened) != FILE_TYPE_DISK) return ReadResult::NotRegular;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(opened, &info)) return ReadResult::NoAccess;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return ReadResult::NotRegular;

    const std::uintmax_t size = (std::uintmax_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    file = std::make_unique<Win32File>(std::move(handle), size);
    return ReadResult::Read;
}

}  // namespace quillo
