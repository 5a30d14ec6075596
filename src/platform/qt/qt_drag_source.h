#pragma once

#include <QStringList>
#include <memory>

#include "platform/drag_source.h"

class QMimeData;

namespace quillo {

// Qt's own drag (OLE's DoDragDrop on Windows, XDND under X11, the data device
// on Wayland), of a text in the given formats (utf8_text_mime_data.h).
class QtDragSource : public DragSource {
public:
    explicit QtDragSource(QStringList formats = {QStringLiteral("text/plain")});

    int dragText(NativeWindow window, std::u16string_view text, int allowedEffects) override;

protected:
    // Runs the drag of `data`, which Qt then owns, until the drop.
    static int exec(NativeWindow window, QMimeData* data, int allowedEffects);

private:
    QStringList formats_;
};

// Qt's drag of a text on the platform the program runs on: on Wayland by the
// MIME name of UTF-8 text as well.
std::unique_ptr<QtDragSource> makeQtDragSource();

}  // namespace quillo
