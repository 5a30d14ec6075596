#pragma once

#include <QLineEdit>
#include <QPoint>
#include <functional>

namespace quillo {

// One element of the form's Text1 control array: a single-line box that reports
// every mouse movement over it and starts the drag of its selected text itself.
class EntryBox : public QLineEdit {
    Q_OBJECT

public:
    EntryBox(int index, QWidget* parent);

    // Copies the template's size, left edge, colours and settings (but not its
    // hidden state) into a new element of the array.
    static EntryBox* createFrom(const EntryBox& templateBox, int index);

    std::function<void(int index)> onMouseMove;
    // Receives the allowed drop effects (1 copy, 2 move) and may change them.
    std::function<void(int index, int& allowedEffects)> onStartDrag;

    struct DragOffer {
        QString text;
        Qt::DropActions actions;
    };
    // What a drag started now would carry and allow.
    DragOffer dragOffer();

    // Starts the drag of the selected text, as a press and move would.
    // Returns the action the drop target took.
    Qt::DropAction startDrag();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int index_;
    bool leftPressed_ = false;
    QPoint pressPos_;
};

}  // namespace quillo
