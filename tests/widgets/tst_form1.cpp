#include <QContextMenuEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <memory>

#include "fakes/fake_platform.h"
#include "forms/fatal_error_guard.h"
#include "mainwindow/entry_box.h"
#include "mainwindow/form1.h"
#include "mainwindow/vscroll_bar.h"
#include "platform/qt/qt_translation.h"
#include "platform/qt/qt_window_system.h"

using namespace quillo;

namespace {

// A Form1 on a data file of the test's own, over fakes; with `realWindows`
// Qt places the window and shows the message boxes.
struct LoadedForm {
    explicit LoadedForm(const std::string& data, bool realWindows = false) {
        fake.files.contents["data.txt"] = data;
        Platform& platform = realWindows ? qtPlatform : fake.platform;
        form = std::make_unique<Form1>(platform);
        guarded(platform.windows, [this] { form->Form_Load(); });
    }

    EntryBox* box(int k) const { return form->Text1(k); }
    VScrollBar* scroll() const { return form->VScroll1(); }

    fakes::FakePlatform fake;
    fakes::FakeFileSystem& files = fake.files;
    fakes::FakeProcesses& processes = fake.processes;
    fakes::FakeWindowSystem& windows = fake.windows;
    QtWindowSystem qtWindows;
    Platform qtPlatform{*fake.codec,   fake.files, fake.processes,
                        fake.registry, qtWindows,  fake.drags};
    std::unique_ptr<Form1> form;
};

std::string entries(int count, const std::string& contentPrefix = "content ") {
    std::string data;
    for (int k = 1; k <= count; ++k) {
        data += "title " + std::to_string(k) + "=" + contentPrefix + std::to_string(k) + "\r\n";
    }
    return data;
}

// Tops of boxes, in pixels, by box.
using Tops = QMap<int, int>;

// The entries of the menu that a right-click on widget opens, each ended by
// "|". The scroll bar's menu runs a loop of its own, the text box's does not.
QString contextMenuOf(QWidget* widget) {
    QString entries;
    const auto read = [&entries] {
        QWidget* popup = QApplication::activePopupWidget();
        if (!popup || !entries.isEmpty()) return;
        for (QAction* a : popup->actions()) {
            if (!a->isSeparator()) entries += a->text() + "|";
        }
        popup->close();
    };
    const QObject whileHere;  // no reading once this function has returned
    QTimer::singleShot(0, &whileHere, read);
    QContextMenuEvent event(QContextMenuEvent::Mouse, {2, 2}, widget->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(widget, &event);
    read();
    return entries;
}

}  // namespace

class TestForm1 : public QObject {
    Q_OBJECT

private slots:
    void startupCreatesOneTitledBoxPerEntry() {
        LoadedForm f(entries(12));
        QCOMPARE(f.form->entryCount(), 12);
        QCOMPARE(f.form->Text1Count(), 13);
        QVERIFY(f.box(0)->isHidden());
        // 106.5 x 12.0 px, 13.18 px apart (220 units), edges on whole pixels.
        const int tops[] = {0, 13, 26, 40, 53, 66, 79, 92, 105, 119, 132, 145};
        for (int k = 1; k <= 12; ++k) {
            QCOMPARE(f.box(k)->text(), QStringLiteral("title %1").arg(k));
            QVERIFY(f.box(k)->isVisibleTo(f.form.get()));
            QCOMPARE(f.box(k)->geometry(), QRect(0, tops[k - 1], 107, 12));
        }
        QCOMPARE(f.scroll()->geometry(), QRect(109, 0, 16, 132));
    }

    void boxesAreCopiesOfTheTemplate() {
        LoadedForm f(entries(2));
        for (int k = 1; k <= 2; ++k) {
            EntryBox* box = f.box(k);
            QCOMPARE(box->palette().color(QPalette::Base), QColor(0xC0, 0xFF, 0xFF));
            QCOMPARE(box->palette().color(QPalette::Text), QColor(0x00, 0x00, 0xC0));
            QVERIFY(!box->isReadOnly());
            QVERIFY(!(box->focusPolicy() & Qt::TabFocus));
            QVERIFY(!box->acceptDrops());
            QCOMPARE(box->size(), f.box(0)->size());
        }
    }

    void realPlacementPutsTheFrameAt668x100() {
        // Offscreen Qt invents a frame around the client: the frame is what counts.
        LoadedForm f(entries(3), /*realWindows=*/true);
        QCOMPARE(f.form->frameGeometry(), QRect(668, 100, 132, 176));
        QVERIFY(f.form->isVisible());
        QCOMPARE(f.form->minimumSize(), f.form->maximumSize());
    }

