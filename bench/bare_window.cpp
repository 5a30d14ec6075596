// The least a Qt Widgets program can do to show Quillo's window: the same
// frame, size, place and menu bar captions, and nothing else. Start-up
// figures of Quillo are read against this one.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare Qt window"));
    window.menuBar()->addMenu(QStringLiteral("文件"));
    window.menuBar()->addMenu(QStringLiteral("恢复"));
    window.menuBar()->addMenu(QStringLiteral("帮助"));
    window.move(668, 100);
    window.setFixedSize(132, 176);
    window.show();
    return QApplication::exec();
}
