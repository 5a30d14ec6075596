#include "mainwindow/long_text_line_edit.h"

#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

#include "base/unicode.h"

namespace quillo {

namespace {

// A text's width in whole pixels, bounding how far QLineEdit scrolls it: it
// counts a text a pixel wider than laid out, then scrolls a pixel more. Capped
// far beyond any line QLineEdit can lay out (it keeps its offsets in an int),
// so that the sum of two widths stays an int.
int pixelWidth(qreal width) {
    constexpr int kMaxWidth = INT_MAX / 4;
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

LongTextLineEdit::LongTextLineEdit(QWidget* parent) : QLineEdit(parent) {
    setAcceptDrops(false);  // a drop would land in the beginning alone
}

bool LongTextLineEdit::untouched() const {
    // QLineEdit shares the string it was given until its text changes, by any
    // means: then it holds another.
    return text().constData() == given_.constData();
}

bool LongTextLineEdit::holdsBeginning() const {
    return holds_ == Holds::Beginning && untouched();
}

void LongTextLineEdit::allowLongText() {
    // QLineEdit cuts a text, set or typed, at 32767 characters. Raising its
    // limit lays the text out again, so only a line edit that needs it does,
    // before anything is typed; the text is set again too, and its selection
    // is put back.
    if (maxLength() == std::numeric_limits<int>::max()) return;
    const int cursor = cursorPosition();
    const int start = selectionStart();
    const int end = selectionEnd();
    setMaxLength(std::numeric_limits<int>::max());
    select(start, end, cursor);
}

void LongTextLineEdit::select(qsizetype start, qsizetype end, qsizetype cursor) {
    if (start < 0) {
        setCursorPosition(static_cast<int>(cursor));
    } else if (cursor == start) {
        setSelection(static_cast<int>(end), static_cast<int>(start - end));
    } else {
        setSelection(static_cast<int>(start), static_cast<int>(end - start));
    }
}

void LongTextLineEdit::setShownText(const QString& text, std::optional<int> width) {
    if (text.size() > maxLength()) allowLongText();
    given_ = text;
    setText(text);
    shownWidth_ = width;
}

void LongTextLineEdit::setWholeText(const QString& text) {
    holds_ = Holds::Other;
    setShownText(text, std::nullopt);  // measured if a hover comes to need it
}

int LongTextLineEdit::widthOf(QStringView text) const {
    return pixelWidth(QFontMetricsF(font()).horizontalAdvance(asLaidOut(text)));
}

int LongTextLineEdit::scrolledAtMost() {
    if (const QString* text = std::get_if<QString>(&painted_)) painted_ = widthOf(*text);
    return std::get<int>(painted_);
}

QString LongTextLineEdit::beginningWiderThan(QStringView text, int width,
                                             std::optional<int>& textWidth) {
    textWidth.reset();
    if (text.utf16() != checked_.utf16() || text.size() != checked_.size()) {
        checked_ = text;
        checkedMayReorder_ = mayRunRightToLeft(
            std::u16string_view(text.utf16(), static_cast<std::size_t>(text.size())));
    }
    if (checkedMayReorder_) return text.toString();
    const QFontMetricsF metrics(font());
    for (qsizetype length = 64;; length *= 2) {
        if (length < text.size() && text[length - 1].isHighSurrogate()) ++length;
        length = std::min(length, text.size());
        const qreal shown = metrics.horizontalAdvance(asLaidOut(text.first(length)));
        if (shown > width || length == text.size()) {
            textWidth = pixelWidth(shown);
            return text.first(length).toString();
        }
    }
}

void LongTextLineEdit::showAllSelected(QStringView text) {
    const bool same = holds_ != Holds::Other && untouched() && text.utf16() == long_.utf16() &&
                      text.size() == long_.size();
    if (!same) {
        // The first paint scrolls the text back to its start only if it is
        // wider than the offset it was scrolled to; the whole text would be too.
        const int box = contentsRect().width();
        const int width = std::max(scrolledAtMost(), box) + box;
        std::optional<int> textWidth;
        const QString shown = beginningWiderThan(text, width, textWidth);
        setShownText(shown, textWidth);
        long_ = text;
        holds_ = shown.size() < text.size() ? Holds::Beginning : Holds::Whole;
    }
    const int length = static_cast<int>(QLineEdit::text().size());
    setSelection(length, -length);
}

QStringView LongTextLineEdit::selectedWholeIn(const QString& shown) const {
    const qsizetype start = selectionStart();
    if (start < 0) return {};
    qsizetype end = selectionEnd();
    if (!holdsBeginning()) return QStringView(shown).sliced(start, end - start);
    // The end of the beginning can be selected only with all of it, which
    // stands for all of the text: any other selection lies in sight.
    if (end == shown.size()) end = long_.size();
    return long_.sliced(start, end - start);
}

void LongTextLineEdit::holdWholeText() {
    allowLongText();  // an edit follows, or may
    if (!holdsBeginning()) return;
    const qsizetype held = text().size();
    const auto whole = [&](qsizetype position) {
        return position == held ? long_.size() : position;
    };
    const qsizetype cursor = whole(cursorPosition());
    const qsizetype start = selectionStart();
    const qsizetype end = start < 0 ? -1 : whole(selectionEnd());
    holds_ = Holds::Whole;
    setShownText(long_.toString(), std::nullopt);
    select(start, end, cursor);
}

void LongTextLineEdit::copyWhole(QClipboard::Mode mode) const {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (mode == QClipboard::Selection && !clipboard->supportsSelection()) return;
    const QString selected = selectedWholeText();
    if (!selected.isEmpty()) clipboard->setText(selected, mode);
}

void LongTextLineEdit::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) holdWholeText();  // pastes on X11
    QLineEdit::mousePressEvent(event);
}

void LongTextLineEdit::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) holdWholeText();
    // On X11 a release puts the selection into the primary selection. QLineEdit
    // would put the beginning there; this puts the whole selection, once. (With
    // QLineEdit's own drag off, that is all QLineEdit's release does, but on a
    // system that opens a keyboard on screen for a click.)
    if (event->button() == Qt::LeftButton && holdsBeginning()) {
        copyWhole(QClipboard::Selection);
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void LongTextLineEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    holdWholeText();  // a word may run past the beginning
    QLineEdit::mouseDoubleClickEvent(event);
}

