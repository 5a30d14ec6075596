#include "platform/qt/qt_drag_source.h"

#include <QDrag>
#include <QGuiApplication>
#include <QMimeData>
#include <QString>
#include <QWidget>

#include "platform/qt/utf8_text_mime_data.h"

namespace quillo {

QtDragSource::QtDragSource(QStringList formats) : formats_(std::move(formats)) {}

std::unique_ptr<QtDragSource> makeQtDragSource() {
    if (QGuiApplication::platformName() == QLatin1String("wayland")) {
        return std::make_unique<QtDragSource>(
            QStringList{QStringLiteral("text/plain"), QLatin1String(kTextPlainUtf8)});
    }
    return std::make_unique<QtDragSource>();
}

int QtDragSource::dragText(NativeWindow window, std::u16string_view text, int allowedEffects) {
    auto* data = new Utf8TextMimeData(formats_);
    data->setText(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
    return exec(window, data, allowedEffects);
}

int QtDragSource::exec(NativeWindow window, QMimeData* data, int allowedEffects) {
    Qt::DropActions actions;
    if (allowedEffects & kDropEffectCopy) actions |= Qt::CopyAction;
    if (allowedEffects & kDropEffectMove) actions |= Qt::MoveAction;
    QWidget* source = QWidget::find(static_cast<WId>(window));
    if (!source || !actions) {
        delete data;
        return kDropEffectNone;
    }
    // On the heap, and left to Qt to delete: under X11 exec() returns at the
    // drop, and a target in another process fetches the text only after that.
    auto* drag = new QDrag(source);
    drag->setMimeData(data);
    switch (drag->exec(actions, Qt::CopyAction)) {
        case Qt::CopyAction:
            return kDropEffectCopy;
        case Qt::MoveAction:
            return kDropEffectMove;
        default:
            return kDropEffectNone;
    }
}

}  // namespace quillo
