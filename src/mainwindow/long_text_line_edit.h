#pragma once

#include <QClipboard>
#include <QLineEdit>
#include <QStringView>
#include <optional>
#include <variant>

namespace quillo {

// A single-line edit that shows a text of a million characters as quickly as
// a short one. QLineEdit lays out all of its text whenever the text changes
// and again when it paints, so this one holds only the beginning of a long
// text, as far as can show and a width more, and keeps a view of the whole
// beside it. What leaves it (Ctrl+C, the menu's Copy, the X11 selection, and
// selectedWholeIn() for a drag) takes the whole text; before anything can
// edit the text or move the cursor out of sight, it takes in the whole text,
// as it would have held all along. It paints the pixels a QLineEdit holding
// the whole text paints.
//
// No Q_OBJECT: it adds no signal, slot or property, and Qt looks up each class
// of a widget by name when it makes the widget's accessibility interface.
class LongTextLineEdit : public QLineEdit {
public:
    explicit LongTextLineEdit(QWidget* parent);

    // Holds `text` whole, of any length: QLineEdit's setText cuts a text at
    // maxLength(), 32767 characters unless raised.
    void setWholeText(const QString& text);

    // Shows `text` with all of it selected and the cursor at its start. The
    // view must stay valid, and its characters unchanged, while the line edit
    // shows it; shown again untouched, it is only selected again. A text is
    // known by where it lies and its length.
    void showAllSelected(QStringView text);

    // The selected part of the text, whole: a view into `shown`, the caller's
    // copy of text(), or into the text it stands for, so that a million
    // characters are not copied on their way out.
    QStringView selectedWholeIn(const QString& shown) const;
    QString selectedWholeText() const { return selectedWholeIn(text()).toString(); }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // What the line edit holds of the text showAllSelected showed.
    enum class Holds { Other, Whole, Beginning };

    // The text is still the one this set last.
    bool untouched() const;
    bool holdsBeginning() const;
    // Every text goes in here, with its width when it is known.
    void setShownText(const QString& text, std::optional<int> width);
    // From holding the beginning to holding all of it, with the same
    // selection and cursor.
    void holdWholeText();
    void allowLongText();
    // Selects from start to end with the cursor at either; with start -1,
    // selects nothing and puts the cursor there.
    void select(qsizetype start, qsizetype end, qsizetype cursor);
    // Puts the whole selection into the clipboard or, where there is one, the
    // primary selection; nothing when nothing is selected.
    void copyWhole(QClipboard::Mode mode) const;
    int widthOf(QStringView text) const;
    // How far QLineEdit may have scrolled its text, in pixels.
    int scrolledAtMost();
    // The shortest beginning of `text` wider than `width` pixels, and its
    // width; the whole text when none is, or when its layout might reorder it.
    QString beginningWiderThan(QStringView text, int width, std::optional<int>& textWidth);

    QString given_;                  // the text this set last
    std::optional<int> shownWidth_;  // its width, when measured
    Holds holds_ = Holds::Other;     // of long_, while untouched
    QStringView long_;               // the text showAllSelected showed last
    // QLineEdit scrolls its text at each paint from where it scrolled it at the
    // last paint, never further than the text it painted is wide: that width,
    // or that text until a hover needs its width.
    std::variant<int, QString> painted_ = 0;
    // Whether a text might be reordered is found once per text.
    QStringView checked_;
    bool checkedMayReorder_ = false;
};

}  // namespace quillo
