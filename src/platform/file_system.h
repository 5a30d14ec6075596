#pragma once

#include <string>

namespace quillo {

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // True for an existing normal file; false for a directory or nothing.
    virtual bool isNormalFile(const std::u16string& path) const = 0;
    // The directory holding the program's executable, with no trailing separator
    // except at a root ("C:\", "/").
    virtual std::u16string programDirectory() const = 0;
};

}  // namespace quillo
