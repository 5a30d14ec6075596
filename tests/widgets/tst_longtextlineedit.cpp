#include <QClipboard>
#include <QMenu>
#include <QTest>
#include <QTranslator>

#include "mainwindow/long_text_line_edit.h"
#include "platform/qt/qt_translation.h"

using namespace quillo;

namespace {

// A line edit the size of an entry box in a shown window, and a plain
// QLineEdit of the same style below it.
struct Shown {
    Shown() {
        for (QLineEdit* line : {static_cast<QLineEdit*>(&edit), &plain}) line->setFrame(false);
        edit.setGeometry(0, 0, 107, 12);
        plain.setGeometry(0, 20, 107, 12);
        window.show();
    }

    QWidget window;
    LongTextLineEdit edit{&window};
    QLineEdit plain{&window};
};

// About 5,000 characters of the pattern: hundreds of times what a box shows.
QString longText(QStringView pattern) {
    return pattern.toString().repeated(5000 / pattern.size());
}

// Opens the line edit's menu, points at the entry for a standard command (by
// the shortcut it names) and chooses it.
void chooseFromMenu(QLineEdit* line, QKeySequence::StandardKey key) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, {5, 5}, line->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(line, &event);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    const QString shortcut = QKeySequence(key).toString(QKeySequence::NativeText);
    for (QAction* action : menu->actions()) {
        if (!action->text().endsWith(QLatin1Char('\t') + shortcut)) continue;
        menu->setActiveAction(action);
        action->trigger();
    }
    menu->close();
}

}  // namespace

class TestLongTextLineEdit : public QObject {
    Q_OBJECT

private slots:
    // It draws exactly what a plain line edit draws holding the whole text, all
    // selected, though it holds only the part that shows; a long text before
    // it leaves the text scrolled.
    void looksAsIfItHeldTheWholeText_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("holdsLess");
        const QString chinese = longText(u"北京市海淀区中关村大街 27 号 ");
        QTest::newRow("short") << "邮箱"
                               << "xiaoming.wang@example.com" << false;
        QTest::newRow("long Chinese") << "地址" << chinese << true;
        QTest::newRow("long ASCII") << "网址" << longText(u"https://example.com/?q=1&x=2 ") << true;
        QTest::newRow("line break inside") << "多行"
                                           << "第一行\n第二行 " + chinese << true;
        QTest::newRow("long title") << longText(u"标题 ") << "短的内容，但比框宽一些些" << false;
        // The text must stay wider than the title was scrolled: it holds more.
        QTest::newRow("long title, long content") << longText(u"标题 ") << chinese << false;
    }
    void looksAsIfItHeldTheWholeText() {
        QFETCH(QString, before);
        QFETCH(QString, text);
        QFETCH(bool, holdsLess);
        Shown s;
        s.edit.setWholeText(before);
        s.plain.setText(before);
        QCOMPARE(s.edit.grab().toImage(), s.plain.grab().toImage());  // painting scrolls it

        s.edit.showAllSelected(text);
        s.plain.setText(text);
        s.plain.setSelection(int(text.size()), -int(text.size()));
        QCOMPARE(s.edit.grab().toImage(), s.plain.grab().toImage());
        if (holdsLess) QVERIFY(s.edit.text().size() < 1000);
    }

    // Whatever was done to it, and painted, showing the text again shows it as
    // the first time: from its start, all of it selected.
    void showingAgainAfterAnEditLooksAsTheFirstTime_data() {
        QTest::addColumn<QKeySequence>("keys");  // after End; none: a text set instead
        QTest::newRow("type") << QKeySequence("X");
        QTest::newRow("backspace") << QKeySequence(Qt::Key_Backspace);
        QTest::newRow("paste") << QKeySequence(QKeySequence::Paste);
        QTest::newRow("undo") << QKeySequence("X, Ctrl+Z");
        QTest::newRow("cut") << QKeySequence("Shift+Left, Ctrl+X");
        QTest::newRow("set a text") << QKeySequence();
    }
    void showingAgainAfterAnEditLooksAsTheFirstTime() {
        QFETCH(QKeySequence, keys);
        QString text;
        for (int i = 0; i < 1000; ++i) text += QString("[%1]").arg(i, 4, 10, QChar(u'0'));
        Shown s;
        QApplication::setCursorFlashTime(0);  // the cursor shows in every picture
        QVERIFY(QTest::qWaitForWindowActive(&s.window));
        QTest::mouseClick(&s.edit, Qt::LeftButton);  // focus, as a user clicks into it
        s.edit.showAllSelected(text);
        const QImage first = s.edit.grab().toImage();

        QTest::keyClick(&s.edit, Qt::Key_End);
        QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
        QTest::keySequence(&s.edit, keys);
        if (keys.isEmpty()) s.edit.setWholeText(QStringLiteral("长"));
        s.edit.grab();  // painted scrolled to the end

        s.edit.showAllSelected(text);
        QCOMPARE(s.edit.grab().toImage(), first);
        QCOMPARE(s.edit.selectedWholeText(), text);
    }

    // Whatever takes text out of it takes the whole text, however little of
    // it the line edit holds, in any language; editing works on the whole
    // text too.
    void theWholeTextLeavesAndIsEdited_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("uiLanguages");  // for Qt's words in the menu
        for (const char* action : {"Ctrl+C", "menu Copy", "menu Select All", "type at the end"}) {
            QTest::newRow(action) << action << QStringList();
        }
        QTest::newRow("menu Copy, zh-CN") << "menu Copy" << QStringList{"zh-CN"};
        QTest::newRow("menu Copy, zh-TW") << "menu Copy" << QStringList{"zh-TW"};
    }
    void theWholeTextLeavesAndIsEdited() {
        QFETCH(QString, action);
        QFETCH(QStringList, uiLanguages);
        QTranslator translator;  // leaves the application as it goes
        if (loadQtTranslation(translator, uiLanguages))
            QApplication::installTranslator(&translator);
        const QString text = longText(u"北京 Beijing ") + "=末尾";
        Shown s;
        QVERIFY(QTest::qWaitForWindowExposed(&s.window));
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        s.edit.showAllSelected(text);
        QVERIFY(s.edit.text().size() < text.size());
        QCOMPARE(s.edit.selectedWholeText(), text);  // what a drag takes

        if (action == "Ctrl+C") QTest::keyClick(&s.edit, Qt::Key_C, Qt::ControlModifier);
        if (action == "menu Copy") chooseFromMenu(&s.edit, QKeySequence::Copy);
        if (action == "Ctrl+C" || action == "menu Copy") {
            QCOMPARE(clipboard->text(), text);
            return;
        }
        QTest::mouseClick(&s.edit, Qt::LeftButton, {}, QPoint(1, 5));  // the cursor at the start
        if (action == "menu Select All") chooseFromMenu(&s.edit, QKeySequence::SelectAll);
        if (action == "type at the end") {
            QTest::keyClick(&s.edit, Qt::Key_End);
            QTest::keyClicks(&s.edit, "!");
        }
        const QString whole = action == "type at the end" ? text + "!" : text;
        QCOMPARE(s.edit.text(), whole);
        QCOMPARE(s.edit.cursorPosition(), whole.size());  // Select All's at the very end
    }
};

QTEST_MAIN(TestLongTextLineEdit)
#include "tst_longtextlineedit.moc"
