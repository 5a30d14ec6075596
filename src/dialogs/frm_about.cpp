#include "dialogs/frm_about.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

#include "dialogs/dialog_style.h"
#include "dialogs/sys_info.h"
#include "forms/fatal_error_guard.h"
#include "forms/scale.h"

namespace quillo {
namespace {

const QColor kBlack(0x00, 0x00, 0x00);
const QColor kBlue(0x00, 0x00, 0xFF);   // &H00FF0000&
const QColor kRed(0xFF, 0x00, 0x00);    // &H000000FF&
const QColor kGrey(0x80, 0x80, 0x80);   // &H00808080&
const QColor kWhite(0xFF, 0xFF, 0xFF);  // &H00FFFFFF&
constexpr int kRuleTop = 2160;          // twips
constexpr int kClientWidth = 3840;      // twips

void setTextColor(QWidget& widget, const QColor& color) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, color);
    widget.setPalette(palette);
}

// One line of the etched rule: a filled strip `thickness` pixels high.
QWidget* makeLine(QWidget* parent, const QColor& color, int thickness) {
    auto* line = new QWidget(parent);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, color);
    line->setPalette(palette);
    line->setAutoFillBackground(true);
    line->setGeometry(0, twipsToPixels(kRuleTop), twipsToPixels(kClientWidth), thickness);
    return line;
}

}  // namespace

frmAbout::frmAbout(Platform& platform, QWidget* parent) : QDialog(parent), platform_(platform) {
    setWindowTitle(QStringLiteral("关于Quillo"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowModality(Qt::ApplicationModal);
    setFont(songTiFont(9));
    setFixedSize(twipsToPixels(kClientWidth), twipsToPixels(3180));

    cmdOK_ = new QPushButton(QStringLiteral("确定"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    placeInTwips(*cmdOK_, 1200, 2760, 1500, 345);
    cmdOK_->setDefault(true);
    connect(cmdOK_, &QPushButton::clicked, this,
            guard(platform_.windows, [this] { cmdOK_Click(); }));

    cmdSysInfo_ = new QPushButton(QStringLiteral("系统信息(&S)..."), this);
    cmdSysInfo_->setObjectName(QStringLiteral("cmdSysInfo"));
    placeInTwips(*cmdSysInfo_, 1200, 2280, 1485, 345);
    connect(cmdSysInfo_, &QPushButton::clicked, this,
            guard(platform_.windows, [this] { cmdSysInfo_Click(); }));

    lblDisclaimer_ = addLabel("lblDisclaimer", QStringLiteral("免费软件"), 1560, 1800, 735, 285);
    setTextColor(*lblDisclaimer_, kBlack);

    lblTitle_ = addLabel("lblTitle", QStringLiteral("Quillo"), 1320, 0, 1245, 360);
    lblTitle_->setFont(songTiFont(14.25));
    setTextColor(*lblTitle_, kBlue);

    lblVersion_ = addLabel("lblVersion", QStringLiteral("版本4.0"), 1560, 360, 645, 290);
    setTextColor(*lblVersion_, kRed);

    // The author is the project's own pen name; the address and page are
    // placeholders on example.com.
    lblDescription_ =
        addLabel("lblDescription", QStringLiteral("作者：羽毛笔  2000.8.1"), 960, 720, 2085, 285);
    setTextColor(*lblDescription_, kBlack);
    Label1_ = addLabel("Label1", QStringLiteral("邮箱：dev@example.com"), 960, 1080, 2175, 285);
    Label2_ = addLabel("Label2", QStringLiteral("主页：http://www.example.com/quillo/"), 120, 1440,
                       3735, 285);

    // The white line is wider and lies under the grey one, showing only below
    // it: together they look cut into the dialog.
    makeLine(this, kWhite, 2);
    makeLine(this, kGrey, 1);

    setTabOrder(cmdOK_, cmdSysInfo_);
    cmdOK_->setFocus();
}

QLabel* frmAbout::addLabel(const char* name, const QString& caption, int left, int top, int width,
                           int height) {
    auto* label = new QLabel(caption, this);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    placeInTwips(*label, left, top, width, height);
    return label;
}

void frmAbout::keyPressEvent(QKeyEvent* event) {
    // Esc presses OK, the cancel button, rather than rejecting the dialog.
    if (event->matches(QKeySequence::Cancel)) {
        cmdOK_->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmAbout::cmdOK_Click() {
    accept();
}

void frmAbout::cmdSysInfo_Click() {
    StartSysInfo(platform_);
}

}  // namespace quillo
