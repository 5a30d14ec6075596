// Form names (Form1, Text1, re_Click, ...) on purpose: see docs/DEVELOPERS.md.
#pragma once

#include <QDialog>

#include "platform/platform.h"

class QLabel;
class QPushButton;

namespace quillo {

// The about dialog: the program's title, version and author, and a button that
// starts the system information tool.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    explicit frmAbout(Platform& platform, QWidget* parent = nullptr);

    void cmdOK_Click();
    void cmdSysInfo_Click();

    QPushButton* cmdOK() const { return cmdOK_; }
    QPushButton* cmdSysInfo() const { return cmdSysInfo_; }
    QLabel* lblDisclaimer() const { return lblDisclaimer_; }
    QLabel* lblTitle() const { return lblTitle_; }
    QLabel* lblVersion() const { return lblVersion_; }
    QLabel* lblDescription() const { return lblDescription_; }
    QLabel* Label1() const { return Label1_; }
    QLabel* Label2() const { return Label2_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* addLabel(const char* name, const QString& caption, int left, int top, int width,
                     int height);

    Platform& platform_;
    QPushButton* cmdOK_;
    QPushButton* cmdSysInfo_;
    QLabel* lblDisclaimer_;
    QLabel* lblTitle_;
    QLabel* lblVersion_;
    QLabel* lblDescription_;
    QLabel* Label1_;
    QLabel* Label2_;
};

}  // namespace quillo
