#include "platform/posix/posix_file_system.h"

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

}  // namespace quillo
