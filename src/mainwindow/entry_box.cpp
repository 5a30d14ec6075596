#include "mainwindow/entry_box.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>

namespace quillo {

namespace {

constexpr int kEffectCopy = 1;
constexpr int kEffectMove = 2;

// The drop actions a drag offers for the allowed-effects word.
Qt::DropActions dropActionsFor(int allowedEffects) {
    Qt::DropActions actions;
    if (allowedEffects & kEffectCopy) actions |= Qt::CopyAction;
    if (allowedEffects & kEffectMove) actions |= Qt::MoveAction;
    return actions;
}

}  // namespace

EntryBox::EntryBox(int index, QWidget* parent) : QLineEdit(parent), index_(index) {
    setMouseTracking(true);
    setAcceptDrops(false);
    setDragEnabled(false);
}

EntryBox* EntryBox::createFrom(const EntryBox& templateBox, int index) {
    auto* box = new EntryBox(index, templateBox.parentWidget());
    box->setGeometry(templateBox.geometry());
    box->setPalette(templateBox.palette());
    box->setAutoFillBackground(templateBox.autoFillBackground());
    box->setFont(templateBox.font());
    box->setFrame(templateBox.hasFrame());
    box->setTextMargins(templateBox.textMargins());
    box->setMaxLength(templateBox.maxLength());
    box->setReadOnly(templateBox.isReadOnly());
    box->setFocusPolicy(templateBox.focusPolicy());
    return box;
}

EntryBox::DragOffer EntryBox::dragOffer() {
    int allowedEffects = kEffectCopy | kEffectMove;
    if (onStartDrag) onStartDrag(index_, allowedEffects);
    return {selectedText(), dropActionsFor(allowedEffects)};
}

Qt::DropAction EntryBox::startDrag() {
    const DragOffer offer = dragOffer();
    if (!offer.actions) return Qt::IgnoreAction;

    auto* data = new QMimeData;
    data->setText(offer.text);
    // On the heap, and left to Qt to delete: under X11 exec() returns at the
    // drop, and a target in another process fetches the text only after that.
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    return drag->exec(offer.actions, Qt::CopyAction);
}

void EntryBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        leftPressed_ = true;
        pressPos_ = event->position().toPoint();
    }
    QLineEdit::mousePressEvent(event);
}

void EntryBox::mouseMoveEvent(QMouseEvent* event) {
    if (onMouseMove) onMouseMove(index_);
    if (!(event->buttons() & Qt::LeftButton) || !leftPressed_) {
        QLineEdit::mouseMoveEvent(event);
        return;
    }
    // With the button held the box neither extends its selection nor moves text:
    // beyond the drag distance the whole content, just selected again, goes out.
    if ((event->position().toPoint() - pressPos_).manhattanLength() >=
        QApplication::startDragDistance()) {
        leftPressed_ = false;
        startDrag();
    }
}

void EntryBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) leftPressed_ = false;
    QLineEdit::mouseReleaseEvent(event);
}

}  // namespace quillo
