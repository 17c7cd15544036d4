#pragma once
// A vertical scroll bar used as a spin control: its top end is the largest
// value, so the up arrow (and the Up key) raises the value by one step and
// the down arrow lowers it.
#include <QScrollBar>

namespace uFCom_Bas {

class SpinBar : public QScrollBar {
    Q_OBJECT
public:
    explicit SpinBar(QWidget* parent = nullptr);
    void setSpinRange(int minimum, int maximum);
    int spinValue() const;
    void setSpinValue(int value);

signals:
    void spinChanged(int value);
};

}  // namespace uFCom_Bas
