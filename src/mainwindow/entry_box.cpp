#include "mainwindow/entry_box.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QMenu>
#include <QMouseEvent>
#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

#include "base/unicode.h"

namespace quillo {

namespace {

// Widths of text in pixels bound how far QLineEdit may have scrolled a box's
// text. Each is capped at kMaxWidth, far wider than any line QLineEdit can lay
// out (it keeps its own offsets in an int), so the sum of two stays an int.
constexpr int kMaxWidth = INT_MAX / 4;

int pixelWidth(qreal width) {
    return static_cast<int>(std::min<qreal>(std::ceil(width) + 2, kMaxWidth));
}

// The text as QLineEdit lays it out: control characters and line and
// paragraph separators show as spaces.
QString asLaidOut(QStringView text) {
    QString shown = text.toString();
    for (QChar& c : shown) {
        const char16_t unit = c.unicode();
        if ((unit < 0x20 && unit != u'\t') || unit == 0x2028 || unit == 0x2029 || unit == 0xFFFC) {
            c = u' ';
        }
    }
    return shown;
}

bool isModifierOnly(int key) {
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Meta ||
           key == Qt::Key_Alt || key == Qt::Key_AltGr;
}

}  // namespace

EntryBox::EntryBox(int index, DragSource& drags, QWidget* parent, const QString& text)
    : QLineEdit(text, parent), index_(index), drags_(drags) {
    setMouseTracking(true);
    setAcceptDrops(false);
    setDragEnabled(false);
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (settingText_) return;
        showsContent_ = holdsBeginning_ = false;
        shownWidth_ = kUnknownWidth;
    });
}

void EntryBox::allowLongText() {
    // QLineEdit cuts a text, set or typed, at 32767 characters. Raising its
    // limit lays the text out again, so only a box that needs it does, before
    // anything is typed; the text is set again too, and its selection is put back.
    if (maxLength() == std::numeric_limits<int>::max()) return;
    const int cursor = cursorPosition();
    const int start = selectionStart();
    const int end = selectionEnd();
    settingText_ = true;
    setMaxLength(std::numeric_limits<int>::max());
    settingText_ = false;
    select(start, end, cursor);
}

void EntryBox::select(qsizetype start, qsizetype end, qsizetype cursor) {
    if (start < 0) {
        setCursorPosition(static_cast<int>(cursor));
    } else if (cursor == start) {
        setSelection(static_cast<int>(end), static_cast<int>(start - end));
    } else {
        setSelection(static_cast<int>(start), static_cast<int>(end - start));
    }
}

void EntryBox::setShownText(const QString& text, int width) {
    if (text.size() > maxLength()) allowLongText();
    settingText_ = true;
    setText(text);
    settingText_ = false;
    shownWidth_ = width;
}

int EntryBox::widthOf(QStringView text) const {
    return pixelWidth(QFontMetricsF(font()).horizontalAdvance(asLaidOut(text)));
}

void EntryBox::showTitle(const QString& title) {
    showsContent_ = holdsBeginning_ = false;
    setShownText(title, kUnknownWidth);  // measured if a hover comes to need it
}

QString EntryBox::beginningWiderThan(QStringView content, int width, int& textWidth) {
    textWidth = kUnknownWidth;
    if (content.utf16() != checked_.utf16() || content.size() != checked_.size()) {
        const std::u16string_view units(content.utf16(), static_cast<std::size_t>(content.size()));
        checked_ = content;
        checkedMayReorder_ = mayRunRightToLeft(units);
    }
    if (checkedMayReorder_) return content.toString();
    const QFontMetricsF metrics(font());
    for (qsizetype length = 64;; length *= 2) {
        if (length < content.size() && content[length - 1].isHighSurrogate()) ++length;
        length = std::min(length, content.size());
        const qreal shown = metrics.horizontalAdvance(asLaidOut(content.first(length)));
        if (shown > width || length == content.size()) {
            textWidth = pixelWidth(shown);
            return content.first(length).toString();
        }
    }
}

void EntryBox::reveal(QStringView content) {
    const bool same =
        showsContent_ && content.utf16() == content_.utf16() && content.size() == content_.size();
    if (!same) {
        // The text painted last was edited or held whole: measured now, once.
        if (scrollBound_ == kUnknownWidth) scrollBound_ = widthOf(paintedText_);
        paintedText_.clear();
        // The first paint scrolls the text back to its start only if it is wider
        // than the offset it was scrolled to; the whole content would be too.
        const int box = contentsRect().width();
        const int width = std::max(scrollBound_, box) + box;
        int textWidth = 0;
        const QString shown = beginningWiderThan(content, width, textWidth);
        setShownText(shown, textWidth);
        content_ = content;
        showsContent_ = true;
        holdsBeginning_ = shown.size() < content.size();
    }
    const int length = static_cast<int>(text().size());
    setSelection(length, -length);
}

