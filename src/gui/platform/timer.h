#pragma once
// A window timer with the properties the forms use: Interval (ms; 0
// disables), Enabled and one tick signal.  Precise, so a 1000 ms tick
// never comes early.  Tests may call fire() to tick it directly.
#include <QObject>
#include <QString>
#include <QTimer>

namespace uFCom_Bas {

// How long after a full wall-clock second the one-second ticks fall, so
// that a tick reads the second it belongs to.
constexpr int kSecondSlackMs = 5;

// Milliseconds from a clock reading (its millisecond part) until
// kSecondSlackMs after the next full second.
int msToNextSecond(int millisecond);

class Timer : public QObject {
    Q_OBJECT
public:
    explicit Timer(QObject* parent = nullptr, const QString& name = QString());

    int Interval() const { return interval_; }
    void setInterval(int ms);
    bool Enabled() const { return enabled_; }
    void setEnabled(bool on);

    // While running: the next tick comes after firstMs instead of the
    // interval, the ticks after it at the interval again.  Used to put the
    // one-second ticks on the wall clock's seconds.
    void restartIn(int firstMs);

    // True while the timer is really counting (enabled with an interval > 0).
    bool isRunning() const { return timer_.isActive(); }
    // Milliseconds until the next tick, or -1 when not running.
    int remainingMs() const { return timer_.isActive() ? timer_.remainingTime() : -1; }
    void fire() { emit Tick(); }

signals:
    void Tick();

private:
    void apply();
    QTimer timer_;
    int interval_ = 0;
    bool enabled_ = false;
    bool firstShot_ = false;
};

}  // namespace uFCom_Bas
