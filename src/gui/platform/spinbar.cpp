#include "gui/platform/spinbar.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>

namespace uFCom_Bas {

namespace {

// What assistive technology sees of a spin bar: a spin control whose value,
// minimum and maximum are the numbers shown, and a value set through it is
// the value the operator would see.  The scroll bar's own interface would
// report its inverted position.
class SpinBarAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit SpinBarAccessible(SpinBar* bar) : QAccessibleWidget(bar, QAccessible::SpinBox) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value) return QString::number(bar()->spinValue());
        return QAccessibleWidget::text(t);
    }
    QVariant currentValue() const override { return bar()->spinValue(); }
    void setCurrentValue(const QVariant& value) override { bar()->setSpinValue(value.toInt()); }
    QVariant maximumValue() const override { return bar()->maximum(); }
    QVariant minimumValue() const override { return bar()->minimum(); }
    QVariant minimumStepSize() const override { return bar()->singleStep(); }

private:
    SpinBar* bar() const { return static_cast<SpinBar*>(widget()); }
};

QAccessibleInterface* spinBarInterface(const QString& key, QObject* object)
{
    if (key == QLatin1String("uFCom_Bas::SpinBar") && object && object->isWidgetType())
        return new SpinBarAccessible(static_cast<SpinBar*>(object));
    return nullptr;
}

}  // namespace

// The bar's own value runs the other way: its minimum at the top.
SpinBar::SpinBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent)
{
    static const bool installed = []() {
        QAccessible::installFactory(spinBarInterface);
        return true;
    }();
    (void)installed;
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
