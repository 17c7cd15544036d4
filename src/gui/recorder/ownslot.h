#pragma once
// The program's own mailslot: made when the main window loads and read on
// the window's receive timer while it lives.  Where the slot's handle can
// be waited on (a socket), the timer sleeps until a datagram arrives;
// elsewhere (Windows) it polls every 20 ms.  At most one record is acted on
// per tick; what is not a record (another user's, empty, oversized, shorter
// than the code word) goes at once, so that a flood of it never keeps the
// close command out of the slot's short queue.
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

class QSocketNotifier;

namespace uFCom_Bas {

class Timer;

class OwnSlot : public QObject {
    Q_OBJECT
public:
    // timer: the window's receive timer (MailRecvTimer).
    OwnSlot(QObject* parent, Timer* timer);
    ~OwnSlot() override;
    OwnSlot(const OwnSlot&) = delete;
    OwnSlot& operator=(const OwnSlot&) = delete;

    // Makes the slot and starts reading; false when it cannot be made (one
    // line on standard error says why).
    bool create(const QString& name);
    // Stops reading and closes the slot.
    void close();
    // The slot's handle; negative when there is none.
    int handle() const { return handle_; }
    // The receive timer's tick.
    void MailRecvTimer_Timer();

signals:
    // The close command arrived.
    void closeCommand();
    // A record that is not the close command (the timer is armed again).
    void record(const QByteArray& bytes);

private:
    void ready();
    // A sibling of the window's: it may go first when the window goes.
    QPointer<Timer> timer_;
    int handle_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace uFCom_Bas
