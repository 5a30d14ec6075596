#pragma once

#include <QClipboard>
#include <QLineEdit>
#include <QPoint>
#include <QStringView>

#include "platform/drag_source.h"

namespace quillo {

// One element of the form's Text1 control array: a single-line box that reports
// every mouse movement over it and starts the drag of its selected text itself,
// through the platform's drag source.
//
// A revealed content may be a million characters long, and QLineEdit lays out
// all of its text whenever the text changes and again when it paints. So the
// box holds only the beginning of a long content, as far as can show and a
// width more, and keeps a view of the whole beside it: what leaves the box (a
// drag, Ctrl+C, the menu's Copy, the X11 selection) takes the whole content,
// and before anything can edit the text or move the cursor out of sight the
// box takes in the whole content, as it would have held all along.
class EntryBox : public QLineEdit {
    Q_OBJECT

public:
    EntryBox(int index, DragSource& drags, QWidget* parent, const QString& text = {});

    // A new element of the array showing `text`, with the template's size,
    // left edge, colours and settings (but not its hidden state). A box holds
    // a text of any length.
    static EntryBox* createFrom(const EntryBox& templateBox, int index, const QString& text);

    // Shows the title, as at start-up and on Restore.
    void showTitle(const QString& title);

    // Shows the content, all of it selected with the cursor at the start. The
    // view must stay valid while the box shows it; a box that already shows
    // this content, untouched, only selects all of it again.
    void reveal(QStringView content);

    // The selected part of what the box shows, whole.
    QString selectedContent() const;

    // Starts the drag of the selected text, as a press and move would.
    // Returns the drop effect the target took.
    int startDrag();

signals:
    // The pointer moved over the box, with or without a button held.
    void MouseMove(int index);
    // A drag is about to start: a receiver may change the allowed drop
    // effects (1 copy, 2 move), connected directly, as within one thread.
    void OLEStartDrag(int index, int& allowedEffects);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Puts text in the box; `width` bounds how far it can scroll the text.
    void setShownText(const QString& text, int width);
    // From holding the beginning of the content to holding all of it, with
    // the same selection and cursor.
    void holdWholeContent();
    // Puts the whole selected content into the clipboard or, where there is
    // one, the primary selection; nothing when nothing is selected.
    void copyContent(QClipboard::Mode mode) const;
    // The selected part of what the box shows, whole, within `shown` (its
    // text) or the content it stands for.
    QStringView selectedIn(const QString& shown) const;
    void allowLongText();
    // Selects from start to end with the cursor at either; with start -1,
    // selects nothing and puts the cursor there.
    void select(qsizetype start, qsizetype end, qsizetype cursor);
    int widthOf(QStringView text) const;
    // The shortest beginning of `content` wider than `width`, and its width;
    // the whole content when none is, or when its layout might reorder it.
    QString beginningWiderThan(QStringView content, int width, int& textWidth);

    int index_;
    DragSource& drags_;
    bool leftPressed_ = false;
    QPoint pressPos_;

    QStringView content_;          // what the box shows, while it does
    bool showsContent_ = false;    // the text is content_ or its beginning, untouched
    bool holdsBeginning_ = false;  // the text is only the beginning of content_
    bool settingText_ = false;
    // The table never changes: whether a content may be reordered is found once.
    QStringView checked_;
    bool checkedMayReorder_ = false;
    // QLineEdit scrolls its text at each paint, from where it was scrolled,
    // never further than the text is wide: these bound that offset in pixels.
    static constexpr int kUnknownWidth = -1;
    int shownWidth_ = kUnknownWidth;  // the text now in the box
    int scrollBound_ = 0;             // the text at the last paint
    QString paintedText_;             // the same, while its width is unknown
};

}  // namespace quillo
