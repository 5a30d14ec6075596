#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace quillo {

struct Entry {
    std::u16string title;    // shown in the box at rest
    std::u16string content;  // revealed on hover and dragged out
};

inline constexpr int kTableSlots = 146;
// Slot 0 is never filled, so the table holds one entry fewer than it has slots.
inline constexpr int kMaxEntries = kTableSlots - 1;

// The most characters (UTF-16 units) a title and its content may hold together.
// A box lays out its whole text each time it changes: a million characters take
// a fraction of a second, fifty million take seconds and gigabytes.
inline constexpr std::size_t kMaxEntryLength = 1024 * 1024;

using EntryTable = std::array<Entry, kTableSlots>;

}  // namespace quillo
