#include "platform/timer.h"

namespace uFCom_Bas {

Timer::Timer(QObject* parent, const QString& name) : QObject(parent)
{
    if (!name.isEmpty()) setObjectName(name);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this]() { emit Tick(); });
}

void Timer::setInterval(int ms)
{
    interval_ = ms < 0 ? 0 : ms;
    apply();
}

void Timer::setEnabled(bool on)
{
    enabled_ = on;
    apply();
}

void Timer::apply()
{
    if (enabled_ && interval_ > 0) {
        // Setting the interval of a window timer restarts its count.
        timer_.start(interval_);
    } else {
        timer_.stop();
    }
}

}  // namespace uFCom_Bas
