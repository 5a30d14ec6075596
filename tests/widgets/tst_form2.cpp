#include <QAbstractTextDocumentLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <QTimer>
#include <memory>

#include "dialogs/form2.h"
#include "fakes/fake_platform.h"
#include "mainwindow/form1.h"

using namespace quillo;

namespace {

// The instructions as the text box holds them: a paragraph a line, and an
// empty one after the final CR LF.
QString shownInstructions() {
    return QString::fromUtf16(kInstructions).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// The main window with no entries, shown, over fakes.
struct MainWindow {
    MainWindow() { form->show(); }

    fakes::FakePlatform fake;
    std::unique_ptr<Form1> form = std::make_unique<Form1>(fake.platform);
};

// Runs `whileOpen` on the modal dialog once it is shown, then presses OK if the
// dialog is still open, so a failed check never leaves the test waiting.
void duringModal(std::function<void(Form2&)> whileOpen) {
    QTimer::singleShot(0, [whileOpen] {
        auto* dialog = qobject_cast<Form2*>(QApplication::activeModalWidget());
        if (!dialog) return;
        whileOpen(*dialog);
        if (dialog->isVisible()) dialog->Command1()->click();
    });
}

QPoint helpMenuCenter(Form1& form) {
    QMenuBar* bar = form.menuBar();
    auto* help = bar->findChild<QMenu*>(QStringLiteral("help"));
    return bar->mapTo(&form, bar->actionGeometry(help->menuAction()).center());
}

}  // namespace

class TestForm2 : public QObject {
    Q_OBJECT

private slots:
    void instructionsAreNineLinesEachEndedByCrLf() {
        const QString text = QString::fromUtf16(kInstructions);
        QVERIFY(text.endsWith(QStringLiteral("\r\n")));
        const QStringList lines = text.chopped(2).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 9);
        // Lines 5 and 7 were wrapped by hand inside a sentence; the others end one.
        for (int line = 2; line <= 9; ++line) {
            QVERIFY(!lines[line - 1].contains(u'\r') && !lines[line - 1].contains(u'\n'));
            QCOMPARE(lines[line - 1].endsWith(u'。'), line != 5 && line != 7);
        }

        Form2 dialog;
        QCOMPARE(dialog.Text1()->toPlainText(), shownInstructions());
    }

    void captionsFlagsAndModality() {
        Form2 dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("操作说明"));
        QCOMPARE(dialog.Command1()->text(), QStringLiteral("确定(OK)"));
        QVERIFY(!dialog.windowIcon().isNull());
        const Qt::WindowFlags flags = dialog.windowFlags();
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(flags & Qt::WindowContextHelpButtonHint));
        QCOMPARE(dialog.windowModality(), Qt::ApplicationModal);
    }

    void controlsAtTheirTwipPositions() {
        Form2 dialog;
        // 4680 x 2700 twips, fixed.
        QCOMPARE(dialog.minimumSize(), QSize(312, 180));
        QCOMPARE(dialog.maximumSize(), QSize(312, 180));
        QCOMPARE(dialog.Text1()->geometry(), QRect(0, 0, 313, 129));
        QCOMPARE(dialog.Command1()->geometry(), QRect(104, 144, 105, 25));
    }

    void textBoxIsDisabledAndShowsEveryLine() {
        Form2 dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTextEdit* text = dialog.Text1();
        QVERIFY(!text->isEnabled());
        QCOMPARE(text->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(QApplication::focusWidget(), dialog.Command1());

        QTest::mouseDClick(text->viewport(), Qt::LeftButton, {}, QPoint(20, 5));
        QTest::keyClicks(text, QStringLiteral("x"));
        QVERIFY(!text->textCursor().hasSelection());
        QCOMPARE(text->toPlainText(), shownInstructions());

        // The hand-wrapped lines 5 and 7 fit the box's width, and the ninth line
        // ends inside it.
        QTextDocument* document = text->document();
        const int viewportHeight = text->viewport()->height();
        for (int line : {5, 7}) {
            QCOMPARE(document->findBlockByNumber(line - 1).layout()->lineCount(), 1);
        }
        const QRectF ninth =
            document->documentLayout()->blockBoundingRect(document->findBlockByNumber(8));
        QVERIFY2(
            ninth.bottom() <= viewportHeight,
            qPrintable(
                QStringLiteral("line 9 ends at %1 of %2").arg(ninth.bottom()).arg(viewportHeight)));
    }

    void okCloses() {
        Form2 dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::mouseClick(dialog.Command1(), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
    }

    void enterPressesOkAndEscDoesNothing_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("closes");
        QTest::newRow("Return") << int(Qt::Key_Return) << true;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << true;
        QTest::newRow("Esc") << int(Qt::Key_Escape) << false;
    }
    void enterPressesOkAndEscDoesNothing() {
        QFETCH(int, key);
        QFETCH(bool, closes);
        Form2 dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        QCOMPARE(dialog.isVisible(), !closes);
    }

    void contentsOpensModallyAndFreshEachTime() {
        MainWindow main;
        bool opened = false;
        NativeWindow shown = 0;
        duringModal([&](Form2& dialog) {
            opened = true;
            shown = dialog.winId();
            dialog.Text1()->setPlainText(QStringLiteral("changed"));
        });
        main.form->con_Click();
        QVERIFY(opened);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        // The window system readied the dialog it showed, to stand above its owner.
        QCOMPARE(main.fake.windows.preparedDialogs, std::vector<NativeWindow>{shown});

        QString secondText;
        duringModal([&](Form2& dialog) { secondText = dialog.Text1()->toPlainText(); });
        main.form->con_Click();
        QCOMPARE(secondText, shownInstructions());
    }

    void mainWindowTakesNoInputWhileOpen() {
        MainWindow main;
        QVERIFY(QTest::qWaitForWindowExposed(main.form.get()));
        const QPoint help = helpMenuCenter(*main.form);

        // Without a dialog, the same click opens the Help menu.
        QTest::mouseClick(main.form->windowHandle(), Qt::LeftButton, {}, help);
        QVERIFY(QApplication::activePopupWidget() != nullptr);
        QApplication::activePopupWidget()->close();

        bool opened = false;
        QWidget* popupWhileOpen = nullptr;
        duringModal([&](Form2&) {
            opened = true;
            QTest::mouseClick(main.form->windowHandle(), Qt::LeftButton, {}, help);
            popupWhileOpen = QApplication::activePopupWidget();
            if (popupWhileOpen) popupWhileOpen->close();
        });
        main.form->con_Click();
        QVERIFY(opened);
        QCOMPARE(popupWhileOpen, nullptr);
    }
};

QTEST_MAIN(TestForm2)
#include "tst_form2.moc"
