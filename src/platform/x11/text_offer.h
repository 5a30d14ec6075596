#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/x11/incr_transfers.h"

namespace quillo::x11 {

// The atoms a text is offered and asked for by.
struct TextAtoms {
    Atom atom;  // the type of a list of atoms
    Atom targets;
    Atom utf8String;
    Atom textPlainUtf8;  // text/plain;charset=utf-8
    Atom textPlain;
    Atom string;  // Latin-1
    Atom text;    // the owner chooses the encoding
    Atom incr;
};

// The answers of a selection's owner to every request for the one text it
// offers: TARGETS, the text in UTF-8 by each name of it, and as STRING in
// Latin-1, a '?' for each character it lacks.
class TextOffer {
public:
    TextOffer(PropertyServer& server, const TextAtoms& atoms, std::size_t chunk);

    // Offers `text`, which stays as it is until the next offer; what was still
    // going out of the last one stops.
    void offer(std::u16string_view text);
    // Whether a request for `target` is ours to answer.
    bool answers(Atom target) const;
    // Answers `requestor`'s request for `target` into `property` (or into a
    // property named as the target, for a requestor that names none, as those
    // older than ICCCM 2 do). Returns the property for the SelectionNotify:
    // kNone when the request gets nothing.
    Atom answer(Window requestor, Atom target, Atom property);
    // Someone deleted `property` on `window`.
    void propertyDeleted(Window window, Atom property) {
        transfers_.propertyDeleted(window, property);
    }

private:
    std::vector<Atom> targets() const;

    PropertyServer& server_;
    TextAtoms atoms_;
    IncrTransfers transfers_;
    std::u16string_view text_;
    std::shared_ptr<const std::string> utf8_;  // made at the first request for it
};

}  // namespace quillo::x11
