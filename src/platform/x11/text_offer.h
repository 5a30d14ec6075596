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
// offers: TARGETS, and the text in UTF-8 by each name of it. STRING is offered
// only when Latin-1 carries the whole text, so that a requestor that prefers it
// (GTK 3, and through KWin's bridge its programs on Wayland) takes a UTF-8
// target instead; a request for it that comes all the same gets nothing, never
// a text of '?'.
class TextOffer {
public:
    TextOffer(PropertyServer& server, const TextAtoms& atoms, std::size_t chunk);

    // Offers `text`, which stays as it is until the next offer; what was still
    // going out of the last one stops.
    void offer(std::u16string_view text);
    bool offersString() const { return latin1_; }
    // Whether a request for `target` is ours to answer, with the text or with
    // nothing.
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
    bool latin1_ = true;
    std::shared_ptr<const std::string> utf8_;  // made at the first request for it
};

}  // namespace quillo::x11
