#include "platform/qt/qt_window_system.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace quillo {
namespace {

QWidget* widgetOf(NativeWindow window) {
    return QWidget::find(static_cast<WId>(window));
}

// What the frame adds around the client area; nothing under X11 without a
// window manager, 2 px a side on Qt's offscreen platform.
QSize frameExtra(const QWidget& widget) {
    return widget.frameGeometry().size() - widget.geometry().size();
}

// Ctrl+C copies the box as Windows' own message boxes do, title, text and
// buttons between rules, so that a path or a line number in a report can be
// pasted elsewhere, on every system.
class CopyableMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (!event->matches(QKeySequence::Copy)) {
            QMessageBox::keyPressEvent(event);
            return;
        }
        const QString rule = QStringLiteral("---------------------------\n");
        QString copy = rule + windowTitle() + u'\n' + rule + text() + u'\n' + rule;
        for (const QAbstractButton* button : buttons())
            copy += button->text() + QStringLiteral("   ");
        QGuiApplication::clipboard()->setText(copy + u'\n' + rule);
    }
};

}  // namespace

void QtWindowSystem::placeTopmost(NativeWindow window, PixelRect outer) {
    QWidget* widget = widgetOf(window);
    if (!widget) return;
    setMainWindow(window);
    if (!widget->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        widget->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }
    // Placed before it is shown, so it never appears elsewhere first; a frame
    // is known only once the window is shown, and is then taken off the size.
    const auto place = [&] {
        const QSize extra = frameExtra(*widget);
        widget->move(outer.x, outer.y);
        widget->setFixedSize(outer.width - extra.width(), outer.height - extra.height());
    };
    place();
    widget->show();
    place();
}

void QtWindowSystem::setOuterHeight(NativeWindow window, int height) {
    QWidget* widget = widgetOf(window);
    if (!widget) return;
    widget->setFixedSize(widget->width(), height - frameExtra(*widget).height());
}

void QtWindowSystem::showMessage(const std::u16string& title, const std::u16string& text) {
    // Owned by the open dialog, or else by the main window: a window manager
    // (and Windows) then keeps the box above it, although that one stays on top.
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner) owner = widgetOf(mainWindow_);
    CopyableMessageBox box(QMessageBox::NoIcon, QString::fromStdU16String(title),
                           QString::fromStdU16String(text), QMessageBox::Ok, owner);
    // The interface is Chinese whatever the system's language, as on the target.
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    prepareDialog(box.winId());
    box.exec();
}

void QtWindowSystem::endProgram(int exitCode) {
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

}  // namespace quillo
