#include "platform/wayland/caption_decoration.h"

#include <QtWaylandClient/private/qwaylandshmbackingstore_p.h>
#include <QtWaylandClient/private/qwaylandwindow_p.h>
#include <qpa/qwindowsysteminterface.h>

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QRegion>
#include <QWindow>

#include "platform/caption_frame.h"

namespace quillo {
namespace {

using QtWaylandClient::QWaylandInputDevice;

QRect toQRect(const PixelRect& rect) {
    return QRect(rect.x, rect.y, rect.width, rect.height);
}

// Windows 10's plain caption: white, the title in black, and a close button
// that turns red while pressed.
const QColor kBorderColour(0x80, 0x80, 0x80);
const QColor kCaptionColour(Qt::white);
const QColor kTitleColour(Qt::black);
const QColor kPressedCloseColour(0xe8, 0x11, 0x23);
constexpr int kTitleIndent = 5;
constexpr int kTitlePixelSize = 12;
constexpr qreal kCrossSize = 8;

}  // namespace

QMargins CaptionDecoration::margins(MarginsType type) const {
    if (type == ShadowsOnly) return QMargins();
    using F = CaptionFrame;
    return QMargins(F::kBorder, F::kCaptionHeight, F::kBorder, F::kBorder);
}

void CaptionDecoration::paint(QPaintDevice* device) {
    using F = CaptionFrame;
    const QSize size = waylandWindow()->surfaceSize();
    QPainter painter(device);
    painter.fillRect(QRect(QPoint(), size), kBorderColour);
    const QRect caption(F::kBorder, F::kBorder, size.width() - 2 * F::kBorder,
                        F::kCaptionHeight - F::kBorder);
    painter.fillRect(caption, kCaptionColour);

    const QRect close = toQRect(closeButtonIn(size.width()));
    if (shownPressed_) painter.fillRect(close, kPressedCloseColour);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(shownPressed_ ? kCaptionColour : kTitleColour, 1));
    const QRectF cross(
        QPointF(close.center()) - QPointF(kCrossSize, kCrossSize) / 2 + QPointF(0.5, 0.5),
        QSizeF(kCrossSize, kCrossSize));
    painter.drawLine(cross.topLeft(), cross.bottomRight());
    painter.drawLine(cross.bottomLeft(), cross.topRight());

    QFont font = QGuiApplication::font();
    font.setPixelSize(kTitlePixelSize);
    painter.setFont(font);
    painter.setPen(kTitleColour);
    const QRect title = caption.adjusted(kTitleIndent, 0, -(close.width() + kTitleIndent), 0);
    painter.drawText(
        title, Qt::AlignLeft | Qt::AlignVCenter,
        QFontMetrics(font).elidedText(window()->title(), Qt::ElideRight, title.width()));
}

bool CaptionDecoration::handleMouse(QWaylandInputDevice* inputDevice, const QPointF& local,
                                    const QPointF&, Qt::MouseButtons buttons,
                                    Qt::KeyboardModifiers) {
    const QSize size = waylandWindow()->surfaceSize();
    const FramePart part =
        framePartAt(size.width(), size.height(), qFloor(local.x()), qFloor(local.y()));
    const bool onClose = part == FramePart::CloseButton;
    if (isLeftClicked(buttons)) closing_ = onClose;
    const bool released = isLeftReleased(buttons);
    const bool wasClosing = closing_;
    if (released) closing_ = false;
    setMouseButtons(buttons);
    showPressed(closing_ && onClose);
    if (released && wasClosing && onClose) closeWindow();
    // The content has the pointer, unless a press on the close button holds it.
    if (part == FramePart::Content && !wasClosing) {
#if QT_CONFIG(cursor)
        waylandWindow()->restoreMouseCursor(inputDevice);
#endif
        return false;
    }
#if QT_CONFIG(cursor)
    waylandWindow()->setMouseCursor(inputDevice, QCursor(Qt::ArrowCursor));
#endif
    return true;
}

bool CaptionDecoration::handleTouch(QWaylandInputDevice*, const QPointF& local, const QPointF&,
                                    QEventPoint::State state, Qt::KeyboardModifiers) {
    const QSize size = waylandWindow()->surfaceSize();
    const FramePart part =
        framePartAt(size.width(), size.height(), qFloor(local.x()), qFloor(local.y()));
    if (part == FramePart::Content) return false;
    if (state == QEventPoint::Pressed && part == FramePart::CloseButton) closeWindow();
    return true;
}

void CaptionDecoration::showPressed(bool pressed) {
    if (shownPressed_ == pressed) return;
    shownPressed_ = pressed;
    update();
    // Qt draws the frame again only with the window's content, into a fresh
    // buffer: here the frame alone has changed.
    QtWaylandClient::QWaylandShmBackingStore* store = waylandWindow()->backingStore();
    if (!store) return;
    store->beginPaint(QRegion());
    store->endPaint();
    store->flush(window(), QRegion(), QPoint());
}

void CaptionDecoration::closeWindow() {
    // As a click on the frame's close button elsewhere: the window is asked
    // to close, and its handlers decide.
    QWindowSystemInterface::handleCloseEvent(window());
}

}  // namespace quillo
