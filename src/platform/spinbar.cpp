#include "platform/spinbar.h"

namespace uFCom_Bas {

// The bar's own value runs the other way: its minimum at the top.
SpinBar::SpinBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent)
{
    setSingleStep(1);
    setPageStep(1);
    connect(this, &QScrollBar::valueChanged, this, [this]() { emit spinChanged(spinValue()); });
}

void SpinBar::setSpinRange(int minimum, int maximum)
{
    setRange(minimum, maximum);
}

int SpinBar::spinValue() const
{
    return minimum() + maximum() - value();
}

void SpinBar::setSpinValue(int v)
{
    setValue(minimum() + maximum() - qBound(minimum(), v, maximum()));
}

}  // namespace uFCom_Bas
