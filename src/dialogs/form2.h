// Form names (Form1, Text1, re_Click, ...) on purpose: see docs/DEVELOPERS.md.
#pragma once

#include <QDialog>

class QKeyEvent;
class QPushButton;
class QTextEdit;

namespace quillo {

// The operating instructions, nine lines each ended by CR LF.
extern const char16_t kInstructions[];

// The help dialog: the operating instructions and an OK button.
class Form2 : public QDialog {
    Q_OBJECT

public:
    explicit Form2(QWidget* parent = nullptr);

    void Command1_Click();

    QTextEdit* Text1() const { return Text1_; }
    QPushButton* Command1() const { return Command1_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QTextEdit* Text1_;
    QPushButton* Command1_;
};

}  // namespace quillo
