#pragma once

#include <QScrollBar>
#include <cstdint>

namespace quillo {

// The form's vertical scroll bar. The form's range may be reversed (Max below
// Min, as with fewer than ten entries), which QScrollBar cannot hold, so the bar
// keeps the form's Min, Max and Value and maps them onto a forward range.
// Arrow and trough steps move the value toward Max.
class VScrollBar : public QScrollBar {
    Q_OBJECT

public:
    explicit VScrollBar(QWidget* parent);

    // The form's Max, Min and Value, not Qt's maximum(), minimum() and
    // value(): Qt's range always runs forward from 0, so with Max below Min
    // Value() is Min minus value().
    void setMax(std::int16_t max);
    void setMin(std::int16_t min);
    int Value() const;

signals:
    // The value changed: an arrow or trough click, or the end of a thumb drag.
    void Change();

private:
    void applyRange();
    int direction() const { return max_ < min_ ? -1 : 1; }

    std::int16_t min_ = 0;
    std::int16_t max_ = 0;
};

}  // namespace quillo
