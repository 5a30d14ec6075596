#include "mainwindow/vscroll_bar.h"

#include <cstdlib>

#include "mainwindow/form1_layout.h"

namespace quillo {

VScrollBar::VScrollBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {
    setSingleStep(kScrollStep);
    setPageStep(kScrollStep);
    setTracking(false);
    connect(this, &QAbstractSlider::valueChanged, this, &VScrollBar::Change);
}

void VScrollBar::setMax(std::int16_t max) {
    max_ = max;
    applyRange();
}

void VScrollBar::setMin(std::int16_t min) {
    min_ = min;
    applyRange();
}

void VScrollBar::applyRange() {
    setRange(0, std::abs(max_ - min_));
}

int VScrollBar::Value() const {
    return min_ + direction() * value();
}

}  // namespace quillo
