#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace quillo {
namespace {

struct Case {
    const char* name;
    std::uintmax_t claimed;  // the size the file says it has
    std::string content;     // what reading it gives
    bool fails;              // a read fails after the content
    ReadResult result;
};

// A file that gives a few thousand bytes a read, as a pipe-like source may.
class Trickle : public OpenFile {
public:
    explicit Trickle(const Case& c) : case_(c) {}
    std::uintmax_t sizeHint() const override { return case_.claimed; }
    long long readSome(char* buffer, std::size_t size) override {
        const std::size_t n = std::min<std::size_t>({size, case_.content.size() - offset_, 7000});
        if (n == 0 && case_.fails) return -1;
        std::memcpy(buffer, case_.content.data() + offset_, n);
        offset_ += n;
        return static_cast<long long>(n);
    }

private:
    const Case& case_;
    std::size_t offset_ = 0;
};

TEST(ReadToEnd, TheCapCountsWhatIsReadNotWhatTheFileClaims) {
    const std::string big(300 * 1024, 'x');  // past the first growth of the buffer
    const std::vector<Case> cases = {
        {"size as claimed", 5, "a=b\r\n", false, ReadResult::Read},
        {"empty", 0, "", false, ReadResult::Read},
        {"says 0, as files under /proc do", 0, big, false, ReadResult::Read},
        {"grows while read", 10, big, false, ReadResult::Read},
        {"exactly the cap", 0, std::string(400 * 1024, 'y'), false, ReadResult::Read},
        {"says 0 but holds more than the cap", 0, big + big, false, ReadResult::TooLarge},
        {"claims more than the cap", 500 * 1024, "", false, ReadResult::TooLarge},
        {"a read fails", 5, "a=b", true, ReadResult::NoAccess},
    };
    constexpr std::uintmax_t kCap = 400 * 1024;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Trickle file(c);
        std::string bytes = "left over";
        const ReadResult result = readToEnd(file, kCap, bytes);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(bytes, c.result == ReadResult::Read ? c.content : "");
    }
}

}  // namespace
}  // namespace quillo