QStringView EntryBox::selectedIn(const QString& shown) const {
    const qsizetype start = selectionStart();
    if (start < 0) return {};
    qsizetype end = selectionEnd();
    if (!holdsBeginning_) return QStringView(shown).sliced(start, end - start);
    // The end of the beginning can be selected only with all of it, which
    // stands for all of the content: any other selection lies in sight.
    if (end == shown.size()) end = content_.size();
    return content_.sliced(start, end - start);
}

QString EntryBox::selectedContent() const {
    return selectedIn(text()).toString();
}

void EntryBox::holdWholeContent() {
    allowLongText();  // an edit follows, or may
    if (!holdsBeginning_) return;
    const qsizetype held = text().size();
    const auto whole = [&](qsizetype position) {
        return position == held ? content_.size() : position;
    };
    const qsizetype cursor = whole(cursorPosition());
    const qsizetype start = selectionStart();
    const qsizetype end = start < 0 ? -1 : whole(selectionEnd());
    holdsBeginning_ = false;
    setShownText(content_.toString(), kUnknownWidth);
    select(start, end, cursor);
}

void EntryBox::copyContent(QClipboard::Mode mode) const {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (mode == QClipboard::Selection && !clipboard->supportsSelection()) return;
    const QString selected = selectedContent();
    if (!selected.isEmpty()) clipboard->setText(selected, mode);
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
    box->showTitle(text);
    return box;
}

int EntryBox::startDrag() {
    int allowedEffects = kDropEffectCopy | kDropEffectMove;
    emit OLEStartDrag(index_, allowedEffects);
    // A view, not a copy: the drag source copies what it keeps.
    const QString shown = text();
    const QStringView selected = selectedIn(shown);
    return drags_.dragText(window()->winId(),
                           {reinterpret_cast<const char16_t*>(selected.utf16()),
                            static_cast<std::size_t>(selected.size())},
                           allowedEffects);
}

void EntryBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) holdWholeContent();  // pastes on X11
    if (event->button() == Qt::LeftButton) {
        leftPressed_ = true;
        pressPos_ = event->position().toPoint();
    }
    QLineEdit::mousePressEvent(event);
}

void EntryBox::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMove(index_);
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
    if (event->button() == Qt::MiddleButton) holdWholeContent();
    // On X11 a release puts the selection into the primary selection. QLineEdit
    // would put the beginning there; the box puts the whole selection, once. (For
    // a box that starts its drags itself, that is all QLineEdit's release does,
    // but on a system that opens a keyboard on screen for a click.)
    if (event->button() == Qt::LeftButton && holdsBeginning_) {
        copyContent(QClipboard::Selection);
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void EntryBox::mouseDoubleClickEvent(QMouseEvent* event) {
    holdWholeContent();  // a word may run past the beginning
    QLineEdit::mouseDoubleClickEvent(event);
}

void EntryBox::keyPressEvent(QKeyEvent* event) {
    if (holdsBeginning_ && event->matches(QKeySequence::Copy)) {
        // As QLineEdit copies: into the clipboard, then the primary selection.
        copyContent(QClipboard::Clipboard);
        copyContent(QClipboard::Selection);
        event->accept();
        return;
    }
    if (!isModifierOnly(event->key())) holdWholeContent();
    QLineEdit::keyPressEvent(event);
}

void EntryBox::inputMethodEvent(QInputMethodEvent* event) {
    holdWholeContent();
    QLineEdit::inputMethodEvent(event);
}

void EntryBox::contextMenuEvent(QContextMenuEvent* event) {
    allowLongText();  // Paste may bring a long text
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (holdsBeginning_) {
        // Copy takes the whole content; any other entry is first pointed at,
        // with the mouse or the keyboard, and the box then takes in the whole
        // content for it to work on (Select All moves the cursor to its end).
        QAction* copy = nullptr;
        for (QAction* action : menu->actions()) {
            if (disconnect(action, SIGNAL(triggered()), this, SLOT(copy()))) copy = action;
        }
        if (copy) {
            connect(copy, &QAction::triggered, this,
                    [this] { copyContent(QClipboard::Clipboard); });
        }
        connect(menu, &QMenu::hovered, this, [this, copy](QAction* action) {
            if (action != copy) holdWholeContent();
        });
    }
    menu->popup(event->globalPos());
}

void EntryBox::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    scrollBound_ = shownWidth_;
    // A text of unknown width is measured only if a hover comes to need it.
    paintedText_ = shownWidth_ == kUnknownWidth ? text() : QString();
}

}  // namespace quillo
