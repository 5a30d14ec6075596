// The least a Qt Widgets program can do to show Quillo's window: the same
// frame, size, place and menu bar captions, and a line of Chinese (so that
// both load a CJK font), nothing else. Start-up figures of Quillo are read
// against this one.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>

#include "platform/qt/end_when_drawn.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    quillo::EndWhenDrawn::installIfAsked(app);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare Qt window"));
    window.menuBar()->addMenu(QStringLiteral("文件"));
    window.menuBar()->addMenu(QStringLiteral("恢复"));
    window.menuBar()->addMenu(QStringLiteral("帮助"));
    QLabel label(QStringLiteral("姓名"), &window);
    label.setGeometry(8, 30, 116, 20);
    window.move(668, 100);
    window.setFixedSize(132, 176);
    window.show();
    return QApplication::exec();
}
