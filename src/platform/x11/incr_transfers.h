#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The X11 selection replies, free of Qt and of libxcb: they reach the X server
// through PropertyServer, which the drag's glue gives them and a test fakes.
namespace quillo::x11 {

// The protocol's own numbers, as libxcb has them too.
using Atom = std::uint32_t;
using Window = std::uint32_t;
constexpr Atom kNone = 0;
constexpr std::uint32_t kPropertyChangeMask = 1U << 22;

// What the owner of a selection asks of the X server to answer requests.
class PropertyServer {
public:
    virtual ~PropertyServer() = default;
    // Replaces `property` on `window` with items of 8 bits, or of 32.
    virtual void changeProperty(Window window, Atom property, Atom type,
                                std::string_view bytes) = 0;
    virtual void changeProperty32(Window window, Atom property, Atom type,
                                  std::span<const std::uint32_t> items) = 0;
    // The events that we (not other clients) select on `window`.
    virtual std::uint32_t eventMask(Window window) = 0;
    virtual void setEventMask(Window window, std::uint32_t mask) = 0;
};

// Replies put into the requestors' properties: one that a property change
// cannot carry goes in chunks (ICCCM's INCR), each when the requestor has
// deleted the last. We hear a delete only while we select PropertyChange on
// the requestor's window, and afterwards select there again only what we did
// before, whatever number of transfers went through it meanwhile.
class IncrTransfers {
public:
    // `chunk` is the most bytes one property change carries.
    IncrTransfers(PropertyServer& server, Atom incr, std::size_t chunk);

    // Puts `bytes` of `type` into `property` on `window`. A transfer still
    // going out through that property ends first: its requestor asks anew.
    void put(Window window, Atom property, Atom type, std::shared_ptr<const std::string> bytes);
    // Someone deleted `property` on `window`: the next chunk goes if a
    // transfer waits for it, and after the last, one of no bytes ends it.
    void propertyDeleted(Window window, Atom property);
    // Forgets every transfer without a word to the server: a requestor that
    // stopped reading gets no more, and a window that is gone took what we
    // selected on it along.
    void forget() { transfers_.clear(); }

private:
    struct Transfer {
        Window window;
        Atom property;
        Atom type;
        std::shared_ptr<const std::string> bytes;
        std::size_t sent;
        std::uint32_t eventMask;  // what we selected on the window before
    };
    using Iterator = std::vector<Transfer>::iterator;

    Iterator find(Window window, Atom property);
    void finish(Iterator transfer);

    PropertyServer& server_;
    Atom incr_;
    std::size_t chunk_;
    std::vector<Transfer> transfers_;
};

}  // namespace quillo::x11