void LongTextLineEdit::keyPressEvent(QKeyEvent* event) {
    if (holdsBeginning() && event->matches(QKeySequence::Copy)) {
        // As QLineEdit copies: into the clipboard, then the primary selection.
        copyWhole(QClipboard::Clipboard);
        copyWhole(QClipboard::Selection);
        event->accept();
        return;
    }
    if (!isModifierOnly(event->key())) holdWholeText();
    QLineEdit::keyPressEvent(event);
}

void LongTextLineEdit::inputMethodEvent(QInputMethodEvent* event) {
    holdWholeText();
    QLineEdit::inputMethodEvent(event);
}

void LongTextLineEdit::contextMenuEvent(QContextMenuEvent* event) {
    allowLongText();  // Paste may bring a long text
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (holdsBeginning()) {
        // Copy takes the whole text; any other entry is first pointed at, with
        // the mouse or the keyboard, and the line edit then takes in the whole
        // text for it to work on (Select All moves the cursor to its end).
        // Qt's entry is known by its words, in the user's language as Qt
        // gives them, whatever the shortcut shown after them.
        const QString copyWords = QLineEdit::tr("&Copy");
        QAction* copy = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->text() == copyWords || action->text().startsWith(copyWords + u'\t')) {
                copy = action;
            }
        }
        if (copy) {
            copy->disconnect(this);
            connect(copy, &QAction::triggered, this, [this] { copyWhole(QClipboard::Clipboard); });
        }
        connect(menu, &QMenu::hovered, this, [this, copy](QAction* action) {
            if (action != copy) holdWholeText();
        });
    }
    menu->popup(event->globalPos());
}

void LongTextLineEdit::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    if (shownWidth_ && untouched()) {
        painted_ = *shownWidth_;
    } else {
        painted_ = text();  // measured only if a hover comes to need it
    }
}

}  // namespace quillo
