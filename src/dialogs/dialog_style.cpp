#include "dialogs/dialog_style.h"

#include <QFontDatabase>
#include <QStringList>
#include <QWidget>

#include "forms/scale.h"

namespace quillo {
namespace {

const QString kSongTi = QStringLiteral("宋体");

// "宋体" itself where installed, else a Chinese font whose Latin letters are
// about as narrow as its own, else any proportional Chinese font. Wide Latin
// letters (as in Droid Sans Fallback) would cut off the ends of the labels.
QString standInFamily() {
    const QString preferred[] = {kSongTi,
                                 QStringLiteral("SimSun"),
                                 QStringLiteral("NSimSun"),
                                 QStringLiteral("WenQuanYi Micro Hei"),
                                 QStringLiteral("Noto Sans CJK SC"),
                                 QStringLiteral("Source Han Sans SC"),
                                 QStringLiteral("Microsoft YaHei")};
    for (const QString& name : preferred) {
        if (QFontDatabase::hasFamily(name)) return name;
    }
    const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    for (const QString& family : chinese) {
        if (!QFontDatabase::isFixedPitch(family) && !family.startsWith(u'@')) return family;
    }
    return chinese.value(0);
}

}  // namespace

void placeInTwips(QWidget& control, int left, int top, int width, int height) {
    // Edges are converted, not sizes, so controls that touch in twips touch on screen.
    const int x = twipsToPixels(left);
    const int y = twipsToPixels(top);
    control.setGeometry(x, y, twipsToPixels(left + width) - x, twipsToPixels(top + height) - y);
}

QFont songTiFont(qreal pointSize) {
    static const QString standIn = standInFamily();
    QStringList families{kSongTi};
    if (!standIn.isEmpty() && standIn != kSongTi) families << standIn;
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(pointSize);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

}  // namespace quillo
