#pragma once

#include "platform/registry.h"

namespace quillo {

// This system has no registry: every key is missing.
class NoRegistry : public Registry {
public:
    long openKey(RegKey, const std::string&, std::uint32_t, std::uint32_t, RegKey&) override {
        return kErrorFileNotFound;
    }
    long queryValue(RegKey, const std::string&, std::uint32_t&, unsigned char*,
                    std::uint32_t&) override {
        return kErrorFileNotFound;
    }
    long closeKey(RegKey) override { return kErrorSuccess; }
};

}  // namespace quillo
