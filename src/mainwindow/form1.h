// Form names (Form1, Text1, re_Click, ...) on purpose: see docs/DEVELOPERS.md.
#pragma once

#include <QMainWindow>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "platform/platform.h"
#include "store/entry_table.h"

class QAction;

namespace quillo {

class EntryBox;
class VScrollBar;

// The main window: a narrow column of entry boxes that stays on top of all
// other windows. Form_Load does all of the start-up work; like every handler
// it lets errors out, to the guard where it is called from.
class Form1 : public QMainWindow {
    Q_OBJECT

public:
    explicit Form1(Platform& platform, std::filesystem::path dataFile = "data.txt");
    ~Form1() override;

    void Form_Load();

    // Event handlers, one per control event.
    void Text1_MouseMove(int Index);
    void Text1_OLEStartDrag(int Index, int& AllowedEffects);
    void VScroll1_Change();
    void re_Click();
    void edit_Click();
    void end_Click();
    void con_Click();
    void abo_Click();

    // The controls, by their form names.
    EntryBox* Text1(int index) const;
    int Text1Count() const { return static_cast<int>(Text1_.size()); }
    VScrollBar* VScroll1() const { return VScroll1_; }

    std::int16_t entryCount() const { return entryCount_; }

private:
    void createMenus();
    QAction* addCommand(QWidget* menu, const char* name, const QString& caption,
                        void (Form1::*handler)());
    void placeBox(EntryBox& box, int top);

    Platform& platform_;
    std::filesystem::path dataFile_;
    EntryTable entryTable_;
    std::int16_t entryCount_ = 0;

    std::vector<EntryBox*> Text1_;  // element 0 is the hidden template
    VScrollBar* VScroll1_;
};

}  // namespace quillo
