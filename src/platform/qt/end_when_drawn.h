#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace quillo {

// For the start-up benchmark only (bench/instructions.py): with
// QUILLO_END_WHEN_DRAWN set, the process ends as soon as the event loop comes
// back after the first paint, without tearing anything down, so that an
// instruction count stops once the window is drawn and nothing else waits.
// The bare window that Quillo is measured against does the same.
class EndWhenDrawn : public QObject {
public:
    static void installIfAsked(QCoreApplication& app) {
        if (qEnvironmentVariableIsSet("QUILLO_END_WHEN_DRAWN")) {
            app.installEventFilter(new EndWhenDrawn(&app));
        }
    }

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            QTimer::singleShot(0, [] {
                std::fflush(nullptr);
                std::_Exit(0);
            });
        }
        return false;
    }

private:
    using QObject::QObject;
    bool painted_ = false;
};

}  // namespace quillo
