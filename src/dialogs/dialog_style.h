#pragma once

#include <QFont>

class QWidget;

namespace quillo {

// Places a control at its design position, given in twips.
void placeInTwips(QWidget& control, int left, int top, int width, int height);

// "宋体" at the given size and normal weight, the dialogs' design font. Where it
// is missing an installed Chinese font stands in, so the captions keep their
// width and never show as boxes.
QFont songTiFont(qreal pointSize);

}  // namespace quillo
