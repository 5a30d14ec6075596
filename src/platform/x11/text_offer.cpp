#include "platform/x11/text_offer.h"

#include <algorithm>

#include "base/unicode.h"

namespace quillo::x11 {
namespace {

// Whether STRING, which is Latin-1, carries every character of `text`.
bool latin1Carries(std::u16string_view text) {
    return std::all_of(text.begin(), text.end(), [](char16_t unit) { return unit <= 0xFF; });
}

}  // namespace

TextOffer::TextOffer(PropertyServer& server, const TextAtoms& atoms, std::size_t chunk)
    : server_(server), atoms_(atoms), transfers_(server, atoms.incr, chunk) {}

void TextOffer::offer(std::u16string_view text) {
    transfers_.forget();
    text_ = text;
    latin1_ = latin1Carries(text);
    utf8_.reset();
}

std::vector<Atom> TextOffer::targets() const {
    // Without STRING goes plain text/plain too: Qt's drag offers the one only
    // with the other, and GTK 3 reads text/plain as Latin-1.
    if (!latin1_) return {atoms_.targets, atoms_.utf8String, atoms_.textPlainUtf8, atoms_.text};
    return {atoms_.targets,   atoms_.utf8String, atoms_.textPlainUtf8,
            atoms_.textPlain, atoms_.string,     atoms_.text};
}

bool TextOffer::answers(Atom target) const {
    return target == atoms_.targets || target == atoms_.utf8String ||
           target == atoms_.textPlainUtf8 || target == atoms_.textPlain ||
           target == atoms_.string || target == atoms_.text;
}

Atom TextOffer::answer(Window requestor, Atom target, Atom property) {
    if (!answers(target)) return kNone;
    if (property == kNone) property = target;
    if (target == atoms_.targets) {
        const std::vector<Atom> list = targets();
        server_.changeProperty32(requestor, property, atoms_.atom, list);
    } else if (target == atoms_.string) {
        if (!latin1_) return kNone;
        transfers_.put(requestor, property, target,
                       std::make_shared<const std::string>(toLatin1(text_)));
    } else {
        if (!utf8_) utf8_ = std::make_shared<const std::string>(toUtf8(text_));
        // TEXT lets the owner choose the encoding, which the reply's type
        // names: UTF-8 loses nothing. Plain text without a charset is UTF-8,
        // as Qt gives it.
        transfers_.put(requestor, property, target == atoms_.text ? atoms_.utf8String : target,
                       utf8_);
    }
    return property;
}

}  // namespace quillo::x11
