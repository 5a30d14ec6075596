#include "platform/x11/x11_drag_source.h"

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QGuiApplication>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "platform/qt/utf8_text_mime_data.h"
#include "platform/x11/text_offer.h"
#include "platform/x11/xcb_connection.h"

namespace quillo {
namespace {

using xcb::atom;
using xcb::connectionOf;
using xcb::ReplyPtr;

// As long as Qt keeps a drop to answer the target it dropped on.
constexpr std::chrono::minutes kAnsweredAfterDrop{10};

constexpr char kTextPlain[] = "text/plain";

// Qt's X11 drag offers "text/plain" as text/plain, UTF8_STRING, STRING and
// TEXT: a text that STRING cannot carry goes by the other names only.
QStringList formatsFor(bool offersString) {
    if (offersString) return {QLatin1String(kTextPlain), QLatin1String(kTextPlainUtf8)};
    return {QStringLiteral("UTF8_STRING"), QLatin1String(kTextPlainUtf8), QStringLiteral("TEXT")};
}

// The X server, as the answers see it.
class XcbPropertyServer : public x11::PropertyServer {
public:
    explicit XcbPropertyServer(xcb_connection_t* c) : c_(c) {}

    void changeProperty(x11::Window window, x11::Atom property, x11::Atom type,
                        std::string_view bytes) override {
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, property, type, 8,
                            static_cast<std::uint32_t>(bytes.size()), bytes.data());
    }
    void changeProperty32(x11::Window window, x11::Atom property, x11::Atom type,
                          std::span<const std::uint32_t> items) override {
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, property, type, 32,
                            static_cast<std::uint32_t>(items.size()), items.data());
    }
    std::uint32_t eventMask(x11::Window window) override {
        const ReplyPtr<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, window), nullptr));
        return attributes ? attributes->your_event_mask : std::uint32_t{XCB_EVENT_MASK_NO_EVENT};
    }
    void setEventMask(x11::Window window, std::uint32_t mask) override {
        xcb_change_window_attributes(c_, window, XCB_CW_EVENT_MASK, &mask);
    }

private:
    xcb_connection_t* c_;
};

// What Qt's clipboard puts in one request, well below any server's limit.
std::size_t chunkFor(xcb_connection_t* c) {
    const auto words = std::min<std::uint32_t>(xcb_get_maximum_request_length(c), 65536);
    return std::size_t{words} * 4 - 100;
}

}  // namespace

// The native event filter that answers XdndSelection's requests for the text.
class XdndSelectionAnswers : public QAbstractNativeEventFilter {
public:
    explicit XdndSelectionAnswers(xcb_connection_t* c)
        : c_(c),
          server_(c),
          selection_(atom(c, "XdndSelection")),
          offer_(
              server_,
              {XCB_ATOM_ATOM, atom(c, "TARGETS"), atom(c, "UTF8_STRING"), atom(c, kTextPlainUtf8),
               atom(c, kTextPlain), XCB_ATOM_STRING, atom(c, "TEXT"), atom(c, "INCR")},
              chunkFor(c)) {}

    // A drag of `text` is about to take XdndSelection; returns whether it
    // offers STRING.
    bool offer(const QString& text) {
        text_ = text;
        offer_.offer({reinterpret_cast<const char16_t*>(text_.utf16()),
                      static_cast<std::size_t>(text_.size())});
        offering_ = true;
        endedAt_.reset();
        return offer_.offersString();
    }
    // The drag has ended, dropped or not.
    void ended() { endedAt_ = std::chrono::steady_clock::now(); }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    bool offering();
    void answer(const xcb_selection_request_event_t& request);

    xcb_connection_t* c_;
    XcbPropertyServer server_;
    xcb_atom_t selection_;
    x11::TextOffer offer_;
    QString text_;  // what offer_ reads
    bool offering_ = false;
    std::optional<std::chrono::steady_clock::time_point> endedAt_;
};

bool XdndSelectionAnswers::offering() {
    if (offering_ && endedAt_ &&
        std::chrono::steady_clock::now() - *endedAt_ > kAnsweredAfterDrop) {
        offering_ = false;
        offer_.offer({});
        text_.clear();
    }
    return offering_;
}

bool XdndSelectionAnswers::nativeEventFilter(const QByteArray& eventType, void* message,
                                             qintptr* /*result*/) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & ~0x80) {
        case XCB_SELECTION_REQUEST: {
            const auto& request = *reinterpret_cast<const xcb_selection_request_event_t*>(event);
            if (request.selection != selection_ || !offer_.answers(request.target) || !offering()) {
                return false;  // Qt answers, or refuses, as before
            }
            answer(request);
            return true;
        }
        case XCB_PROPERTY_NOTIFY: {
            const auto& notify = *reinterpret_cast<const xcb_property_notify_event_t*>(event);
            if (notify.state == XCB_PROPERTY_DELETE) {
                offer_.propertyDeleted(notify.window, notify.atom);
                xcb_flush(c_);
            }
            return false;  // Qt's clipboard may be sending on the same window
        }
        default:
            return false;
    }
}

void XdndSelectionAnswers::answer(const xcb_selection_request_event_t& request) {
    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = offer_.answer(request.requestor, request.target, request.property);
    xcb_send_event(c_, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&notify));
    xcb_flush(c_);
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
    auto* data = new Utf8TextMimeData(formatsFor(answers_->offer(whole)));
    data->setText(whole);
    const int effect = exec(window, data, allowedEffects);
    answers_->ended();
    return effect;
}

}  // namespace quillo
