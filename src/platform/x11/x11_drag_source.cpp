#include "platform/x11/x11_drag_source.h"

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QGuiApplication>
#include <QMimeData>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "base/unicode.h"
#include "platform/x11/xcb_connection.h"

namespace quillo {
namespace {

using xcb::atom;
using xcb::connectionOf;
using xcb::ReplyPtr;

// As long as Qt keeps a drop to answer the target it dropped on.
constexpr std::chrono::minutes kAnsweredAfterDrop{10};

constexpr char kTextPlainUtf8[] = "text/plain;charset=utf-8";

// The text, offered by the MIME name of UTF-8 text as well, which newer
// programs ask for. Its bytes are made only if Qt itself is asked for them: a
// drag starts at once, whatever its length.
class Utf8TextMimeData : public QMimeData {
public:
    QStringList formats() const override {
        return QMimeData::formats() << QLatin1String(kTextPlainUtf8);
    }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override {
        if (mimeType == QLatin1String(kTextPlainUtf8)) return text().toUtf8();
        return QMimeData::retrieveData(mimeType, type);
    }
};

}  // namespace

// The native event filter that answers XdndSelection's requests for the text.
class XdndSelectionAnswers : public QAbstractNativeEventFilter {
public:
    explicit XdndSelectionAnswers(xcb_connection_t* c);

    // A drag of `text` is about to take XdndSelection.
    void offer(const QString& text);
    // The drag has ended, dropped or not.
    void ended() { endedAt_ = std::chrono::steady_clock::now(); }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    struct Reply {
        xcb_atom_t type;
        QByteArray bytes;
    };
    // A reply too large for one request, going out in chunks as the requestor
    // deletes each (ICCCM's INCR).
    struct Transfer {
        xcb_window_t window;
        xcb_atom_t property;
        Reply reply;
        qsizetype sent;
        std::uint32_t eventMask;  // what we had selected on the window before
    };

    bool offering();
    bool answers(xcb_atom_t target) const;
    Reply replyFor(xcb_atom_t target);
    void answer(const xcb_selection_request_event_t& request);
    void put(xcb_window_t window, xcb_atom_t property, Reply reply);
    void propertyDeleted(const xcb_property_notify_event_t& event);
    void finish(std::vector<Transfer>::iterator transfer);

    xcb_connection_t* c_;
    struct {
        xcb_atom_t selection, targets, utf8String, text, textPlain, textPlainUtf8, incr;
    } atoms_;
    qsizetype chunk_;
    bool offering_ = false;
    QString text_;
    QByteArray utf8_;  // made at the first request for it
    std::optional<std::chrono::steady_clock::time_point> endedAt_;
    std::vector<Transfer> transfers_;
};

XdndSelectionAnswers::XdndSelectionAnswers(xcb_connection_t* c)
    : c_(c), atoms_{atom(c, "XdndSelection"), atom(c, "TARGETS"),    atom(c, "UTF8_STRING"),
                    atom(c, "TEXT"),          atom(c, "text/plain"), atom(c, kTextPlainUtf8),
                    atom(c, "INCR")} {
    // What Qt's clipboard puts in one request, well below any server's limit.
    const auto words = std::min<std::uint32_t>(xcb_get_maximum_request_length(c), 65536);
    chunk_ = static_cast<qsizetype>(words) * 4 - 100;
}

void XdndSelectionAnswers::offer(const QString& text) {
    offering_ = true;
    text_ = text;
    utf8_.clear();
    endedAt_.reset();
    // A requestor that stopped reading gets no more; a window that is gone
    // takes what we selected on it along.
    transfers_.clear();
}

bool XdndSelectionAnswers::offering() {
    if (offering_ && endedAt_ &&
        std::chrono::steady_clock::now() - *endedAt_ > kAnsweredAfterDrop) {
        offering_ = false;
        text_.clear();
        utf8_.clear();
        transfers_.clear();
    }
    return offering_;
}

bool XdndSelectionAnswers::answers(xcb_atom_t target) const {
    return target == atoms_.targets || target == atoms_.utf8String || target == atoms_.text ||
           target == atoms_.textPlainUtf8 || target == atoms_.textPlain ||
           target == XCB_ATOM_STRING;
}

XdndSelectionAnswers::Reply XdndSelectionAnswers::replyFor(xcb_atom_t target) {
    if (target == XCB_ATOM_STRING) {
        const std::u16string_view units(reinterpret_cast<const char16_t*>(text_.utf16()),
                                        static_cast<std::size_t>(text_.size()));
        return {XCB_ATOM_STRING, QByteArray::fromStdString(toLatin1(units))};
    }
    if (utf8_.isEmpty()) utf8_ = text_.toUtf8();
    // TEXT lets the owner choose the encoding, which the reply's type names:
    // UTF-8 loses nothing. Plain text without a charset is UTF-8, as Qt gives it.
    return {target == atoms_.text ? atoms_.utf8String : target, utf8_};
}

bool XdndSelectionAnswers::nativeEventFilter(const QByteArray& eventType, void* message,
                                             qintptr* /*result*/) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & ~0x80) {
        case XCB_SELECTION_REQUEST: {
            const auto& request = *reinterpret_cast<const xcb_selection_request_event_t*>(event);
            if (request.selection != atoms_.selection || !answers(request.target) || !offering()) {
                return false;  // Qt answers, or refuses, as before
            }
            answer(request);
            return true;
        }
        case XCB_PROPERTY_NOTIFY: {
            const auto& notify = *reinterpret_cast<const xcb_property_notify_event_t*>(event);
            if (notify.state == XCB_PROPERTY_DELETE && !transfers_.empty()) propertyDeleted(notify);
            return false;  // Qt's clipboard may be sending on the same window
        }
        default:
            return false;
    }
}

