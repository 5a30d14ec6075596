#include "mainwindow/form1.h"

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QString>

#include "dialogs/form2.h"
#include "dialogs/frm_about.h"
#include "forms/fatal_error_guard.h"
#include "mainwindow/entry_box.h"
#include "mainwindow/form1_layout.h"
#include "mainwindow/vscroll_bar.h"
#include "store/data_file.h"

namespace quillo {

namespace {

const QColor kBoxBackground(0xC0, 0xFF, 0xFF);  // &H00FFFFC0&
const QColor kBoxText(0x00, 0x00, 0xC0);        // &H00C00000&

QString qs(const std::u16string& text) {
    return QString::fromStdU16String(text);
}

void setGeometryOf(QWidget& widget, const UnitRect& units) {
    const PixelRect px = toPixels(units);
    widget.setGeometry(px.x, px.y, px.width, px.height);
}

}  // namespace

Form1::Form1(Platform& platform, std::filesystem::path dataFile)
    : platform_(platform), dataFile_(std::move(dataFile)) {
    setWindowTitle(QStringLiteral("Quillo4.0版"));
    setWindowIcon(QIcon(QStringLiteral(":/quillo.png")));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    auto* client = new QWidget(this);
    setCentralWidget(client);

    auto* templateBox = new EntryBox(0, platform_.drags, client);
    templateBox->hide();
    // Each box's own: Windows' style draws a text box's background in the
    // theme's colour unless the box itself sets one.
    QPalette palette = templateBox->palette();
    palette.setColor(QPalette::Base, kBoxBackground);
    palette.setColor(QPalette::Text, kBoxText);
    templateBox->setPalette(palette);
    templateBox->setAutoFillBackground(true);
    templateBox->setFrame(false);
    templateBox->setFocusPolicy(Qt::ClickFocus);
    Text1_.push_back(templateBox);

    VScroll1_ = new VScrollBar(client);
    connect(VScroll1_, &VScrollBar::Change, this,
            guard(platform_.windows, [this] { VScroll1_Change(); }));

    createMenus();
}

Form1::~Form1() = default;

EntryBox* Form1::Text1(int index) const {
    return index >= 0 && index < Text1Count() ? Text1_[static_cast<std::size_t>(index)] : nullptr;
}

QAction* Form1::addCommand(QWidget* menu, const char* name, const QString& caption,
                           void (Form1::*handler)()) {
    auto* action = new QAction(caption, menu);
    action->setObjectName(QString::fromLatin1(name));
    menu->addAction(action);
    connect(action, &QAction::triggered, this,
            guard(platform_.windows, [this, handler] { (this->*handler)(); }));
    return action;
}

void Form1::createMenus() {
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu(QStringLiteral("文件"));
    file->setObjectName(QStringLiteral("file"));
    addCommand(file, "edit", QStringLiteral("编辑数据"), &Form1::edit_Click);
    file->addSeparator()->setObjectName(QStringLiteral("b"));
    addCommand(file, "end", QStringLiteral("退出"), &Form1::end_Click);

    addCommand(bar, "re", QStringLiteral("恢复"), &Form1::re_Click);

    QMenu* help = bar->addMenu(QStringLiteral("帮助"));
    help->setObjectName(QStringLiteral("help"));
    addCommand(help, "con", QStringLiteral("内容"), &Form1::con_Click);
    help->addSeparator()->setObjectName(QStringLiteral("b2"));
    addCommand(help, "abo", QStringLiteral("关于"), &Form1::abo_Click);
}

void Form1::placeBox(EntryBox& box, int top) {
    setGeometryOf(box, {kBoxSize.left, top, kBoxSize.width, kBoxSize.height});
}

void Form1::Form_Load() {
    platform_.windows.placeTopmost(winId(),
                                   {kWindowX, kWindowY, kWindowWidth, kInitialWindowHeight});
    entryCount_ = 0;
    placeBox(*Text1_[0], 0);
    platform_.windows.setOuterHeight(winId(), twipsToPixels(kWindowHeightTwips));
    setGeometryOf(*VScroll1_, kScrollBarRect);

    loadDataFile(platform_.files, platform_.codec, dataFile_, entryTable_, entryCount_);

    VScroll1_->setMax(scrollMax(entryCount_));
    VScroll1_->setMin(0);
    for (int loopIndex = 1; loopIndex <= entryCount_; ++loopIndex) {
        // Made showing its title, placed, then shown: its text is laid out once.
        EntryBox* box = EntryBox::createFrom(
            *Text1_[0], loopIndex, qs(entryTable_[static_cast<std::size_t>(loopIndex)].title));
        connect(box, &EntryBox::MouseMove, this,
                guard<int>(platform_.windows, [this](int index) { Text1_MouseMove(index); }));
        connect(box, &EntryBox::OLEStartDrag, this,
                guard<int, int&>(platform_.windows, [this](int index, int& effects) {
                    Text1_OLEStartDrag(index, effects);
                }));
        Text1_.push_back(box);
        placeBox(*box, boxTop(loopIndex, 0));
        box->setVisible(true);
    }
}

void Form1::Text1_MouseMove(int Index) {
    // Index is a box's own, given to it for a table slot: within the table and
    // the boxes both. The box shows the table's own text: it copies only what
    // can show.
    const auto index = static_cast<std::size_t>(Index);
    Text1_[index]->showAllSelected(entryTable_[index].content);
}

void Form1::Text1_OLEStartDrag(int /*Index*/, int& AllowedEffects) {
    AllowedEffects = kDropEffectCopy;  // no drop target may take the text out of the box
}

void Form1::VScroll1_Change() {
    for (int loopIndex = 1; loopIndex <= entryCount_; ++loopIndex) {
        placeBox(*Text1_[static_cast<std::size_t>(loopIndex)],
                 boxTop(loopIndex, VScroll1_->Value()));
    }
}

void Form1::re_Click() {
    for (int loopIndex = 1; loopIndex <= entryCount_; ++loopIndex) {
        Text1_[static_cast<std::size_t>(loopIndex)]->setWholeText(
            qs(entryTable_[static_cast<std::size_t>(loopIndex)].title));
    }
}

void Form1::edit_Click() {
    // The editor opens the data file of the program's own directory; the user
    // starts the program again to see the changes.
    platform_.processes.editDataFile(platform_.files.programDirectory());
    platform_.windows.endProgram(0);
}

void Form1::end_Click() {
    platform_.windows.endProgram(0);
}

void Form1::con_Click() {
    // A new dialog each time, so every showing starts from its design contents.
    Form2 dialog(this);
    platform_.windows.prepareDialog(dialog.winId());
    dialog.exec();
}

void Form1::abo_Click() {
    frmAbout dialog(platform_, this);
    platform_.windows.prepareDialog(dialog.winId());
    dialog.exec();
}

}  // namespace quillo
