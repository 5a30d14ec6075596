#include <QApplication>
#include <QLocale>
#include <QTranslator>

#include "forms/fatal_error_guard.h"
#include "mainwindow/form1.h"
#include "platform/make_drag_source.h"
#include "platform/make_window_system.h"
#include "platform/qt/desktop_check.h"
#include "platform/qt/display_server.h"
#include "platform/qt/end_when_drawn.h"
#include "platform/qt/qt_translation.h"
#include "platform/system_services.h"

int main(int argc, char* argv[]) {
    quillo::chooseDisplayServer();
    quillo::DesktopCheck desktop;
    QApplication app(argc, argv);
    desktop.passed();
    quillo::EndWhenDrawn::installIfAsked(app);
    QApplication::setApplicationName(QStringLiteral("quillo4"));
    QTranslator qtWords;
    if (quillo::loadQtTranslation(qtWords, QLocale::system().uiLanguages())) {
        QApplication::installTranslator(&qtWords);
    }

    quillo::SystemServices services = quillo::makeSystemServices();
    const auto windows = quillo::makeWindowSystem();
    const auto drags = quillo::makeDragSource();
    quillo::Platform platform{*services.codec,    *services.files, *services.processes,
                              *services.registry, *windows,        *drags};

    quillo::Form1 form(platform);
    quillo::guarded(platform.windows, [&] { form.Form_Load(); });
    return QApplication::exec();
}