void XdndSelectionAnswers::answer(const xcb_selection_request_event_t& request) {
    // Clients older than ICCCM 2 name no property: the target is then the property.
    const xcb_atom_t property =
        request.property == XCB_ATOM_NONE ? request.target : request.property;
    if (request.target == atoms_.targets) {
        const std::array<xcb_atom_t, 6> targets{atoms_.targets,       atoms_.utf8String,
                                                atoms_.textPlainUtf8, atoms_.textPlain,
                                                XCB_ATOM_STRING,      atoms_.text};
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_ATOM,
                            32, targets.size(), targets.data());
    } else {
        put(request.requestor, property, replyFor(request.target));
    }
    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = property;
    xcb_send_event(c_, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&notify));
    xcb_flush(c_);
}

void XdndSelectionAnswers::put(xcb_window_t window, xcb_atom_t property, Reply reply) {
    // A new request on a property ends what was still going out through it.
    if (const auto same = std::find_if(
            transfers_.begin(), transfers_.end(),
            [&](const Transfer& t) { return t.window == window && t.property == property; });
        same != transfers_.end()) {
        finish(same);
    }
    if (reply.bytes.size() <= chunk_) {
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, property, reply.type, 8,
                            static_cast<std::uint32_t>(reply.bytes.size()),
                            reply.bytes.constData());
        return;
    }
    // The requestor deletes the property to ask for each chunk: we must hear
    // it, and afterwards select on its window again only what we did before.
    const auto sameWindow = [&](const Transfer& t) { return t.window == window; };
    std::uint32_t mask = XCB_EVENT_MASK_NO_EVENT;
    if (const auto other = std::find_if(transfers_.begin(), transfers_.end(), sameWindow);
        other != transfers_.end()) {
        mask = other->eventMask;
    } else {
        const ReplyPtr<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, window), nullptr));
        if (attributes) mask = attributes->your_event_mask;
        const std::uint32_t listening = mask | XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(c_, window, XCB_CW_EVENT_MASK, &listening);
    }
    const auto size = static_cast<std::uint32_t>(reply.bytes.size());
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, property, atoms_.incr, 32, 1, &size);
    transfers_.push_back({window, property, std::move(reply), 0, mask});
}

void XdndSelectionAnswers::propertyDeleted(const xcb_property_notify_event_t& event) {
    const auto transfer = std::find_if(
        transfers_.begin(), transfers_.end(),
        [&](const Transfer& t) { return t.window == event.window && t.property == event.atom; });
    if (transfer == transfers_.end()) return;
    const qsizetype length = std::min(chunk_, transfer->reply.bytes.size() - transfer->sent);
    // A chunk of no bytes ends the transfer.
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, transfer->window, transfer->property,
                        transfer->reply.type, 8, static_cast<std::uint32_t>(length),
                        transfer->reply.bytes.constData() + transfer->sent);
    transfer->sent += length;
    if (length == 0) finish(transfer);
    xcb_flush(c_);
}

void XdndSelectionAnswers::finish(std::vector<Transfer>::iterator transfer) {
    const xcb_window_t window = transfer->window;
    const std::uint32_t mask = transfer->eventMask;
    transfers_.erase(transfer);
    const bool windowDone = std::none_of(transfers_.begin(), transfers_.end(),
                                         [&](const Transfer& t) { return t.window == window; });
    if (windowDone) xcb_change_window_attributes(c_, window, XCB_CW_EVENT_MASK, &mask);
}

X11DragSource::X11DragSource() = default;

X11DragSource::~X11DragSource() {
    if (answers_ && QGuiApplication::instance()) {
        QGuiApplication::instance()->removeNativeEventFilter(answers_.get());
    }
}

int X11DragSource::dragText(NativeWindow window, std::u16string_view text, int allowedEffects) {
    // Made at the first drag, not at start-up: its atoms cost round trips to
    // the X server.
    if (!answers_) {
        xcb_connection_t* c = connectionOf();
        if (!c) return QtDragSource::dragText(window, text, allowedEffects);
        answers_ = std::make_unique<XdndSelectionAnswers>(c);
        QGuiApplication::instance()->installNativeEventFilter(answers_.get());
    }
    const QString whole = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    auto* data = new Utf8TextMimeData;
    data->setText(whole);
    answers_->offer(whole);
    const int effect = exec(window, data, allowedEffects);
    answers_->ended();
    return effect;
}

}  // namespace quillo