    void placesTheWindowBeforeLoading() {
        // Without its data file the load fails: the window is in place by then.
        fakes::FakePlatform fake;
        fakes::FakeWindowSystem& windows = fake.windows;
        Form1 form(fake.platform);
        guarded(windows, [&] { form.Form_Load(); });
        QCOMPARE(windows.events, (std::vector<std::string>{"place", "message", "end"}));
        const PixelRect outer = windows.placements.at(0).second;
        QCOMPARE(QRect(outer.x, outer.y, outer.width, outer.height), QRect(668, 100, 132, 136));
        QCOMPARE(windows.outerHeights, std::vector<int>{176});
        QCOMPARE(form.VScroll1()->geometry(), QRect(109, 0, 16, 132));
        QCOMPARE(windows.exitCodes, std::vector<int>{53});
        QCOMPARE(windows.messages[0].title, std::u16string(u"quillo4"));
        QVERIFY(
            QString::fromStdU16String(windows.messages[0].text)
                .contains(QDir::toNativeSeparators(QDir::current().absoluteFilePath("data.txt"))));
        QCOMPARE(form.Text1Count(), 1);
        QCOMPARE(form.windowTitle(), QStringLiteral("Quillo4.0版"));
        QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(form.windowFlags() & Qt::WindowMinimizeButtonHint));
    }

    void tooManyEntriesIsReported() {
        LoadedForm f(entries(146));
        QCOMPARE(f.windows.exitCodes, std::vector<int>{9});
        QVERIFY(QString::fromStdU16String(f.windows.messages.at(0).text).contains("146"));
    }

    // The pointer over a box reveals its content, all selected from its start,
    // and the box keeps it until Restore. A press and a move past the drag
    // distance, the button held, drag the whole content out of the window as
    // a copy only, however little of it the box holds; a shorter move drags
    // nothing.
    void hoverRevealsAndPressAndMoveDrags_data() {
        QTest::addColumn<QString>("content");
        QTest::addColumn<int>("beyondDragDistance");  // pixels
        const QString chinese = QStringLiteral("北京 Beijing ").repeated(400) + "=末尾";
        QTest::newRow("long content") << chinese << 0;
        QTest::newRow("short content") << QStringLiteral("邮箱 a=b") << 5;
        QTest::newRow("a pixel short") << chinese << -1;
    }
    void hoverRevealsAndPressAndMoveDrags() {
        QFETCH(QString, content);
        QFETCH(int, beyondDragDistance);
        LoadedForm f(("t=x\r\n长=" + content + "\r\nlast=y\r\n").toStdString(), true);
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        QTest::mouseMove(f.box(1), QPoint(5, 5));
        QTest::mouseMove(f.box(2), QPoint(5, 5));
        QCOMPARE(f.box(1)->text(), QStringLiteral("x"));
        QCOMPARE(f.box(2)->selectedWholeText(), content);
        QCOMPARE(f.box(2)->selectionStart(), 0);
        QCOMPARE(f.box(2)->cursorPosition(), 0);  // a long content shows its beginning
        QCOMPARE(f.box(3)->text(), QStringLiteral("last"));

        const QPoint moved(5 + QApplication::startDragDistance() + beyondDragDistance, 5);
        QTest::mousePress(f.box(2), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseMove(f.box(2), moved);
        QTest::mouseRelease(f.box(2), Qt::LeftButton, {}, moved);
        QCOMPARE(f.box(2)->selectedText(), f.box(2)->text());  // all selected again
        QCOMPARE(f.fake.drags.drags.size(), std::size_t(beyondDragDistance >= 0));
        for (const fakes::FakeDragSource::Drag& drag : f.fake.drags.drags) {
            QCOMPARE(drag.window, NativeWindow{f.form->winId()});
            QCOMPARE(drag.allowedEffects, kDropEffectCopy);
            QCOMPARE(QString::fromStdU16String(drag.text), content);
        }
    }

    void restoreBringsEveryTitleBack() {
        LoadedForm f("a=\r\nb=x\r\n");
        f.form->Text1_MouseMove(1);
        f.form->Text1_MouseMove(2);
        QCOMPARE(f.box(1)->text(), QString());  // an empty content gives an empty box
        f.box(2)->setText(QStringLiteral("typed over"));
        f.form->re_Click();
        QCOMPARE(f.box(1)->text(), QStringLiteral("a"));
        QCOMPARE(f.box(2)->text(), QStringLiteral("b"));
        f.form->Text1_MouseMove(2);
        QCOMPARE(f.box(2)->text(), QStringLiteral("x"));  // typing never touched the table
        f.box(2)->setText(QStringLiteral("xy"));
        f.box(2)->deselect();
        f.form->Text1_MouseMove(2);
        QCOMPARE(f.box(2)->text(), QStringLiteral("x"));  // the next hover replaces typing
        QCOMPARE(f.box(2)->selectedText(), QStringLiteral("x"));
        f.box(2)->deselect();
        f.form->Text1_MouseMove(2);
        QCOMPARE(f.box(2)->selectedText(), QStringLiteral("x"));
    }

    void restoreWithNoEntriesDoesNothing() {
        LoadedForm f("no entries here\r\n");
        f.form->re_Click();
        QCOMPARE(f.form->Text1Count(), 1);
        QCOMPARE(f.windows.events, std::vector<std::string>{"place"});
    }

    void restoreFromTheMenuBar() {
        LoadedForm f(entries(2));
        f.form->Text1_MouseMove(1);
        f.form->menuBar()->findChild<QAction*>(QStringLiteral("re"))->trigger();
        QCOMPARE(f.box(1)->text(), QStringLiteral("title 1"));
    }

    void pagingMovesTheColumn_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("steps");
        QTest::addColumn<QList<int>>("values");
        QTest::addColumn<Tops>("tops");  // of boxes, in pixels
        const Tops twoPages{{1, -198}, {15, -13}, {16, 0}, {25, 119}};
        QTest::newRow("20 entries, one page")
            << 20 << 1 << QList<int>{2200} << Tops{{1, -132}, {11, 0}, {20, 119}};
        QTest::newRow("25 entries, two pages") << 25 << 2 << QList<int>{2200, 3300} << twoPages;
        QTest::newRow("25 entries, clamped at Max")
            << 25 << 3 << QList<int>{2200, 3300, 3300} << twoPages;
        QTest::newRow("5 entries, reversed range")
            << 5 << 1 << QList<int>{-1100} << Tops{{1, 66}, {5, 119}};
    }
    void pagingMovesTheColumn() {
        QFETCH(int, count);
        QFETCH(int, steps);
        QFETCH(QList<int>, values);
        QFETCH(Tops, tops);
        LoadedForm f(entries(count));
        for (int i = 0; i < steps; ++i) {
            f.scroll()->triggerAction(i % 2 ? QAbstractSlider::SliderPageStepAdd
                                            : QAbstractSlider::SliderSingleStepAdd);
            QCOMPARE(f.scroll()->Value(), values[i]);
        }
        for (auto [k, top] : tops.asKeyValueRange()) {
            QCOMPARE(f.box(k)->geometry(), QRect(0, top, 107, 12));
        }
        f.form->re_Click();
        QCOMPARE(f.scroll()->Value(), values.last());  // Restore leaves the column where it is
    }

