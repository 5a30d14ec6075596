// A second program for the end-to-end tests: a window that accepts text
// dropped from another process and writes each drop to a file of its own, so
// the test can compare the bytes that arrived with what was dragged.
//
// Usage: drop_receiver OUTPUT_DIR X Y WIDTH HEIGHT
// Drop n (counting from 1) lands in OUTPUT_DIR/drop-n.txt (the text, UTF-8)
// and OUTPUT_DIR/drop-n.actions (the actions the source offered, e.g. "copy");
// the n-th drag to enter the window leaves OUTPUT_DIR/enter-n, so that a
// test knows when to let go. The n-th change of the X11 primary selection
// leaves its text in OUTPUT_DIR/primary-n.txt.

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QSaveFile>
#include <QStringList>
#include <QWidget>
#include <cstdio>

namespace {

QByteArray actionNames(Qt::DropActions actions) {
    QStringList names;
    if (actions & Qt::CopyAction) names << QStringLiteral("copy");
    if (actions & Qt::MoveAction) names << QStringLiteral("move");
    if (actions & Qt::LinkAction) names << QStringLiteral("link");
    return names.join(QLatin1Char(' ')).toUtf8();
}

// Written whole under a temporary name, so the test never reads half a drop.
bool writeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(bytes);
    return file.commit();
}

class DropTarget : public QWidget {
public:
    explicit DropTarget(QString outputDir) : outputDir_(std::move(outputDir)) {
        setAcceptDrops(true);
        setWindowTitle(QStringLiteral("drop receiver"));
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, QColor(0xFF, 0xE0, 0xA0));
        setPalette(p);
    }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override {
        ++enters_;
        writeFile(QDir(outputDir_).filePath(QStringLiteral("enter-%1").arg(enters_)), {});
        if (event->mimeData()->hasText()) event->acceptProposedAction();
    }

    void dragMoveEvent(QDragMoveEvent* event) override {
        if (event->mimeData()->hasText()) event->acceptProposedAction();
    }

    void dropEvent(QDropEvent* event) override {
        ++drops_;
        const QString stem = QDir(outputDir_).filePath(QStringLiteral("drop-%1").arg(drops_));
        const bool written =
            writeFile(stem + QStringLiteral(".actions"), actionNames(event->possibleActions())) &&
            writeFile(stem + QStringLiteral(".txt"), event->mimeData()->text().toUtf8());
        if (!written) {
            std::fprintf(stderr, "drop_receiver: cannot write %s\n", qPrintable(stem));
            QApplication::exit(2);
            return;
        }
        // Copy is the only action a well-behaved source offers here; taking it
        // (rather than the proposed one) keeps a faulty source from believing
        // its text was moved.
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }

private:
    QString outputDir_;
    int drops_ = 0;
    int enters_ = 0;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 6) {
        std::fprintf(stderr, "usage: drop_receiver OUTPUT_DIR X Y WIDTH HEIGHT\n");
        return 2;
    }
    DropTarget target(args.at(1));
    QObject::connect(QGuiApplication::clipboard(), &QClipboard::selectionChanged, [&args] {
        static int changes = 0;
        writeFile(QDir(args.at(1)).filePath(QStringLiteral("primary-%1.txt").arg(++changes)),
                  QGuiApplication::clipboard()->text(QClipboard::Selection).toUtf8());
    });
    target.setGeometry(args.at(2).toInt(), args.at(3).toInt(), args.at(4).toInt(),
                       args.at(5).toInt());
    target.show();
    return QApplication::exec();
}
