#include "store/line_splitter.h"

#include <string>

#include "base/run_error.h"
#include "base/unicode.h"

namespace quillo {
namespace {

constexpr std::size_t kNone = std::u16string_view::npos;

std::string lineName(std::size_t lineNumber) {
    return "data.txt 第 " + std::to_string(lineNumber) + " 行：";
}

}  // namespace

void LineSplitter::feed(std::u16string_view text) {
    std::size_t pos = 0;
    if (afterCr_ && !text.empty()) {
        afterCr_ = false;
        if (text[0] == u'\n') pos = 1;
    }
    while (pos < text.size()) {
        std::size_t end = findEither(text, pos, u'\r', sign_ == kNone ? u'=' : u'\r');
        if (end != kNone && text[end] == u'=') {
            sign_ = heldLength_ + (end - pos);
            // The count is raised before the store, so the 146th entry
            // would go into a slot the table does not have.
            if (entryCount_ >= kMaxEntries) {
                throw RunError(ErrorNumber::SubscriptOutOfRange,
                               lineName(linesEnded_ + 1) + "最多只能有 " +
                                   std::to_string(kMaxEntries) + " 个条目");
            }
            end = findEither(text, end + 1, u'\r', u'\r');
        }
        if (end == kNone) {
            hold(text.substr(pos));
            return;
        }
        endLine(text.substr(pos, end - pos));
        pos = end + 1;
        if (pos == text.size()) {
            afterCr_ = true;
        } else if (text[pos] == u'\n') {
            ++pos;
        }
    }
}

void LineSplitter::finish() {
    if (heldLength_ > 0) endLine({});
}

// A part of a line that goes on in the next piece, or the last part of one
// that began in an earlier piece: gathered in one buffer, reused from line to
// line, so that the line goes into its slot once, at its exact size (a slot
// grown by appending could end up twice as large as its text).
void LineSplitter::hold(std::u16string_view part) {
    heldLength_ += part.size();
    if (tooLong_) return;
    tooLong_ = heldLength_ > kMaxEntryLength + 1;  // its sign included
    if (tooLong_) {
        held_.clear();
    } else {
        held_ += part;
    }
}

void LineSplitter::endLine(std::u16string_view part) {
    std::u16string_view line = part;
    if (heldLength_ > 0) {
        hold(part);
        line = held_;
    }
    if (sign_ != kNone) {
        // A box lays out its whole text whenever it changes (entry_table.h).
        const std::size_t length = (heldLength_ > 0 ? heldLength_ : part.size()) - 1;
        if (length > kMaxEntryLength) {
            throw RunError(ErrorNumber::OutOfMemory, lineName(linesEnded_ + 1) + "条目长 " +
                                                         std::to_string(length) + " 个字符，最多 " +
                                                         std::to_string(kMaxEntryLength) + " 个");
        }
        Entry& slot = table_[static_cast<std::size_t>(++entryCount_)];
        slot.title.assign(line.substr(0, sign_));
        slot.content.assign(line.substr(sign_ + 1));
    }
    ++linesEnded_;
    sign_ = kNone;
    heldLength_ = 0;
    held_.clear();
    tooLong_ = false;
}

}  // namespace quillo
