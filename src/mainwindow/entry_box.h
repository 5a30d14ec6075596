#pragma once

#include <QPoint>
#include <optional>

#include "mainwindow/long_text_line_edit.h"
#include "platform/drag_source.h"

namespace quillo {

// One element of the form's Text1 control array: a box that reports every
// mouse movement over it, and on a press and move starts the drag of its
// selected text, whole, through the platform's drag source.
class EntryBox : public LongTextLineEdit {
    Q_OBJECT

public:
    EntryBox(int index, DragSource& drags, QWidget* parent);

    // A new element of the array showing `text`, with the template's size,
    // left edge, colours and settings (but not its hidden state).
    static EntryBox* createFrom(const EntryBox& templateBox, int index, const QString& text);

signals:
    // The pointer moved over the box, with or without a button held.
    void MouseMove(int index);
    // A drag is about to start: the receiver decides the allowed drop effects
    // (kDropEffectCopy, kDropEffectMove), connected directly, as within one
    // thread. Without one, the drag offers nothing.
    void OLEStartDrag(int index, int& allowedEffects);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void startDrag();

    int index_;
    DragSource& drags_;
    std::optional<QPoint> leftPressedAt_;
};

}  // namespace quillo
