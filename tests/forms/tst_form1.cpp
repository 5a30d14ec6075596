#include <QtTest>

#include "fakes/fake_platform.h"
#include "mainwindow/form1.h"
#include "platform/system_services.h"

using namespace quillo;

class TestForm1 : public QObject {
    Q_OBJECT

private slots:
    void captionIsTheProgramsName() {
        SystemServices services = makeSystemServices();
        fakes::FakeProcesses processes;
        fakes::FakeWindowSystem windows;
        Platform platform{*services.codec, *services.files, processes, *services.registry,
                          windows};
        Form1 form(platform, "no-such-data.txt");
        QCOMPARE(form.windowTitle(), QStringLiteral("Quillo4.0版"));
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
