#include "platform/wayland/wayland_drag_source.h"

#include <QString>

#include "platform/qt/utf8_text_mime_data.h"

namespace quillo {

int WaylandDragSource::dragText(NativeWindow window, std::u16string_view text, int allowedEffects) {
    auto* data = new Utf8TextMimeData;
    data->setText(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
    return exec(window, data, allowedEffects);
}

}  // namespace quillo
