#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "store/entry_table.h"

namespace quillo {

// The data file's one line rule, for text of any encoding once decoded: a
// line ends at CR LF or at a lone CR (a lone LF stays in the text); a line
// with an '=' is an entry, its title before the first '=' and its content
// after it, stored in the next slot from 1 upward; any other line is passed
// over, however long. The text arrives in pieces cut anywhere, a CR LF
// included.
class LineSplitter {
public:
    LineSplitter(EntryTable& table, std::int16_t& entryCount)
        : table_(table), entryCount_(entryCount) {}

    // Throws RunError 9 at the entry line after the 145th, and RunError 7
    // at an entry line longer than a title and a content may be together,
    // each naming the line.
    void feed(std::u16string_view text);
    // The last line, which needs no line end.
    void finish();

private:
    void hold(std::u16string_view part);
    void endLine(std::u16string_view part);

    EntryTable& table_;
    std::int16_t& entryCount_;
    std::size_t linesEnded_ = 0;
    bool afterCr_ = false;  // an LF that starts the next piece ends no line
    // The line at hand: where its first '=' stands, and, when it began in an
    // earlier piece, its length and its units. A line too long to be an
    // entry is only measured.
    std::size_t sign_ = std::u16string_view::npos;
    std::size_t heldLength_ = 0;
    std::u16string held_;
    bool tooLong_ = false;
};

}  // namespace quillo
