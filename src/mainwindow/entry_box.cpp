#include "mainwindow/entry_box.h"

#include <QApplication>
#include <QMouseEvent>

namespace quillo {

EntryBox::EntryBox(int index, DragSource& drags, QWidget* parent)
    : LongTextLineEdit(parent), index_(index), drags_(drags) {
    setMouseTracking(true);
}

EntryBox* EntryBox::createFrom(const EntryBox& templateBox, int index, const QString& text) {
    auto* box = new EntryBox(index, templateBox.drags_, templateBox.parentWidget());
    box->setGeometry(templateBox.geometry());
    box->setPalette(templateBox.palette());
    // A font the template takes from the window, a new box takes from there too.
    if (templateBox.testAttribute(Qt::WA_SetFont)) box->setFont(templateBox.font());
    box->setAutoFillBackground(templateBox.autoFillBackground());
    box->setFrame(templateBox.hasFrame());
    box->setTextMargins(templateBox.textMargins());
    box->setReadOnly(templateBox.isReadOnly());
    box->setFocusPolicy(templateBox.focusPolicy());
    // Once the box is made: the move of the cursor makes the accessibility
    // interface, which within the constructor would be one for an unfinished
    // class, made again when the box shows (17 K instructions a box).
    box->setWholeText(text);
    return box;
}

void EntryBox::startDrag() {
    int allowedEffects = kDropEffectNone;
    emit OLEStartDrag(index_, allowedEffects);
    // A view, not a copy: the drag source copies what it keeps.
    const QString shown = text();
    const QStringView selected = selectedWholeIn(shown);
    drags_.dragText(window()->winId(),
                    {reinterpret_cast<const char16_t*>(selected.utf16()),
                     static_cast<std::size_t>(selected.size())},
                    allowedEffects);
}

void EntryBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) leftPressedAt_ = event->position().toPoint();
    LongTextLineEdit::mousePressEvent(event);
}

void EntryBox::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMove(index_);
    if (!(event->buttons() & Qt::LeftButton) || !leftPressedAt_) {
        LongTextLineEdit::mouseMoveEvent(event);
        return;
    }
    // With the button held the box neither extends its selection nor moves text:
    // beyond the drag distance the whole content, just selected again, goes out.
    if ((event->position().toPoint() - *leftPressedAt_).manhattanLength() >=
        QApplication::startDragDistance()) {
        leftPressedAt_.reset();
        startDrag();
    }
}

void EntryBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) leftPressedAt_.reset();
    LongTextLineEdit::mouseReleaseEvent(event);
}

}  // namespace quillo
