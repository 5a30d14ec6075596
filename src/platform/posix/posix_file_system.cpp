#include "platform/posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "base/unicode.h"

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

class PosixFile : public OpenFile {
public:
    PosixFile(int fd, std::uintmax_t size) : fd_(fd), size_(size) {}
    ~PosixFile() override { ::close(fd_); }
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    std::uintmax_t sizeHint() const override { return size_; }
    long long readSome(char* buffer, std::size_t size) override {
        for (;;) {
            const ssize_t got = ::read(fd_, buffer, size);
            if (got >= 0 || errno != EINTR) return got;
        }
    }

private:
    int fd_;
    std::uintmax_t size_;
};

}  // namespace

ReadResult PosixFileSystem::openRegularFile(const std::filesystem::path& path,
                                            std::unique_ptr<OpenFile>& file) const {
    // Without O_NONBLOCK the open of a named pipe waits for a writer for ever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT || errno == ENOTDIR ? ReadResult::NotFound : ReadResult::NoAccess;
    }
    struct stat status {};
    const bool statted = ::fstat(fd, &status) == 0;
    auto opened = std::make_unique<PosixFile>(
        fd, static_cast<std::uintmax_t>(std::max<off_t>(status.st_size, 0)));
    if (!statted) return ReadResult::NoAccess;
    if (!S_ISREG(status.st_mode)) return ReadResult::NotRegular;
    file = std::move(opened);
    return ReadResult::Read;
}

}  // namespace quillo
