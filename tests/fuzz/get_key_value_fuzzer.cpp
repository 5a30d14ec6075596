// GetKeyValue against a registry that answers anything: any status, any type,
// any reported size and any bytes. Whatever it says, the reader stays inside
// its buffer, closes what it opened, and returns text only on success.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "dialogs/sys_info.h"
#include "platform/posix/iconv_codec.h"

namespace {

using namespace quillo;

void check(bool condition) {
    if (!condition) std::abort();
}

class FuzzedRegistry : public Registry {
public:
    explicit FuzzedRegistry(FuzzedDataProvider& input) : input_(input) {}

    long openKey(RegKey, const std::string&, std::uint32_t, std::uint32_t access,
                 RegKey& opened) override {
        check(access == kKeyRead);
        const long status = pickStatus();
        if (status == kErrorSuccess) {
            opened = input_.ConsumeIntegral<RegKey>();
            openedKeys.push_back(opened);
        }
        return status;
    }

    long queryValue(RegKey key, const std::string&, std::uint32_t& type, unsigned char* data,
                    std::uint32_t& size) override {
        check(std::count(openedKeys.begin(), openedKeys.end(), key) == 1);
        const std::uint32_t room = size;
        type = input_.ConsumeBool() ? input_.PickValueInArray({kRegSz, kRegExpandSz, kRegDword})
                                    : input_.ConsumeIntegral<std::uint32_t>();
        // A registry writes no more than the caller's buffer holds, but may
        // report any size: the value's true size, or nonsense.
        const std::string bytes = input_.ConsumeRandomLengthString(2 * room);
        std::memcpy(data, bytes.data(), std::min<std::size_t>(bytes.size(), room));
        size = input_.ConsumeBool() ? static_cast<std::uint32_t>(bytes.size())
                                    : input_.ConsumeIntegral<std::uint32_t>();
        return pickStatus();
    }

    long closeKey(RegKey key) override {
        closedKeys.push_back(key);
        return pickStatus();
    }

    std::vector<RegKey> openedKeys;
    std::vector<RegKey> closedKeys;

private:
    long pickStatus() {
        return input_.ConsumeBool() ? kErrorSuccess
                                    : input_.PickValueInArray<long>({2, 5, 6, 234, 1010});
    }

    FuzzedDataProvider& input_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const IconvCodec codec;
    FuzzedDataProvider input(data, size);
    FuzzedRegistry registry(input);

    std::u16string KeyVal = u"left over from before";
    const bool read =
        GetKeyValue(registry, codec, kHkeyLocalMachine, kSysInfoPathKey, kSysInfoPathValue, KeyVal);

    check(registry.closedKeys == registry.openedKeys);
    if (!read) check(KeyVal.empty());
    // Code page 936 gives at most one character per byte of the buffer.
    check(KeyVal.size() <= kKeyValueBufferSize);
    return 0;
}
