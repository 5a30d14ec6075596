// The integration as a plugin of Qt's Wayland client, linked into the program:
// Qt finds it among the static plugins by its key (layer_shell.json).
#include <QtWaylandClient/private/qwaylandshellintegrationplugin_p.h>

#include "platform/qt/display_server.h"
#include "platform/wayland/layer_shell_integration.h"

namespace quillo {

class LayerShellPlugin : public QtWaylandClient::QWaylandShellIntegrationPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QWaylandShellIntegrationFactoryInterface_iid FILE "layer_shell.json")

public:
    QtWaylandClient::QWaylandShellIntegration* create(const QString&, const QStringList&) override {
        // Qt has read what it was told, at its first window.
        forgetDisplayChoice();
        return new LayerShellIntegration;
    }
};

}  // namespace quillo

#include "layer_shell_plugin.moc"
