#include "platform/posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "base/unicode.h"
#include "platform/read_to_end.h"

namespace quillo {
namespace {

std::filesystem::path toPath(const std::u16string& text) {
    const std::string utf8 = toUtf8(text);
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::u16string fromPath(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return decodeUtf8(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

bool PosixFileSystem::isNormalFile(const std::u16string& path) const {
    std::error_code ec;
    return std::filesystem::is_regular_file(toPath(path), ec);
}

std::u16string PosixFileSystem::programDirectory() const {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return fromPath(std::filesystem::current_path(ec));
    return fromPath(exe.parent_path());
}

namespace {

// Opens a regular file and hands `read` the size it claims and a function
// that reads from it as readToEnd wants.
template <typename Read>
ReadResult withRegularFile(const std::filesystem::path& path, Read read) {
    // Without O_NONBLOCK the open of a named pipe waits for a writer for ever.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0) {
        return errno == ENOENT || errno == ENOTDIR ? ReadResult::NotFound : ReadResult::NoAccess;
    }
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) return ReadResult::NoAccess;
    if (!S_ISREG(status.st_mode)) return ReadResult::NotRegular;

    return read(static_cast<std::uintmax_t>(std::max<off_t>(status.st_size, 0)),
                [&](char* buffer, std::size_t size) -> long long {
                    for (;;) {
                        const ssize_t got = ::read(file.get(), buffer, size);
                        if (got >= 0 || errno != EINTR) return got;
                    }
                });
}

}  // namespace

ReadResult PosixFileSystem::readRegularFile(const std::filesystem::path& path,
                                            std::uintmax_t maxBytes, std::string& bytes) const {
    bytes.clear();
    return withRegularFile(path, [&](std::uintmax_t size, auto readSome) {
        return readToEnd(size, maxBytes, bytes, readSome);
    });
}

ReadResult PosixFileSystem::readRegularFileInPieces(
    const std::filesystem::path& path, std::uintmax_t maxBytes,
    const std::function<void(std::string_view piece)>& consume) const {
    return withRegularFile(path, [&](std::uintmax_t size, auto readSome) {
        return readInPieces(size, maxBytes, readSome, consume);
    });
}

}  // namespace quillo
