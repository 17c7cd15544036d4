// The helpers of the widget tests that need the widgets themselves.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include "test_support.h"

namespace testsupport {

void answerNextModal(std::function<void(QWidget*)> fn, int timeoutMs)
{
    auto* timer = new QTimer;
    auto* clock = new QElapsedTimer;
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, fn, timeoutMs]() {
        QWidget* w = QApplication::activeModalWidget();
        if (w && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            delete clock;
            fn(w);
            return;
        }
        if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            delete clock;
        }
    });
    timer->start();
}

}  // namespace testsupport
