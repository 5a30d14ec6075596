#include "platform/qt/desktop_check.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

namespace quillo {
namespace {

QtMessageHandler previousHandler = nullptr;
QStringList heldBack;
bool watching = false;

QByteArray missingDesktop() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    const QByteArray display = qgetenv("DISPLAY");
    QByteArray why;
    if (!platform.isEmpty() && !platform.startsWith("xcb")) {
        why = "Qt cannot open the platform \"" + platform + "\" that QT_QPA_PLATFORM names";
    } else if (display.isEmpty()) {
        why = "DISPLAY is not set";
    } else {
        why = "the X11 display \"" + display + "\" that DISPLAY names cannot be opened";
    }
    return "quillo needs a graphical desktop (an X11 display; on Wayland, XWayland): " + why +
           ".\n";
}

void watch(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (!watching) {
        previousHandler(type, context, message);
        return;
    }
    if (type == QtFatalMsg) {
        std::fputs(missingDesktop().constData(), stderr);
        std::fflush(stderr);
        std::_Exit(1);
    }
    heldBack << qFormatLogMessage(type, context, message);
}

}  // namespace

DesktopCheck::DesktopCheck() {
    watching = true;
    previousHandler = qInstallMessageHandler(watch);
}

DesktopCheck::~DesktopCheck() {
    passed();
}

void DesktopCheck::passed() {
    if (!watching) return;
    watching = false;
    qInstallMessageHandler(previousHandler);
    for (const QString& line : std::as_const(heldBack)) {
        std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    }
    heldBack.clear();
}

}  // namespace quillo