    void thumbDragMovesBoxesOnlyOnRelease() {
        LoadedForm f(entries(30));
        QVERIFY(!f.scroll()->hasTracking());
        f.scroll()->setSliderDown(true);
        f.scroll()->setSliderPosition(4400);
        QCOMPARE(f.box(1)->geometry().top(), 0);
        f.scroll()->setSliderDown(false);
        QCOMPARE(f.scroll()->Value(), 4400);
        QCOMPARE(f.box(21)->geometry().top(), 0);
    }

    void menuTreeHasTheCommandsInOrder() {
        LoadedForm f(entries(1));
        const QList<QAction*> top = f.form->menuBar()->actions();
        QCOMPARE(top.size(), 3);
        QCOMPARE(top[0]->text(), QStringLiteral("文件"));
        QCOMPARE(top[1]->text(), QStringLiteral("恢复"));
        QCOMPARE(top[1]->objectName(), QStringLiteral("re"));
        QVERIFY(!top[1]->menu());
        QCOMPARE(top[2]->text(), QStringLiteral("帮助"));
        QCOMPARE(top[0]->menu()->objectName(), QStringLiteral("file"));
        QCOMPARE(top[2]->menu()->objectName(), QStringLiteral("help"));

        const auto items = [](QMenu* menu) {
            QStringList names;
            for (QAction* a : menu->actions()) {
                names << a->objectName() + ":" + (a->isSeparator() ? "-" : a->text());
                if (!a->shortcut().isEmpty()) names << "shortcut!";
            }
            return names;
        };
        QCOMPARE(items(top[0]->menu()), (QStringList{"edit:编辑数据", "b:-", "end:退出"}));
        QCOMPARE(items(top[2]->menu()), (QStringList{"con:内容", "b2:-", "abo:关于"}));
        for (QAction* a : top) QVERIFY(a->shortcut().isEmpty());
    }

