// The frame as a decoration plugin of Qt's Wayland client, in the library the
// program loads on a Wayland session: Qt finds it among the static plugins by
// its key (caption_decoration.json), named in QT_WAYLAND_DECORATION.
#include <QtWaylandClient/private/qwaylanddecorationplugin_p.h>

#include "platform/wayland/caption_decoration.h"

namespace quillo {

class CaptionDecorationPlugin : public QtWaylandClient::QWaylandDecorationPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QWaylandDecorationFactoryInterface_iid FILE "caption_decoration.json")

public:
    QtWaylandClient::QWaylandAbstractDecoration* create(const QString&,
                                                        const QStringList&) override {
        return new CaptionDecoration;
    }
};

}  // namespace quillo

#include "caption_decoration_plugin.moc"
