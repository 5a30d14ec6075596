#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <memory>

#include "base/unicode.h"
#include "dialogs/frm_about.h"
#include "dialogs/sys_info.h"
#include "fakes/fake_platform.h"
#include "mainwindow/form1.h"

using namespace quillo;

namespace {

// An about box over fakes: an empty registry unless a test fills it.
struct About {
    About() { dialog = std::make_unique<frmAbout>(fake.platform); }

    [[nodiscard]] bool showActive() {
        dialog->show();
        return QTest::qWaitForWindowActive(dialog.get());
    }

    fakes::FakePlatform fake;
    fakes::FakeProcesses& processes = fake.processes;
    fakes::FakeRegistry& registry = fake.registry;
    fakes::FakeWindowSystem& windows = fake.windows;
    std::unique_ptr<frmAbout> dialog;
};

QColor textColor(const QWidget* widget) {
    return widget->palette().color(QPalette::WindowText);
}

}  // namespace

class TestFrmAbout : public QObject {
    Q_OBJECT

private slots:
    void captionFlagsAndModality() {
        About about;
        frmAbout& dialog = *about.dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("关于Quillo"));
        QCOMPARE(dialog.minimumSize(), QSize(256, 212));
        QCOMPARE(dialog.maximumSize(), QSize(256, 212));
        QVERIFY(!(dialog.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(dialog.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(dialog.windowModality(), Qt::ApplicationModal);
    }

    void controlsAtTheirTwipPositionsWithTheirCaptions() {
        About about;
        frmAbout& d = *about.dialog;
        struct Case {
            QWidget* control;
            QRect pixels;
            QString text;
        };
        const Case cases[] = {
            {d.cmdOK(), {80, 184, 100, 23}, QStringLiteral("确定")},
            {d.cmdSysInfo(), {80, 152, 99, 23}, QStringLiteral("系统信息(&S)...")},
            {d.lblDisclaimer(), {104, 120, 49, 19}, QStringLiteral("免费软件")},
            {d.lblTitle(), {88, 0, 83, 24}, QStringLiteral("Quillo")},
            {d.lblVersion(), {104, 24, 43, 19}, QStringLiteral("版本4.0")},
            {d.lblDescription(), {64, 48, 139, 19}, {}},
            {d.Label1(), {64, 72, 145, 19}, {}},
            {d.Label2(), {8, 96, 249, 19}, {}},
        };
        for (const Case& c : cases) {
            const QString name = c.control->objectName();
            QVERIFY2(c.control->geometry() == c.pixels, qPrintable(name));
            if (c.text.isEmpty()) continue;
            const auto* button = qobject_cast<QPushButton*>(c.control);
            const QString text = button ? button->text() : qobject_cast<QLabel*>(c.control)->text();
            QCOMPARE(text, c.text);
        }
        // The author's own name, e-mail address and page are free; the rest is fixed.
        QVERIFY(QRegularExpression(QStringLiteral("^作者：\\S+(\\s\\S+)*  2000\\.8\\.1$"))
                    .match(d.lblDescription()->text())
                    .hasMatch());
        QVERIFY(QRegularExpression(QStringLiteral("^邮箱：\\S+@\\S+$"))
                    .match(d.Label1()->text())
                    .hasMatch());
        QVERIFY(d.Label2()->text().startsWith(QStringLiteral("主页：http")));
    }

    void labelsFitTheirText() {
        About about;
        for (QLabel* label : about.dialog->findChildren<QLabel*>()) {
            const QFontMetrics metrics(label->font());
            QVERIFY2(metrics.horizontalAdvance(label->text()) <= label->width() &&
                         metrics.height() <= label->height(),
                     qPrintable(label->objectName()));
        }
    }

    void coloursAndTitleFont() {
        About about;
        frmAbout& d = *about.dialog;
        QCOMPARE(textColor(d.lblTitle()), QColor(0, 0, 255));
        QCOMPARE(textColor(d.lblVersion()), QColor(255, 0, 0));
        QCOMPARE(textColor(d.lblDisclaimer()), QColor(0, 0, 0));
        QCOMPARE(textColor(d.lblDescription()), QColor(0, 0, 0));

        const QFont font = d.lblTitle()->font();
        QCOMPARE(font.families().value(0), QStringLiteral("宋体"));
        QCOMPARE(font.pointSizeF(), 14.25);
        QCOMPARE(font.weight(), QFont::Normal);
        QVERIFY(!font.italic() && !font.underline() && !font.strikeOut());
        // Whatever stands in for 宋体 must draw Chinese.
        const QString drawnWith = QFontInfo(font).family();
        QVERIFY2(
            QFontDatabase::writingSystems(drawnWith).contains(QFontDatabase::SimplifiedChinese),
            qPrintable(drawnWith));
    }

    void etchedRuleIsGreyOverWhite() {
        About about;
        const QImage image = about.dialog->grab().toImage();
        for (int x : {0, 128, 255}) {
            QCOMPARE(QColor(image.pixel(x, 144)), QColor(0x80, 0x80, 0x80));
            QCOMPARE(QColor(image.pixel(x, 145)), QColor(0xFF, 0xFF, 0xFF));
            QCOMPARE(QColor(image.pixel(x, 146)), about.dialog->palette().color(QPalette::Window));
        }
    }

    void tabOrderStartsAtOk() {
        About about;
        QVERIFY(about.showActive());
        QCOMPARE(QApplication::focusWidget(), about.dialog->cmdOK());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), about.dialog->cmdSysInfo());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), about.dialog->cmdOK());
    }

    void enterAndEscClose_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
        QTest::newRow("Esc") << int(Qt::Key_Escape);
    }
    void enterAndEscClose() {
        QFETCH(int, key);
        About about;
        QVERIFY(about.showActive());
        QSignalSpy accepted(about.dialog.get(), &QDialog::accepted);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        QVERIFY(!about.dialog->isVisible());
        QCOMPARE(accepted.count(), 1);
        QVERIFY(about.windows.messages.empty());
    }

    void okClickCloses() {
        About about;
        QVERIFY(about.showActive());
        QTest::mouseClick(about.dialog->cmdOK(), Qt::LeftButton);
        QVERIFY(!about.dialog->isVisible());
    }

    void systemInformationLeavesTheDialogOpen_data() {
        QTest::addColumn<bool>("registered");
        QTest::newRow("no tool") << false;
        QTest::newRow("tool registered") << true;
    }
    void systemInformationLeavesTheDialogOpen() {
        QFETCH(bool, registered);
        About about;
        if (registered) {
            about.registry.set(toUtf8(kSysInfoPathKey), toUtf8(kSysInfoPathValue), kRegSz,
                               "C:\\Tools\\msinfo32.exe");
        }
        QVERIFY(about.showActive());
        QTest::mouseClick(about.dialog->cmdSysInfo(), Qt::LeftButton);

        QVERIFY(about.dialog->isVisible());
        QVERIFY(about.windows.exitCodes.empty());
        if (registered) {
            QCOMPARE(about.processes.started.size(), std::size_t{1});
            QVERIFY(about.processes.started[0].target == u"C:\\Tools\\msinfo32.exe");
            QVERIFY(about.windows.messages.empty());
        } else {
            QVERIFY(about.processes.attempts.empty());
            QCOMPARE(about.windows.messages.size(), std::size_t{1});
            QVERIFY(about.windows.messages[0].title == u"quillo4");
            QVERIFY(about.windows.messages[0].text == u"此时系统信息不可用");
        }
    }

    void aboutOpensModallyFromTheMainWindow() {
        About about;  // for its fakes
        Form1 form(about.fake.platform);
        form.show();
        int openings = 0;
        bool modal = false;
        std::vector<NativeWindow> shown;
        auto closeWhenOpen = [&] {
            auto* dialog = qobject_cast<frmAbout*>(QApplication::activeModalWidget());
            if (!dialog) return;
            ++openings;
            modal = dialog->isModal() && dialog->windowModality() == Qt::ApplicationModal;
            shown.push_back(dialog->winId());
            dialog->cmdOK()->click();
        };
        QTimer::singleShot(0, closeWhenOpen);
        form.abo_Click();
        QVERIFY(modal);
        QTimer::singleShot(0, closeWhenOpen);
        form.abo_Click();
        QCOMPARE(openings, 2);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        // Each showing was readied by the window system, to stand above its owner.
        QCOMPARE(about.windows.preparedDialogs, shown);
    }
};

QTEST_MAIN(TestFrmAbout)
#include "tst_frmabout.moc"