    // Qt's own words in a box's menu and the scroll bar's: the first of the
    // user's languages that Qt speaks here decides, for a revealed box too.
    void qtWordsFollowTheUserLanguages_data() {
        const QString zhCN =
            "撤消(&U)\tCtrl+Z|重做(&R)\tCtrl+Y|剪切(&T)\tCtrl+X|复制(&C)\tCtrl+C|"
            "粘贴(&P)\tCtrl+V|删除|全选\tCtrl+A|滚动至此|顶端|底部|"
            "向上翻页|向下翻页|向上滚动|向下滚动|";
        const QString zhTW =
            "復原(&U)\tCtrl+Z|重做(&R)\tCtrl+Y|剪下(&T)\tCtrl+X|複製(&C)\tCtrl+C|"
            "貼上(&P)\tCtrl+V|刪除|全部選擇\tCtrl+A|在此捲動|頂端|底端|"
            "頁面上方|頁面下方|往上捲動|往下捲動|";
        const QString en =
            "&Undo\tCtrl+Z|&Redo\tCtrl+Y|Cu&t\tCtrl+X|&Copy\tCtrl+C|&Paste\tCtrl+V|"
            "Delete|Select All\tCtrl+A|Scroll here|Top|Bottom|Page up|Page down|"
            "Scroll up|Scroll down|";
        QTest::addColumn<QStringList>("uiLanguages");
        QTest::addColumn<QString>("menus");  // the box's entries, then the scroll bar's
        QTest::newRow("zh-CN") << QStringList{"zh-Hans-CN", "zh-CN"} << zhCN;
        QTest::newRow("zh-SG") << QStringList{"zh-SG"} << zhCN;
        QTest::newRow("zh-TW") << QStringList{"zh-Hant-TW", "zh-TW"} << zhTW;
        QTest::newRow("zh-HK") << QStringList{"zh-HK"} << zhTW;
        QTest::newRow("French, then zh-Hant") << QStringList{"fr-FR", "zh-Hant"} << zhTW;
        QTest::newRow("English, then zh-CN") << QStringList{"en-US", "zh-CN"} << en;
        QTest::newRow("Japanese only") << QStringList{"ja-JP"} << en;
    }
    void qtWordsFollowTheUserLanguages() {
        QFETCH(QStringList, uiLanguages);
        QFETCH(QString, menus);
        QTranslator translator;
        if (loadQtTranslation(translator, uiLanguages))
            QApplication::installTranslator(&translator);
        const QString content = QStringLiteral("复制 = copy，").repeated(4000).left(39003);
        LoadedForm f("长文=" + content.toStdString() + "\r\n");
        f.form->Text1_MouseMove(1);
        QCOMPARE(contextMenuOf(f.box(1)) + contextMenuOf(f.scroll()), menus);
        QApplication::removeTranslator(&translator);
    }

    void menuBarFitsTheWindow() {
        LoadedForm f(entries(1), /*realWindows=*/true);
        QMenuBar* bar = f.form->menuBar();
        for (QAction* a : bar->actions()) {
            const QRect r = bar->actionGeometry(a);
            QVERIFY2(r.isValid() && r.right() < bar->width(), qPrintable(a->text()));
        }
    }

    void editDataOpensTheProgramsDataFileThenEnds() {
        LoadedForm f(entries(2));
        f.form->Text1_MouseMove(1);
        f.files.directory = u"D:\\我的 工具";
        f.form->menuBar()->findChild<QAction*>(QStringLiteral("edit"))->trigger();
        QCOMPARE(f.processes.started.size(), std::size_t{1});
        QVERIFY(f.processes.started[0].target == u"D:\\我的 工具");
        QVERIFY(!f.processes.started[0].exactProgram);
        QCOMPARE(f.windows.events, (std::vector<std::string>{"place", "end"}));
        QCOMPARE(f.windows.exitCodes, std::vector<int>{0});
    }

    void editDataThatCannotStartIsReportedThenEnds() {
        LoadedForm f(entries(1));
        f.processes.fail = true;
        f.form->menuBar()->findChild<QAction*>(QStringLiteral("edit"))->trigger();
        QCOMPARE(f.windows.events, (std::vector<std::string>{"place", "message", "end"}));
        QCOMPARE(f.windows.exitCodes, std::vector<int>{53});
    }

    void exitEndsAtOnceWithCodeZero() {
        LoadedForm f(entries(1));
        f.form->menuBar()->findChild<QAction*>(QStringLiteral("end"))->trigger();
        QCOMPARE(f.windows.events, (std::vector<std::string>{"place", "end"}));
        QCOMPARE(f.windows.exitCodes, std::vector<int>{0});
        QVERIFY(f.processes.attempts.empty());
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
