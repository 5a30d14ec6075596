#include "platform/x11/incr_transfers.h"

#include <algorithm>
#include <limits>

namespace quillo::x11 {

IncrTransfers::IncrTransfers(PropertyServer& server, Atom incr, std::size_t chunk)
    : server_(server), incr_(incr), chunk_(std::max<std::size_t>(chunk, 1)) {}

IncrTransfers::Iterator IncrTransfers::find(Window window, Atom property) {
    return std::find_if(transfers_.begin(), transfers_.end(), [&](const Transfer& t) {
        return t.window == window && t.property == property;
    });
}

void IncrTransfers::put(Window window, Atom property, Atom type,
                        std::shared_ptr<const std::string> bytes) {
    if (const auto same = find(window, property); same != transfers_.end()) finish(same);
    if (bytes->size() <= chunk_) {
        server_.changeProperty(window, property, type, *bytes);
        return;
    }
    const auto other = std::find_if(transfers_.begin(), transfers_.end(),
                                    [&](const Transfer& t) { return t.window == window; });
    std::uint32_t mask = 0;
    if (other != transfers_.end()) {
        mask = other->eventMask;
    } else {
        mask = server_.eventMask(window);
        server_.setEventMask(window, mask | kPropertyChangeMask);
    }
    // ICCCM takes INCR's one item as a lower bound of the size.
    const auto size = static_cast<std::uint32_t>(
        std::min<std::size_t>(bytes->size(), std::numeric_limits<std::uint32_t>::max()));
    server_.changeProperty32(window, property, incr_, {&size, 1});
    transfers_.push_back({window, property, type, std::move(bytes), 0, mask});
}

void IncrTransfers::propertyDeleted(Window window, Atom property) {
    const auto transfer = find(window, property);
    if (transfer == transfers_.end()) return;
    const std::string_view rest = std::string_view(*transfer->bytes).substr(transfer->sent);
    const std::string_view chunk = rest.substr(0, chunk_);
    server_.changeProperty(window, property, transfer->type, chunk);
    transfer->sent += chunk.size();
    if (chunk.empty()) finish(transfer);
}

void IncrTransfers::finish(Iterator transfer) {
    const Window window = transfer->window;
    const std::uint32_t mask = transfer->eventMask;
    transfers_.erase(transfer);
    if (std::none_of(transfers_.begin(), transfers_.end(),
                     [&](const Transfer& t) { return t.window == window; })) {
        server_.setEventMask(window, mask);
    }
}

}  // namespace quillo::x11
