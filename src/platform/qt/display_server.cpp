#include "platform/qt/display_server.h"

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include "platform/display_choice.h"
#include "platform/layer_shell.h"

namespace quillo {
namespace {

QList<const char*> setForQtAlone;

void setForQt(const char* name, const QByteArray& value) {
    qputenv(name, value);
    setForQtAlone << name;
}

}  // namespace

void chooseDisplayServer() {
    DisplaySession session;
    session.platformNamed = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    session.waylandSession = qgetenv("XDG_SESSION_TYPE") == QByteArrayLiteral("wayland");
    session.waylandDisplay = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    session.x11Display = !qEnvironmentVariableIsEmpty("DISPLAY");
    switch (chooseDisplayServer(session, offeredLayerShellVersion)) {
        case DisplayServer::X11:
            qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
            break;
        case DisplayServer::WaylandLayerShell:
            setForQt("QT_QPA_PLATFORM", QByteArrayLiteral("wayland"));
            // Qt's own xdg-shell stands in if the integration cannot start.
            setForQt("QT_WAYLAND_SHELL_INTEGRATION", QByteArray(kLayerShellKey) + ";xdg-shell");
            // Qt's Wayland client puts every window at the output's corner
            // unless told not to; a layer surface goes where Qt places it.
            setForQt("QT_WAYLAND_DISABLE_FIXED_POSITIONS", QByteArrayLiteral("1"));
            // Qt reads this one whenever it frames a window, so it stays: a Qt
            // program started from here finds no such frame and takes its own.
            qputenv("QT_WAYLAND_DECORATION", kCaptionDecorationKey);
            break;
        case DisplayServer::AsStarted:
            break;
    }
}

void forgetDisplayChoice() {
    for (const char* name : std::as_const(setForQtAlone)) qunsetenv(name);
    setForQtAlone.clear();
}

}  // namespace quillo
