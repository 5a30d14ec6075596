// The integration as a plugin of Qt's Wayland client, in the library that the
// program loads on a Wayland session: Qt finds it among the static plugins by
// its key (layer_shell.json), and this is the library's entry point.
#include <QtWaylandClient/private/qwaylandshellintegrationplugin_p.h>

#include <cstdint>
#include <type_traits>

#include "platform/layer_shell.h"
#include "platform/wayland/layer_shell_integration.h"
#include "platform/wayland/layer_shell_probe.h"

namespace quillo {
namespace {

void (*choiceRead)() = nullptr;

}  // namespace

class LayerShellPlugin : public QtWaylandClient::QWaylandShellIntegrationPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QWaylandShellIntegrationFactoryInterface_iid FILE "layer_shell.json")

public:
    QtWaylandClient::QWaylandShellIntegration* create(const QString&, const QStringList&) override {
        // Qt has read what it was told, at its first window.
        if (choiceRead) choiceRead();
        return new LayerShellIntegration;
    }
};

}  // namespace quillo

extern "C" Q_DECL_EXPORT std::uint32_t quillo_offered_layer_shell_version(void (*choiceRead)()) {
    static_assert(
        std::is_same_v<decltype(&quillo_offered_layer_shell_version), quillo::LayerShellEntry>);
    quillo::choiceRead = choiceRead;
    return quillo::layerShellOnDisplay();
}

#include "layer_shell_plugin.moc"
