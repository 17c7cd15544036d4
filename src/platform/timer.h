#pragma once
// A window timer with the properties the forms use: Interval (ms; 0
// disables), Enabled, Tag and one tick signal.  Precise, so a 1000 ms tick
// never comes early.  Tests may call fire() to tick it directly.
#include <QObject>
#include <QString>
#include <QTimer>

namespace uFCom_Bas {

class Timer : public QObject {
    Q_OBJECT
public:
    explicit Timer(QObject* parent = nullptr, const QString& name = QString());

    int Interval() const { return interval_; }
    void setInterval(int ms);
    bool Enabled() const { return enabled_; }
    void setEnabled(bool on);
    QString Tag;

    // True while the timer is really counting (enabled with an interval > 0).
    bool isRunning() const { return timer_.isActive(); }
    void fire() { emit Tick(); }

signals:
    void Tick();

private:
    void apply();
    QTimer timer_;
    int interval_ = 0;
    bool enabled_ = false;
};

}  // namespace uFCom_Bas
