#include "dialogs/form2.h"

#include <QFontInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QPalette>
#include <QPushButton>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextEdit>

#include "dialogs/dialog_style.h"
#include "forms/scale.h"

namespace quillo {

// Lines 5 and 7 break inside a word: the text was wrapped by hand to the box.
const char16_t kInstructions[] =
    u"Text1\r\n"
    u"1、使用之前要先输入数据。\r\n"
    u"   数据格式为：标题=内容。共可输入145条。\r\n"
    u"   数据的输入编辑可按下程序中的“编辑数据”按钮或使用“记事本”打开data.txt文件。\r\n"
    u"2、使用方法：启动程序，用鼠标选择需要的条目，按住鼠\r\n"
    u"标左键不放，把该条目拖入要填写的输入框中。\r\n"
    u"3、鼠标经过条目时，条目的标题会转变为内容。如果要恢\r\n"
    u"复标题。按下“恢复”按钮即可。\r\n"
    u"4、程序启动后，会始终保持在最上层，方便操作。\r\n";

Form2::Form2(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("操作说明"));
    setWindowIcon(QIcon(QStringLiteral(":/quillo.png")));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowModality(Qt::ApplicationModal);
    setFont(songTiFont(9));
    setFixedSize(twipsToPixels(4680), twipsToPixels(2700));

    Text1_ = new QTextEdit(this);
    Text1_->setObjectName(QStringLiteral("Text1"));
    placeInTwips(*Text1_, 0, 0, 4695, 1935);
    Text1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1_->setAcceptRichText(false);
    Text1_->setPlainText(QString::fromUtf16(kInstructions));
    // The box was sized for lines one font height apart, as the classic edit
    // control draws them; the font's own line spacing would push the last line
    // out of view. The narrow margin keeps lines 5 and 7 from wrapping.
    Text1_->document()->setDocumentMargin(1);
    QTextCursor all(Text1_->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat lines;
    lines.setLineHeight(QFontInfo(font()).pixelSize(), QTextBlockFormat::FixedHeight);
    all.mergeBlockFormat(lines);
    // Disabled, the box still looks like a text box: white, with grey text.
    QPalette palette = Text1_->palette();
    palette.setColor(QPalette::Disabled, QPalette::Base,
                     palette.color(QPalette::Active, QPalette::Base));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
    Text1_->setPalette(palette);
    Text1_->setEnabled(false);

    Command1_ = new QPushButton(QStringLiteral("确定(OK)"), this);
    Command1_->setObjectName(QStringLiteral("Command1"));
    placeInTwips(*Command1_, 1560, 2160, 1575, 375);
    connect(Command1_, &QPushButton::clicked, this, &Form2::Command1_Click);

    setTabOrder(Text1_, Command1_);
    Command1_->setFocus();
}

void Form2::keyPressEvent(QKeyEvent* event) {
    // OK is neither the default nor the cancel button: Enter presses it only
    // because it has the focus, and Esc does nothing.
    if (event->matches(QKeySequence::Cancel)) return;
    QDialog::keyPressEvent(event);
}

void Form2::Command1_Click() {
    accept();
}

}  // namespace quillo
