#include "gui/platform/timer.h"

#include <algorithm>

namespace uFCom_Bas {

int msToNextSecond(int millisecond)
{
    return 1000 - std::clamp(millisecond, 0, 999) + kSecondSlackMs;
}

Timer::Timer(QObject* parent, const QString& name) : QObject(parent)
{
    if (!name.isEmpty()) setObjectName(name);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this]() {
        if (firstShot_) {
            // Back to the interval before the handler runs, which may change
            // the timer again.
            firstShot_ = false;
            if (enabled_ && interval_ > 0) timer_.start(interval_);
        }
        emit Tick();
    });
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

void Timer::restartIn(int firstMs)
{
    if (!enabled_ || interval_ <= 0) return;
    firstShot_ = true;
    timer_.start(std::max(1, firstMs));
}

void Timer::apply()
{
    firstShot_ = false;
    if (enabled_ && interval_ > 0) {
        // Setting the interval of a window timer restarts its count.
        timer_.start(interval_);
    } else {
        timer_.stop();
    }
}

}  // namespace uFCom_Bas
